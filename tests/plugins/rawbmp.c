/* An import plug-in for a trivial raw format that is stored under the extension .bmp, so that a ".BMP"
   file which the plain bitmap reader rejects can still be read by a plug-in.

   Format: the 8 bytes "ZRAWBMP1", width and height (32-bit little-endian, 1 to 4096), the bit count
   (one byte: 24 or 4), for 4 bits a palette of 16 RGB triples, then the pixels top-down: RGB triples
   for 24 bits, one palette index (0 to 15) per byte for 4 bits. GetPicture returns a bottom-up DIB of
   the same depth (4 bits with a 16-entry colour table) and reports progress once per row. */
#define PLUGIN_INFO "00IN", "Raw BMP-named test plug-in", "*.bmp", "Raw pictures"
#include "common/plugin_info.h"
#include "common/plugin_input.h"
#include "common/susie_types.h"

#include <string.h>

#define RAW_MAGIC "ZRAWBMP1"
#define RAW_HEADER 17
#define RAW_MAX_SIDE 4096
#define RAW_MAX_FILE (64 * 1024 * 1024)

typedef struct RawImage {
  DWORD width, height, bits;
  const unsigned char* palette; /* 16 RGB triples for 4 bits */
  const unsigned char* pixels;
} RawImage;

static DWORD RawLE32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | (DWORD)p[3] << 24; }

static int RawHasMagic(const unsigned char* data, size_t size) {
  return size >= 8 && memcmp(data, RAW_MAGIC, 8) == 0;
}

static int RawParse(const unsigned char* data, size_t size, RawImage* image) {
  size_t need;
  if (!RawHasMagic(data, size)) return SPI_UNKNOWN_FORMAT;
  if (size < RAW_HEADER) return SPI_BROKEN_DATA;
  image->width = RawLE32(data + 8);
  image->height = RawLE32(data + 12);
  image->bits = data[16];
  if (image->width < 1 || image->height < 1 || image->width > RAW_MAX_SIDE || image->height > RAW_MAX_SIDE)
    return SPI_BROKEN_DATA;
  if (image->bits != 24 && image->bits != 4) return SPI_UNKNOWN_FORMAT;
  image->palette = image->bits == 4 ? data + RAW_HEADER : NULL;
  image->pixels = data + RAW_HEADER + (image->bits == 4 ? 48 : 0);
  need = (size_t)(image->pixels - data) + (size_t)image->width * image->height * (image->bits == 24 ? 3 : 1);
  return size < need ? SPI_BROKEN_DATA : SPI_ALL_RIGHT;
}

__declspec(dllexport) int __stdcall IsSupported(LPCSTR filename, DWORD_PTR dw) {
  (void)filename;
  if ((dw & ~(DWORD_PTR)0xFFFF) == 0) return 0; /* a file handle: this plug-in reads only header buffers */
  return RawHasMagic((const unsigned char*)(ULONG_PTR)dw, 8);
}

__declspec(dllexport) int __stdcall GetPictureInfo(LPCSTR buf, LONG_PTR len, unsigned int flag,
                                                   PictureInfo* lpInfo) {
  const unsigned char* data;
  size_t size;
  void* owned;
  RawImage image;
  int result;
  if (lpInfo == NULL) return SPI_BROKEN_DATA;
  result = SpiReadInput(buf, len, flag, RAW_MAX_FILE, &data, &size, &owned);
  if (result != SPI_ALL_RIGHT) return result;
  result = RawParse(data, size, &image);
  if (result == SPI_ALL_RIGHT) {
    ZeroMemory(lpInfo, sizeof *lpInfo);
    lpInfo->width = (long)image.width;
    lpInfo->height = (long)image.height;
    lpInfo->colorDepth = (short)image.bits;
  }
  if (owned) HeapFree(GetProcessHeap(), 0, owned);
  return result;
}

static int RawToDib(const RawImage* image, HLOCAL* pHBInfo, HLOCAL* pHBm, ProgressCallback progress,
                    LONG_PTR lData) {
  DWORD rowBytes = ((image->width * image->bits + 31) / 32) * 4;
  DWORD colours = image->bits == 4 ? 16 : 0;
  HLOCAL hInfo =
      LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD));
  HLOCAL hBits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, rowBytes * image->height);
  BITMAPINFO* info = hInfo ? (BITMAPINFO*)LocalLock(hInfo) : NULL;
  unsigned char* out = hBits ? (unsigned char*)LocalLock(hBits) : NULL;
  int result = SPI_ALL_RIGHT;
  DWORD x, y, i;
  if (info == NULL || out == NULL) {
    result = SPI_NO_MEMORY;
  } else {
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = (LONG)image->width;
    info->bmiHeader.biHeight = (LONG)image->height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = (WORD)image->bits;
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biSizeImage = rowBytes * image->height;
    info->bmiHeader.biClrUsed = colours;
    for (i = 0; i < colours; ++i) {
      info->bmiColors[i].rgbRed = image->palette[3 * i];
      info->bmiColors[i].rgbGreen = image->palette[3 * i + 1];
      info->bmiColors[i].rgbBlue = image->palette[3 * i + 2];
    }
    for (y = 0; y < image->height; ++y) {
      unsigned char* dst = out + (size_t)(image->height - 1 - y) * rowBytes;
      if (progress && progress((int)y, (int)image->height, lData)) {
        result = SPI_ABORT;
        break;
      }
      if (image->bits == 24) {
        const unsigned char* src = image->pixels + (size_t)y * image->width * 3;
        for (x = 0; x < image->width; ++x, src += 3, dst += 3)
          dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
      } else {
        const unsigned char* src = image->pixels + (size_t)y * image->width;
        for (x = 0; x < image->width; ++x) dst[x / 2] |= (unsigned char)((src[x] & 15) << (x % 2 ? 0 : 4));
      }
    }
  }
  return SpiHandOver(result, hInfo, info, hBits, out, pHBInfo, pHBm);
}

__declspec(dllexport) int __stdcall GetPicture(LPCSTR buf, LONG_PTR len, unsigned int flag, HLOCAL* pHBInfo,
                                               HLOCAL* pHBm, ProgressCallback lpPrgressCallback,
                                               LONG_PTR lData) {
  const unsigned char* data;
  size_t size;
  void* owned;
  RawImage image;
  int result;
  if (pHBInfo == NULL || pHBm == NULL) return SPI_BROKEN_DATA;
  result = SpiReadInput(buf, len, flag, RAW_MAX_FILE, &data, &size, &owned);
  if (result != SPI_ALL_RIGHT) return result;
  result = RawParse(data, size, &image);
  if (result == SPI_ALL_RIGHT) result = RawToDib(&image, pHBInfo, pHBm, lpPrgressCallback, lData);
  if (owned) HeapFree(GetProcessHeap(), 0, owned);
  return result;
}
