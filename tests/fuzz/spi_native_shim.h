/* What our plug-ins take from windows.h, for building them natively as fuzz targets: the integer
   types, the DIB records and the local-memory calls. A block records its size and lock count, so that
   the fuzz target can check every block it is handed. */
#ifndef ZEB_SPI_NATIVE_SHIM_H
#define ZEB_SPI_NATIVE_SHIM_H

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#define SPI_EXPORT
#define SPI_CALL

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef intptr_t LONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef const char* LPCSTR;
typedef char* LPSTR;

typedef struct LocalBlock {
  size_t size;
  int locks;
  max_align_t data[];
} LocalBlock;
typedef LocalBlock* HLOCAL;

#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040

static inline HLOCAL LocalAlloc(unsigned flags, size_t bytes) {
  HLOCAL h = (HLOCAL)((flags & LMEM_ZEROINIT) ? calloc(1, sizeof(LocalBlock) + bytes)
                                              : malloc(sizeof(LocalBlock) + bytes));
  if (h) h->size = bytes, h->locks = 0;
  return h;
}
static inline void* LocalLock(HLOCAL h) { return h ? (++h->locks, (void*)h->data) : NULL; }
static inline int LocalUnlock(HLOCAL h) { return h && h->locks > 0 ? --h->locks : 0; }
static inline HLOCAL LocalFree(HLOCAL h) {
  free(h);
  return NULL;
}
static inline size_t LocalSize(HLOCAL h) { return h ? h->size : 0; }

#define BI_RGB 0
#pragma pack(push, 2)
typedef struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth, biHeight;
  WORD biPlanes, biBitCount;
  DWORD biCompression, biSizeImage;
  LONG biXPelsPerMeter, biYPelsPerMeter;
  DWORD biClrUsed, biClrImportant;
} BITMAPINFOHEADER;
#pragma pack(pop)
typedef struct RGBQUAD {
  BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
} RGBQUAD;
typedef struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO;

#endif
