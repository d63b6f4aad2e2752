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

#pragma pack(push, 1)
struct PictureInfo {
  int32_t left, top;      // where the picture goes
  int32_t width, height;  // its size in pixels
  uint16_t x_density;     // horizontal density
  uint16_t y_density;     // vertical density
  int16_t colorDepth;     // bits per pixel
  LocalHandle hInfo;      // a local-memory block of text; freed by whoever receives it
};
#pragma pack(pop)
#if defined(__i386__) || defined(_M_IX86)
static_assert(sizeof(PictureInfo) == 26, "PictureInfo is a packed 26-byte record");
#endif

// Progress callback handed to GetPicture and GetPreview: done count, total, user data; non-zero stops.
using ProgressCallback = int(SPI_API*)(int num, int denom, intptr_t data);

using GetPluginInfoProc = int(SPI_API*)(int infono, char* buf, int buflen);
using IsSupportedProc = int(SPI_API*)(const char* filename, uintptr_t dw);
using GetPictureInfoProc = int(SPI_API*)(const char* buf, intptr_t len, unsigned int flag,
                                         PictureInfo* lpInfo);
using GetPictureProc = int(SPI_API*)(const char* buf, intptr_t len, unsigned int flag, LocalHandle* pHBInfo,
                                     LocalHandle* pHBm, ProgressCallback lpPrgressCallback, intptr_t lData);
using GetPreviewProc = GetPictureProc;
using ConfigurationDlgProc = int(SPI_API*)(void* parent, int fnc);

// Size of the header buffer handed to IsSupported: 2048 bytes plus room for a 128-byte MacBinary header.
constexpr int kHeaderBufferSize = 2176;
constexpr int kMacBinaryOffset = 128;

// Result codes of the picture exports.
constexpr int SPI_SUCCESS = 0;

}  // namespace zeb::spi
