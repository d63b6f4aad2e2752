/* The shared part of ZEB's own Susie import plug-ins: the exports, defined once in spi_plugin.c (which
   also reads the input, a file from an offset or memory, and hands the DIB's blocks over), and the DIB
   helpers the formats build their pictures with. Each format's source adds its support test, its
   picture information and its decoder. Natively (the fuzz targets) a small shim stands in for windows.h. */
#ifndef ZEB_SPI_PLUGIN_H
#define ZEB_SPI_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#include "susie_interface.h"

/* Pictures with more pixels are refused, whatever memory there is: as many as the viewer of the same
   width takes (platform/graphics/dib_limits.h), fewer in the fuzz targets, so that they stay fast. */
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
#define SPI_MAX_PIXELS (1LL << 22)
#elif defined(_WIN64)
#define SPI_MAX_PIXELS (1LL << 30)
#else
#define SPI_MAX_PIXELS (1LL << 28)
#endif

/* A bottom-up DIB being built in two moveable local-memory blocks, both locked until handed over. */
typedef struct SpiDib {
  HLOCAL hInfo, hBits;
  BITMAPINFO* info;
  uint8_t* bits;
  int32_t width, height;
  int bitCount; /* 8 (with a 256-entry colour table), 24 or 32 (blue, green, red, alpha) */
  size_t stride;
} SpiDib;

/* Whether a picture of this size is taken: 1 to SPI_MAX_PIXELS pixels. GetPictureInfo and SpiDibCreate
   check it for every format. */
static inline int SpiSizeAllowed(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= SPI_MAX_PIXELS && height <= SPI_MAX_PIXELS &&
         width * height <= SPI_MAX_PIXELS;
}

/* Checks the size (SpiSizeAllowed) and makes zero-filled blocks; a result code. */
int SpiDibCreate(SpiDib* dib, int64_t width, int64_t height, int bitCount);
/* Row Y counted from the top of the picture. */
static inline uint8_t* SpiDibRow(const SpiDib* dib, int32_t y) {
  return dib->bits + (size_t)(dib->height - 1 - y) * dib->stride;
}
/* Sets colour-table entry I. */
void SpiDibSetColor(SpiDib* dib, int i, uint8_t red, uint8_t green, uint8_t blue);
/* A grey ramp of Levels entries (2 to 256) from black to white, or white to black when Inverted. */
void SpiDibGreyRamp(SpiDib* dib, int levels, int inverted);

/* Reports progress (Done of Total); returns SPI_ABORT when the host asks to stop, else SPI_ALL_RIGHT. */
static inline int SpiProgress(ProgressCallback progress, int done, int total, LONG_PTR data) {
  return progress && progress(done, total, data) ? SPI_ABORT : SPI_ALL_RIGHT;
}

/* A 16-bit sample rounded to the nearest 8-bit one. */
static inline uint8_t SpiTo8(unsigned v) { return (uint8_t)((v + 128) / 257); }

/* The exports, defined once in spi_plugin.c for every format. */
SPI_EXPORT int SPI_CALL GetPluginInfo(int infono, LPSTR buf, int buflen);
SPI_EXPORT int SPI_CALL IsSupported(LPCSTR filename, DWORD_PTR dw);
SPI_EXPORT int SPI_CALL GetPictureInfo(LPCSTR buf, LONG_PTR len, unsigned int flag, PictureInfo* lpInfo);
SPI_EXPORT int SPI_CALL GetPicture(LPCSTR buf, LONG_PTR len, unsigned int flag, HLOCAL* pHBInfo, HLOCAL* pHBm,
                                   ProgressCallback lpPrgressCallback, LONG_PTR lData);

/* What each format's source provides; the exports are defined once over these. */
int SpiFormatSupported(const uint8_t* head, size_t size);
/* Size and output depth from the data; a result code. */
int SpiFormatInfo(const uint8_t* data, size_t size, int32_t* width, int32_t* height, int* bitCount);
/* Decodes into a new DIB (created by the decoder); a result code. On failure the decoder leaves
   whatever it created in Dib for the export to free. */
int SpiFormatDecode(const uint8_t* data, size_t size, SpiDib* dib, ProgressCallback progress, LONG_PTR lData);
extern const char* const kSpiFormatTexts[];
extern const int kSpiFormatTextCount;

#endif
