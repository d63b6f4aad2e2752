// A picture class for registry and container tests: its file is the text "FAKE <width> <height>"; any
// other content is an invalid picture.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics/graphic.h"

namespace zeb::test {

class TFakeGraphic : public TGraphic {
 public:
  ZEB_GRAPHIC_CLASS_DECL(TFakeGraphic)
  void Draw(TCanvas&, const TRect&) override {}
  bool GetEmpty() override { return width == 0; }
  int32_t GetWidth() override { return width; }
  int32_t GetHeight() override { return height; }
  void SetWidth(int32_t w) override { width = w; }
  void SetHeight(int32_t h) override { height = h; }
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void Assign(TGraphic& source) override;

  int32_t width = 0, height = 0;
};

// A second, unrelated class of the same behaviour.
class TOtherFakeGraphic : public TFakeGraphic {
 public:
  ZEB_GRAPHIC_CLASS_DECL(TOtherFakeGraphic)
};

}  // namespace zeb::test
