/* The Susie plug-in interface as a plug-in sees it: the picture record, the progress callback, the
   result codes and the input kinds. ZEB's own plug-ins and the test plug-ins share it. Natively (the
   fuzz targets) a small shim stands in for windows.h. */
#ifndef ZEB_SUSIE_INTERFACE_H
#define ZEB_SUSIE_INTERFACE_H

#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
#define SPI_EXPORT __declspec(dllexport)
#define SPI_CALL __stdcall
#else
#include "spi_native_shim.h"
#endif

/* Packed to single bytes; the 64-bit interface puts two bytes of padding before the handle. */
#pragma pack(push, 1)
typedef struct PictureInfo {
  LONG left, top;
  LONG width, height;
  WORD x_density, y_density;
  short colorDepth;
#if INTPTR_MAX > INT32_MAX
  WORD padding;
#endif
  HLOCAL hInfo;
} PictureInfo;
#pragma pack(pop)

typedef int(SPI_CALL* ProgressCallback)(int nNum, int nDenom, LONG_PTR lData);

enum {
  SPI_ALL_RIGHT = 0,
  SPI_NO_FUNCTION = -1,
  SPI_ABORT = 1,
  SPI_UNKNOWN_FORMAT = 2,
  SPI_BROKEN_DATA = 3,
  SPI_NO_MEMORY = 4,
  SPI_MEMORY_ERROR = 5,
  SPI_FILE_READ_ERROR = 6,
  SPI_OTHER_ERROR = 8,
};

/* Input kinds in the low bits of a picture export's flag. */
enum { SPI_INPUT_FILE = 0, SPI_INPUT_MEMORY = 1, SPI_INPUT_MASK = 7 };

#endif
