// A picture class for registry and container tests: its file is the text "FAKE <width> <height>"; any
// other content is an invalid picture.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics/graphic.h"

namespace zeb::test {

class FakeImage : public Image {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
  void Draw(Canvas&, const PixelRect&) override {}
  bool GetEmpty() override { return width == 0; }
  int32_t GetWidth() override { return width; }
  int32_t GetHeight() override { return height; }
  void SetWidth(int32_t w) override { width = w; }
  void SetHeight(int32_t h) override { height = h; }
  void LoadFromStream(Stream& stream) override;
  void SaveToStream(Stream& stream) override;
  void Assign(Image& source) override;

  int32_t width = 0, height = 0;
};

// A second, unrelated class of the same behaviour.
class OtherFakeImage : public FakeImage {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
};

}  // namespace zeb::test
