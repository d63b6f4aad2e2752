/* The picture exports of the test import plug-ins: binary PPM (P6) and PGM (P5) with a maxval of 255,
   read from a file (flag 0: buf is the file name, len the offset) or from memory (flag 1: buf is the
   data, len its size). GetPicture returns a bottom-up DIB: 24-bit for PPM, 8-bit grey with a 256-entry
   colour table for PGM, both blocks from LocalAlloc. Define PNM_NO_GET_PICTURE to leave GetPicture out.
   The first "#" comment of a header is handed back as PictureInfo's text. */
#ifndef ZEB_TEST_PNM_IMPORT_H
#define ZEB_TEST_PNM_IMPORT_H

#include <windows.h>

#include "plugin_input.h"
#include "susie_types.h"

/* Rows decoded between two progress reports. */
#define PNM_PROGRESS_BAND 16
/* Bigger pictures are refused as broken rather than risking an overflow. */
#define PNM_MAX_SIDE 32767
#define PNM_MAX_FILE (256 * 1024 * 1024)

typedef struct PnmImage {
  int width, height, channels;
  const unsigned char* pixels; /* top-down rows of width * channels bytes */
  char comment[64];
} PnmImage;

static int PnmIsSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

static int PnmHasSignature(const unsigned char* data, size_t size) {
  return size >= 3 && data[0] == 'P' && (data[1] == '6' || data[1] == '5') && PnmIsSpace(data[2]);
}

/* Reads one header number after blanks and comments; 0 when there is none. */
static int PnmNumber(const unsigned char* data, size_t size, size_t* pos, long* value, PnmImage* image) {
  for (;;) {
    while (*pos < size && PnmIsSpace(data[*pos])) ++*pos;
    if (*pos >= size || data[*pos] != '#') break;
    ++*pos;
    while (*pos < size && (data[*pos] == ' ' || data[*pos] == '\t')) ++*pos;
    size_t start = *pos, n = 0;
    while (*pos < size && data[*pos] != '\n' && data[*pos] != '\r') ++*pos;
    if (image->comment[0] == 0) {
      while (start + n < *pos && n < sizeof image->comment - 1)
        image->comment[n] = (char)data[start + n], ++n;
      image->comment[n] = 0;
    }
  }
  if (*pos >= size || data[*pos] < '0' || data[*pos] > '9') return 0;
  *value = 0;
  while (*pos < size && data[*pos] >= '0' && data[*pos] <= '9') {
    *value = *value * 10 + (data[*pos] - '0');
    if (*value > 1000000) return 0;
    ++*pos;
  }
  return 1;
}

/* Parses a whole PNM in memory; returns a Susie result code. */
static int PnmParse(const unsigned char* data, size_t size, PnmImage* image) {
  size_t pos = 2;
  long width, height, maxval;
  ZeroMemory(image, sizeof *image);
  if (!PnmHasSignature(data, size)) return SPI_UNKNOWN_FORMAT;
  image->channels = data[1] == '6' ? 3 : 1;
  if (!PnmNumber(data, size, &pos, &width, image) || !PnmNumber(data, size, &pos, &height, image) ||
      !PnmNumber(data, size, &pos, &maxval, image))
    return SPI_BROKEN_DATA;
  if (maxval != 255) return SPI_UNKNOWN_FORMAT;
  if (width < 1 || height < 1 || width > PNM_MAX_SIDE || height > PNM_MAX_SIDE) return SPI_BROKEN_DATA;
  if (pos >= size || !PnmIsSpace(data[pos])) return SPI_BROKEN_DATA;
  ++pos;
  if ((unsigned long long)(size - pos) < (unsigned long long)width * height * image->channels)
    return SPI_BROKEN_DATA;
  image->width = (int)width;
  image->height = (int)height;
  image->pixels = data + pos;
  return SPI_ALL_RIGHT;
}

/* Dw is the address of the header buffer (at least 2 KB), or a file handle when its upper word is 0. */
__declspec(dllexport) int __stdcall IsSupported(LPCSTR filename, DWORD_PTR dw) {
  unsigned char head[4] = {0};
  (void)filename;
  if ((dw & ~(DWORD_PTR)0xFFFF) == 0) {
    DWORD got = 0;
    if (!ReadFile((HANDLE)(ULONG_PTR)dw, head, sizeof head, &got, NULL)) return 0;
    return PnmHasSignature(head, got);
  }
  return PnmHasSignature((const unsigned char*)(ULONG_PTR)dw, 3);
}

__declspec(dllexport) int __stdcall GetPictureInfo(LPCSTR buf, LONG_PTR len, unsigned int flag,
                                                   PictureInfo* lpInfo) {
  const unsigned char* data;
  size_t size;
  void* owned;
  PnmImage image;
  if (lpInfo == NULL) return SPI_BROKEN_DATA;
  int result = SpiReadInput(buf, len, flag, PNM_MAX_FILE, &data, &size, &owned);
  if (result != SPI_ALL_RIGHT) return result;
  result = PnmParse(data, size, &image);
  if (result == SPI_ALL_RIGHT) {
    ZeroMemory(lpInfo, sizeof *lpInfo);
    lpInfo->width = image.width;
    lpInfo->height = image.height;
    lpInfo->colorDepth = (short)(image.channels * 8);
    if (image.comment[0]) {
      int n = lstrlenA(image.comment) + 1;
      lpInfo->hInfo = LocalAlloc(LMEM_MOVEABLE, n);
      char* text = lpInfo->hInfo ? (char*)LocalLock(lpInfo->hInfo) : NULL;
      if (text) {
        CopyMemory(text, image.comment, n);
        LocalUnlock(lpInfo->hInfo);
      }
    }
  }
  if (owned) HeapFree(GetProcessHeap(), 0, owned);
  return result;
}

#ifndef PNM_NO_GET_PICTURE

/* Writes the DIB of a parsed image into two new blocks, reporting progress per band of rows. */
static int PnmToDib(const PnmImage* image, HLOCAL* pHBInfo, HLOCAL* pHBm, ProgressCallback progress,
                    LONG_PTR lData) {
  int bits = image->channels * 8;
  DWORD rowBytes = (DWORD)(((image->width * bits + 31) / 32) * 4);
  DWORD colours = image->channels == 1 ? 256 : 0;
  HLOCAL hInfo =
      LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD));
  HLOCAL hBits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, rowBytes * (DWORD)image->height);
  BITMAPINFO* info = hInfo ? (BITMAPINFO*)LocalLock(hInfo) : NULL;
  unsigned char* out = hBits ? (unsigned char*)LocalLock(hBits) : NULL;
  int result = SPI_ALL_RIGHT;
  if (info == NULL || out == NULL) {
    result = SPI_NO_MEMORY;
  } else {
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = image->width;
    info->bmiHeader.biHeight = image->height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = (WORD)bits;
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biSizeImage = rowBytes * (DWORD)image->height;
    info->bmiHeader.biClrUsed = colours;
    for (DWORD i = 0; i < colours; ++i) {
      info->bmiColors[i].rgbRed = info->bmiColors[i].rgbGreen = info->bmiColors[i].rgbBlue = (BYTE)i;
    }
    for (int y = 0; y < image->height && result == SPI_ALL_RIGHT; ++y) {
      if (y % PNM_PROGRESS_BAND == 0 && progress && progress(y, image->height, lData)) {
        result = SPI_ABORT;
        break;
      }
      const unsigned char* src = image->pixels + (size_t)y * image->width * image->channels;
      unsigned char* dst = out + (size_t)(image->height - 1 - y) * rowBytes;
      if (image->channels == 1) {
        CopyMemory(dst, src, image->width);
      } else {
        for (int x = 0; x < image->width; ++x, src += 3, dst += 3)
          dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
      }
    }
    if (result == SPI_ALL_RIGHT && progress && progress(image->height, image->height, lData))
      result = SPI_ABORT;
  }
  return SpiHandOver(result, hInfo, info, hBits, out, pHBInfo, pHBm);
}

__declspec(dllexport) int __stdcall GetPicture(LPCSTR buf, LONG_PTR len, unsigned int flag, HLOCAL* pHBInfo,
                                               HLOCAL* pHBm, ProgressCallback lpPrgressCallback,
                                               LONG_PTR lData) {
  const unsigned char* data;
  size_t size;
  void* owned;
  PnmImage image;
  if (pHBInfo == NULL || pHBm == NULL) return SPI_BROKEN_DATA;
  int result = SpiReadInput(buf, len, flag, PNM_MAX_FILE, &data, &size, &owned);
  if (result != SPI_ALL_RIGHT) return result;
  result = PnmParse(data, size, &image);
  if (result == SPI_ALL_RIGHT) result = PnmToDib(&image, pHBInfo, pHBm, lpPrgressCallback, lData);
  if (owned) HeapFree(GetProcessHeap(), 0, owned);
  return result;
}

#endif /* PNM_NO_GET_PICTURE */

#endif
