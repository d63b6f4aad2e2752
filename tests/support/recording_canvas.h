// A canvas that draws nothing and records what it was asked to draw, for tests of pictures' Draw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/canvas.h"

namespace zeb::test {

class RecordingCanvas : public Canvas {
 public:
  struct Call {
    std::string what;  // "StretchDIB", "FillRect", "DrawIcon" or "PlayMetafile"
    PixelRect dest;
    const void* data = nullptr;  // bits, icon image or metafile records
    size_t size = 0;             // icon image or metafile size
    int32_t width = 0, height = 0;
    bool enhanced = false;
  };
  std::vector<Call> calls;

  void StretchDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits, const void*,
                  PaletteHandle) override {
    calls.push_back({"StretchDIB", dest, bits, 0, srcWidth, srcHeight, false});
  }
  void FillRect(const PixelRect& rect, uint32_t) override { calls.push_back({"FillRect", rect}); }
  void DrawIcon(const uint8_t* image, size_t size, int32_t width, int32_t height,
                const PixelRect& dest) override {
    calls.push_back({"DrawIcon", dest, image, size, width, height, false});
  }
  void PlayMetafile(const uint8_t* data, size_t size, bool enhanced, const PixelRect& dest) override {
    calls.push_back({"PlayMetafile", dest, data, size, 0, 0, enhanced});
  }
};

}  // namespace zeb::test
