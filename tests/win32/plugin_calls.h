// Calling an import plug-in's exports from a Wine-run test across the real stdcall boundary: a
// progress callback that logs its reports (and can ask to stop), the two blocks of a decoded picture,
// and the support test and the decode from memory.
#pragma once

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "spi/spi_module.h"

namespace zeb::spi::testing_support {

struct ProgressLog {
  std::vector<std::pair<int, int>> calls;
  int abortAt = -1;  // the call (0-based) that asks to stop
};

inline int SPI_API Progress(int done, int total, intptr_t data) {
  auto* log = reinterpret_cast<ProgressLog*>(data);
  log->calls.push_back({done, total});
  return static_cast<int>(log->calls.size()) - 1 == log->abortAt ? 1 : 0;
}

// A decoded picture: the BITMAPINFO block and the bits block, freed at the end.
struct Decoded {
  LocalHandle info = nullptr, bits = nullptr;
  Decoded() = default;
  Decoded(const Decoded&) = delete;
  ~Decoded() {
    if (info) LocalFree(info);
    if (bits) LocalFree(bits);
  }
  const BITMAPINFO* Info() const { return static_cast<const BITMAPINFO*>(LocalLock(info)); }
  const BITMAPINFOHEADER& Header() const { return Info()->bmiHeader; }
  const RGBQUAD* Colours() const { return Info()->bmiColors; }
  const uint8_t* Bits() const { return static_cast<const uint8_t*>(LocalLock(bits)); }
  size_t Stride() const {
    return (static_cast<size_t>(Header().biWidth) * Header().biBitCount + 31) / 32 * 4;
  }
  // Pixel (X, Y), Y from the top, as RGBA.
  std::array<uint8_t, 4> Pixel(int x, int y) const {
    const BITMAPINFOHEADER& h = Header();
    const uint8_t* row = Bits() + static_cast<size_t>(h.biHeight - 1 - y) * Stride();
    if (h.biBitCount == 8) {
      const RGBQUAD& c = Colours()[row[x]];
      return {c.rgbRed, c.rgbGreen, c.rgbBlue, 255};
    }
    const uint8_t* p = row + static_cast<size_t>(x) * (h.biBitCount / 8);
    return {p[2], p[1], p[0], static_cast<uint8_t>(h.biBitCount == 32 ? p[3] : 255)};
  }
};

// GetPicture from Bytes in memory, reporting to Log when there is one.
inline int FromMemory(PluginModule& module, const std::string& bytes, Decoded& out,
                      ProgressLog* log = nullptr) {
  return module.GetPicture(bytes.data(), static_cast<intptr_t>(bytes.size()), 1, &out.info, &out.bits,
                           log ? &Progress : nullptr, reinterpret_cast<intptr_t>(log));
}

// IsSupported with the start of Bytes in a header buffer of the host's size (zero-filled past them).
inline int Supported(PluginModule& module, const std::string& bytes, const char* fileName) {
  std::vector<char> header(kHeaderBufferSize, 0);
  std::memcpy(header.data(), bytes.data(), std::min(bytes.size(), header.size()));
  return module.IsSupported(fileName, reinterpret_cast<uintptr_t>(header.data()));
}

}  // namespace zeb::spi::testing_support
