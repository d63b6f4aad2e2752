// The Susie plug-in interface as this viewer calls it: exports by name, the standard library calling
// convention (the callee removes the arguments), the packed PictureInfo record and local-memory
// handles for everything a plug-in returns.
#pragma once

#include <cstdint>

#include "platform/services/local_memory.h"

#if defined(__i386__) || defined(_M_IX86)
#define SPI_API __attribute__((stdcall))
#else
#define SPI_API
#endif

namespace zeb::spi {

// Packed to single bytes; the 64-bit interface puts two bytes of padding before the handle.
#pragma pack(push, 1)
struct PictureInfo {
  int32_t left, top;      // where the picture goes
  int32_t width, height;  // its size in pixels
  uint16_t x_density;     // horizontal density
  uint16_t y_density;     // vertical density
  int16_t colorDepth;     // bits per pixel
#if INTPTR_MAX > INT32_MAX
  uint16_t padding;
#endif
  LocalHandle hInfo;  // a local-memory block of text; freed by whoever receives it
};
#pragma pack(pop)
static_assert(sizeof(PictureInfo) == (sizeof(void*) == 8 ? 32 : 26),
              "PictureInfo is a packed record of 26 bytes (32 with a 64-bit handle)");

// Progress callback handed to GetPicture and GetPreview: done count, total, user data (pointer-sized,
// as are the lengths and offsets below); non-zero stops.
using ProgressCallback = int(SPI_API*)(int num, int denom, intptr_t data);

using GetPluginInfoProc = int(SPI_API*)(int infono, char* buf, int buflen);
// The second argument is pointer-sized: the address of the header buffer (a file handle when its bits
// above the lowest 16 are all 0; this viewer always hands the buffer).
using IsSupportedProc = int(SPI_API*)(const char* filename, uintptr_t dw);
using GetPictureInfoProc = int(SPI_API*)(const char* buf, intptr_t len, unsigned int flag,
                                         PictureInfo* lpInfo);
using GetPictureProc = int(SPI_API*)(const char* buf, intptr_t len, unsigned int flag, LocalHandle* pHBInfo,
                                     LocalHandle* pHBm, ProgressCallback lpPrgressCallback, intptr_t lData);
using GetPreviewProc = GetPictureProc;
// The wide-character forms: texts and file names in UTF-16. A name that the ANSI code page cannot carry
// reaches a plug-in that has them through these; memory input is the same bytes as for the others.
using GetPluginInfoWProc = int(SPI_API*)(int infono, char16_t* buf, int buflen);
using IsSupportedWProc = int(SPI_API*)(const char16_t* filename, uintptr_t dw);
using GetPictureInfoWProc = int(SPI_API*)(const char16_t* buf, intptr_t len, unsigned int flag,
                                          PictureInfo* lpInfo);
using GetPictureWProc = int(SPI_API*)(const char16_t* buf, intptr_t len, unsigned int flag,
                                      LocalHandle* pHBInfo, LocalHandle* pHBm,
                                      ProgressCallback lpPrgressCallback, intptr_t lData);
using ConfigurationDlgProc = int(SPI_API*)(void* parent, int fnc);

// Size of the header buffer handed to IsSupported: 2048 bytes plus room for a 128-byte MacBinary header.
constexpr int kHeaderBufferSize = 2176;
constexpr int kMacBinaryOffset = 128;

// Result codes of the picture exports.
constexpr int SPI_SUCCESS = 0;

}  // namespace zeb::spi
