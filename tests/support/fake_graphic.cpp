#include "tests/support/fake_graphic.h"

#include <cstdio>

#include "platform/core/errors.h"
#include "platform/core/streams.h"

namespace zeb::test {

const ImageFormat FakeImage::kFormat = {"FakeImage", &NewImage<FakeImage>};
const ImageFormat OtherFakeImage::kFormat = {"OtherFakeImage", &NewImage<OtherFakeImage>};

void FakeImage::LoadFromStream(Stream& stream) {
  char text[64] = {};
  stream.Read(text, sizeof text - 1);
  int w = 0, h = 0;
  if (std::sscanf(text, "FAKE %d %d", &w, &h) != 2 || w <= 0 || h <= 0)
    throw InvalidPicture("Not a fake picture");
  width = w;
  height = h;
  Changed();
}

void FakeImage::SaveToStream(Stream& stream) {
  std::string text = "FAKE " + std::to_string(width) + " " + std::to_string(height);
  stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void FakeImage::Assign(Image& source) {
  if (!dynamic_cast<FakeImage*>(&source)) return Image::Assign(source);
  auto& fake = static_cast<FakeImage&>(source);
  width = fake.width;
  height = fake.height;
  Changed();
}

}  // namespace zeb::test
