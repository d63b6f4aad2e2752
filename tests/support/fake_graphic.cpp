#include "tests/support/fake_graphic.h"

#include <cstdio>

#include "platform/core/errors.h"
#include "platform/core/streams.h"

namespace zeb::test {

ZEB_GRAPHIC_CLASS_DEF(TFakeGraphic, nullptr)
ZEB_GRAPHIC_CLASS_DEF(TOtherFakeGraphic, &TFakeGraphic::Class)

void TFakeGraphic::LoadFromStream(TStream& stream) {
  char text[64] = {};
  stream.Read(text, sizeof text - 1);
  int w = 0, h = 0;
  if (std::sscanf(text, "FAKE %d %d", &w, &h) != 2 || w <= 0 || h <= 0)
    throw EInvalidGraphic("Not a fake picture");
  width = w;
  height = h;
  Changed();
}

void TFakeGraphic::SaveToStream(TStream& stream) {
  std::string text = "FAKE " + std::to_string(width) + " " + std::to_string(height);
  stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TFakeGraphic::Assign(TGraphic& source) {
  if (!source.InheritsFrom(&TFakeGraphic::Class)) return TGraphic::Assign(source);
  auto& fake = static_cast<TFakeGraphic&>(source);
  width = fake.width;
  height = fake.height;
  Changed();
}

}  // namespace zeb::test
