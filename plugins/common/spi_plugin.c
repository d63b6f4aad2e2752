/* The exports every import plug-in shares, and the input and DIB helpers behind them. */
#include "spi_plugin.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Bytes of the header buffer a support test looks at. */
#define SPI_HEADER_SIZE 2048
/* Bytes of a file read first for its picture information (more when that is not enough). */
#define SPI_INFO_PREFIX (256 * 1024)

/* The input of one export call, as bytes in memory. */
typedef struct SpiInput {
  const uint8_t* data;
  size_t size;
  int partial; /* only the first bytes of a file were read */
  void* owned; /* the file's bytes read into memory, freed by SpiInputFree */
} SpiInput;

static void SpiInputFree(SpiInput* input) {
  free(input->owned);
  memset(input, 0, sizeof *input);
}

/* Reads the input: flag 1, Buf is the data and Len its size; flag 0, Buf is a file name and Len the
   picture's offset in it (as after a MacBinary header), of which at most Limit bytes are read.
   Returns a result code. */
static int SpiInputOpen(SpiInput* input, LPCSTR buf, LONG_PTR len, unsigned int flag, size_t limit) {
  memset(input, 0, sizeof *input);
  if (buf == NULL || len < 0) return SPI_OTHER_ERROR;
  if ((flag & SPI_INPUT_MASK) == SPI_INPUT_MEMORY) {
    input->data = (const uint8_t*)buf;
    input->size = (size_t)len;
    return SPI_ALL_RIGHT;
  }
  if ((flag & SPI_INPUT_MASK) != SPI_INPUT_FILE) return SPI_OTHER_ERROR;
#ifdef _WIN32
  HANDLE file =
      CreateFileA(buf, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return SPI_FILE_READ_ERROR;
  LARGE_INTEGER fileSize;
  int result = SPI_FILE_READ_ERROR;
  if (GetFileSizeEx(file, &fileSize) && fileSize.QuadPart >= len && fileSize.QuadPart - len < 0x7FFFFFFF &&
      SetFilePointer(file, (LONG)len, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
    DWORD wanted = (DWORD)(fileSize.QuadPart - len), got = 0;
    if (wanted > limit) wanted = (DWORD)limit, input->partial = 1;
    input->owned = malloc(wanted ? wanted : 1);
    if (input->owned == NULL) {
      result = SPI_NO_MEMORY;
    } else if (ReadFile(file, input->owned, wanted, &got, NULL) && got == wanted) {
      input->data = (const uint8_t*)input->owned;
      input->size = wanted;
      result = SPI_ALL_RIGHT;
    }
  }
  CloseHandle(file);
#else
  FILE* file = fopen(buf, "rb");
  if (file == NULL) return SPI_FILE_READ_ERROR;
  int result = SPI_FILE_READ_ERROR;
  if (fseek(file, 0, SEEK_END) == 0) {
    long fileSize = ftell(file);
    if (fileSize >= len && fseek(file, (long)len, SEEK_SET) == 0) {
      size_t wanted = (size_t)(fileSize - len);
      if (wanted > limit) wanted = limit, input->partial = 1;
      input->owned = malloc(wanted ? wanted : 1);
      if (input->owned == NULL) {
        result = SPI_NO_MEMORY;
      } else if (fread(input->owned, 1, wanted, file) == wanted) {
        input->data = (const uint8_t*)input->owned;
        input->size = wanted;
        result = SPI_ALL_RIGHT;
      }
    }
  }
  fclose(file);
#endif
  if (result != SPI_ALL_RIGHT) SpiInputFree(input);
  return result;
}

/* The header bytes handed to IsSupported: Dw is the address of a buffer of at least 2 KB, or, when
   its upper word is 0, a file handle to read them from. Fills Head (SPI_HEADER_SIZE bytes) and returns
   the count of bytes there. */
static size_t SpiSupportHeader(DWORD_PTR dw, uint8_t* head) {
  memset(head, 0, SPI_HEADER_SIZE);
#ifdef _WIN32
  if ((dw & ~(DWORD_PTR)0xFFFF) == 0) {
    DWORD got = 0;
    if (dw == 0 || !ReadFile((HANDLE)dw, head, SPI_HEADER_SIZE, &got, NULL)) return 0;
    return got;
  }
#endif
  if (dw == 0) return 0;
  memcpy(head, (const void*)dw, SPI_HEADER_SIZE);
  return SPI_HEADER_SIZE;
}

int SpiDibCreate(SpiDib* dib, int64_t width, int64_t height, int bitCount) {
  memset(dib, 0, sizeof *dib);
  if (!SpiSizeAllowed(width, height)) return SPI_BROKEN_DATA;
  const int colours = bitCount == 8 ? 256 : 0;
  const uint64_t stride = ((uint64_t)width * bitCount + 31) / 32 * 4;
  const uint64_t bytes = stride * (uint64_t)height;
  if (bytes > (uint64_t)(SIZE_MAX / 2)) return SPI_NO_MEMORY;
  dib->hInfo =
      LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD));
  dib->hBits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, (size_t)bytes);
  dib->info = dib->hInfo ? (BITMAPINFO*)LocalLock(dib->hInfo) : NULL;
  dib->bits = dib->hBits ? (uint8_t*)LocalLock(dib->hBits) : NULL;
  if (dib->info == NULL || dib->bits == NULL) return SPI_NO_MEMORY;
  dib->width = (int32_t)width;
  dib->height = (int32_t)height;
  dib->bitCount = bitCount;
  dib->stride = (size_t)stride;
  BITMAPINFOHEADER* h = &dib->info->bmiHeader;
  h->biSize = sizeof(BITMAPINFOHEADER);
  h->biWidth = (LONG)width;
  h->biHeight = (LONG)height;
  h->biPlanes = 1;
  h->biBitCount = (WORD)bitCount;
  h->biCompression = BI_RGB;
  h->biSizeImage = (DWORD)bytes;
  h->biClrUsed = (DWORD)colours;
  return SPI_ALL_RIGHT;
}

void SpiDibSetColor(SpiDib* dib, int i, uint8_t red, uint8_t green, uint8_t blue) {
  if (dib->bitCount != 8 || i < 0 || i > 255) return;
  RGBQUAD* q = &dib->info->bmiColors[i];
  q->rgbRed = red;
  q->rgbGreen = green;
  q->rgbBlue = blue;
  q->rgbReserved = 0;
}

void SpiDibGreyRamp(SpiDib* dib, int levels, int inverted) {
  for (int i = 0; i < levels; ++i) {
    uint8_t v = (uint8_t)(i * 255 / (levels - 1));
    if (inverted) v = (uint8_t)(255 - v);
    SpiDibSetColor(dib, i, v, v, v);
  }
}

/* Ends an export: unlocks the blocks and hands them to the caller on success, frees them otherwise.
   Returns Result. */
static int SpiDibFinish(SpiDib* dib, int result, HLOCAL* pHBInfo, HLOCAL* pHBm) {
  if (dib->info) LocalUnlock(dib->hInfo);
  if (dib->bits) LocalUnlock(dib->hBits);
  if (result == SPI_ALL_RIGHT && dib->hInfo && dib->hBits) {
    *pHBInfo = dib->hInfo;
    *pHBm = dib->hBits;
  } else {
    if (result == SPI_ALL_RIGHT) result = SPI_NO_MEMORY;
    if (dib->hInfo) LocalFree(dib->hInfo);
    if (dib->hBits) LocalFree(dib->hBits);
  }
  memset(dib, 0, sizeof *dib);
  return result;
}

/* The exports. */

SPI_EXPORT int SPI_CALL GetPluginInfo(int infono, LPSTR buf, int buflen) {
  if (infono < 0 || infono >= kSpiFormatTextCount || buf == NULL || buflen <= 0) return 0;
  size_t n = strlen(kSpiFormatTexts[infono]);
  if (n > (size_t)buflen - 1) n = (size_t)buflen - 1;
  memcpy(buf, kSpiFormatTexts[infono], n);
  buf[n] = 0;
  return (int)n;
}

SPI_EXPORT int SPI_CALL IsSupported(LPCSTR filename, DWORD_PTR dw) {
  uint8_t head[SPI_HEADER_SIZE];
  (void)filename; /* the content decides, not the name */
  size_t size = SpiSupportHeader(dw, head);
  return size > 0 && SpiFormatSupported(head, size);
}

SPI_EXPORT int SPI_CALL GetPictureInfo(LPCSTR buf, LONG_PTR len, unsigned int flag, PictureInfo* lpInfo) {
  SpiInput input;
  if (lpInfo == NULL) return SPI_OTHER_ERROR;
  /* The start of a file mostly tells; the whole file is read only when it does not. */
  int result = SpiInputOpen(&input, buf, len, flag, SPI_INFO_PREFIX);
  if (result != SPI_ALL_RIGHT) return result;
  int32_t width = 0, height = 0;
  int bitCount = 0;
  if (!SpiFormatSupported(input.data, input.size))
    result = SPI_UNKNOWN_FORMAT;
  else
    result = SpiFormatInfo(input.data, input.size, &width, &height, &bitCount);
  if (result != SPI_ALL_RIGHT && result != SPI_UNKNOWN_FORMAT && input.partial) {
    SpiInputFree(&input);
    result = SpiInputOpen(&input, buf, len, flag, SIZE_MAX);
    if (result != SPI_ALL_RIGHT) return result;
    result = SpiFormatInfo(input.data, input.size, &width, &height, &bitCount);
  }
  if (result == SPI_ALL_RIGHT && !SpiSizeAllowed(width, height)) result = SPI_BROKEN_DATA;
  if (result == SPI_ALL_RIGHT) {
    memset(lpInfo, 0, sizeof *lpInfo);
    lpInfo->width = width;
    lpInfo->height = height;
    lpInfo->colorDepth = (short)bitCount;
  }
  SpiInputFree(&input);
  return result;
}

SPI_EXPORT int SPI_CALL GetPicture(LPCSTR buf, LONG_PTR len, unsigned int flag, HLOCAL* pHBInfo, HLOCAL* pHBm,
                                   ProgressCallback lpPrgressCallback, LONG_PTR lData) {
  SpiInput input;
  SpiDib dib;
  if (pHBInfo == NULL || pHBm == NULL) return SPI_OTHER_ERROR;
  int result = SpiInputOpen(&input, buf, len, flag, SIZE_MAX);
  if (result != SPI_ALL_RIGHT) return result;
  memset(&dib, 0, sizeof dib);
  if (!SpiFormatSupported(input.data, input.size))
    result = SPI_UNKNOWN_FORMAT;
  else if ((result = SpiProgress(lpPrgressCallback, 0, 1, lData)) == SPI_ALL_RIGHT)
    result = SpiFormatDecode(input.data, input.size, &dib, lpPrgressCallback, lData);
  if (result == SPI_ALL_RIGHT) result = SpiProgress(lpPrgressCallback, 1, 1, lData);
  result = SpiDibFinish(&dib, result, pHBInfo, pHBm);
  SpiInputFree(&input);
  return result;
}
