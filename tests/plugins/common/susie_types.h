/* The Susie plug-in interface's record, callback and result codes, as a plug-in sees them. */
#ifndef ZEB_TEST_SUSIE_TYPES_H
#define ZEB_TEST_SUSIE_TYPES_H

#include <windows.h>

#pragma pack(push, 1)
typedef struct PictureInfo {
  long left, top;
  long width, height;
  WORD x_density, y_density;
  short colorDepth;
  HLOCAL hInfo;
} PictureInfo;
#pragma pack(pop)

typedef int(__stdcall* ProgressCallback)(int nNum, int nDenom, long lData);

enum {
  SPI_ALL_RIGHT = 0,
  SPI_NO_FUNCTION = -1,
  SPI_ABORT = 1,
  SPI_UNKNOWN_FORMAT = 2,
  SPI_BROKEN_DATA = 3,
  SPI_NO_MEMORY = 4,
  SPI_FILE_READ_ERROR = 6,
};

/* Input types in the low bits of a picture export's flag. */
enum { SPI_INPUT_FILE = 0, SPI_INPUT_MEMORY = 1, SPI_INPUT_MASK = 7 };

#endif
