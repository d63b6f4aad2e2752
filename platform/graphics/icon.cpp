#include "platform/graphics/icon.h"

#include <cstring>
#include <string>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/picture_bytes.h"

namespace zeb {

const ImageFormat IconImage::kFormat = {
    "IconImage", &NewImage<IconImage>, [](const uint8_t* head, size_t size) {
      return size >= 4 && head[0] == 0 && head[1] == 0 && head[2] == 1 && head[3] == 0;
    }};

namespace {

constexpr size_t kDirectorySize = 6;
constexpr size_t kEntrySize = 16;
// No real icon image comes near this; a larger side is taken as damage.
constexpr int64_t kMaxSide = 16384;
constexpr int64_t kMaxFileSize = int64_t{256} << 20;

[[noreturn]] void Invalid() { throw InvalidPicture("Icon image is not valid"); }

// A PNG image: its size and depth from the IHDR chunk that must follow the signature.
IconImage::Entry ReadPngImage(const uint8_t* p, size_t size) {
  static const uint8_t kIhdr[8] = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  // Signature, chunk length and type, 13 bytes of data, CRC.
  if (size < 8 + 8 + 13 + 4 || std::memcmp(p + 8, kIhdr, 8) != 0) Invalid();
  int64_t width = ReadBE32(p + 16), height = ReadBE32(p + 20);
  unsigned depth = p[24], colourType = p[25];
  if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) Invalid();
  // Samples per pixel of each PNG colour type (0: no such type).
  static const unsigned kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  unsigned channels = colourType < 7 ? kChannels[colourType] : 0;
  if (channels == 0) Invalid();
  IconImage::Entry image;
  if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide) Invalid();
  image.width = static_cast<int32_t>(width);
  image.height = static_cast<int32_t>(height);
  image.bitCount = static_cast<uint16_t>(depth * channels);
  image.png = true;
  return image;
}

// A DIB image: BITMAPINFOHEADER (height counting both the colour and the mask rows), colour table,
// colour rows, mask rows; every part must lie within the image's bytes.
IconImage::Entry ReadDibImage(const uint8_t* p, size_t size) {
  if (size < 40) Invalid();
  uint32_t headerSize = ReadLE32(p);
  int64_t width = ReadLE32s(p + 4), doubledHeight = ReadLE32s(p + 8);
  uint16_t planes = ReadLE16(p + 12), bitCount = ReadLE16(p + 14);
  uint32_t compression = ReadLE32(p + 16), colorsUsed = ReadLE32(p + 32);
  if (headerSize < 40 || headerSize > size || planes != 1 || compression != 0) Invalid();
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
    Invalid();
  int64_t height = doubledHeight / 2;
  if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide) Invalid();
  uint64_t colors = colorsUsed;
  if (bitCount <= 8) {
    if (colors == 0) colors = uint64_t{1} << bitCount;
    if (colors > (uint64_t{1} << bitCount)) Invalid();
  } else if (colors > 256) {
    Invalid();
  }
  uint64_t colorRow = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
  uint64_t maskRow = (static_cast<uint64_t>(width) + 31) / 32 * 4;
  uint64_t needed = headerSize + colors * 4 + (colorRow + maskRow) * static_cast<uint64_t>(height);
  if (needed > size) Invalid();
  IconImage::Entry image;
  image.width = static_cast<int32_t>(width);
  image.height = static_cast<int32_t>(height);
  image.bitCount = bitCount;
  return image;
}

std::vector<IconImage::Entry> ReadDirectory(const std::vector<uint8_t>& data) {
  const size_t fileSize = data.size();
  if (fileSize < kDirectorySize) Invalid();
  const uint8_t* p = data.data();
  uint16_t reserved = ReadLE16(p), type = ReadLE16(p + 2), count = ReadLE16(p + 4);
  if (reserved != 0 || type != 1 || count == 0) Invalid();
  if (kDirectorySize + size_t{count} * kEntrySize > fileSize) Invalid();
  std::vector<IconImage::Entry> images;
  images.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = p + kDirectorySize + i * kEntrySize;
    uint32_t size = ReadLE32(entry + 8), offset = ReadLE32(entry + 12);
    if (size == 0 || uint64_t{offset} + size > fileSize) Invalid();
    static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const uint8_t* bytes = p + offset;
    IconImage::Entry image = size >= 8 && std::memcmp(bytes, kPngSignature, 8) == 0
                                 ? ReadPngImage(bytes, size)
                                 : ReadDibImage(bytes, size);
    image.offset = offset;
    image.size = size;
    images.push_back(image);
  }
  return images;
}

// The largest image, then the deepest; of equals the first.
int32_t ChooseBest(const std::vector<IconImage::Entry>& images) {
  int32_t best = 0;
  for (size_t i = 1; i < images.size(); ++i) {
    const IconImage::Entry& a = images[i];
    const IconImage::Entry& b = images[static_cast<size_t>(best)];
    int64_t areaA = int64_t{a.width} * a.height, areaB = int64_t{b.width} * b.height;
    if (areaA > areaB || (areaA == areaB && a.bitCount > b.bitCount)) best = static_cast<int32_t>(i);
  }
  return best;
}

}  // namespace

IconImage::IconImage() = default;
IconImage::~IconImage() = default;

void IconImage::Draw(Canvas& canvas, const PixelRect& rect) {
  if (best_ < 0) return;
  const Entry& image = images_[static_cast<size_t>(best_)];
  canvas.DrawIcon(data_->data() + image.offset, image.size, image.width, image.height, rect);
}

bool IconImage::GetEmpty() { return best_ < 0; }

int32_t IconImage::GetWidth() { return best_ < 0 ? 0 : images_[static_cast<size_t>(best_)].width; }
int32_t IconImage::GetHeight() { return best_ < 0 ? 0 : images_[static_cast<size_t>(best_)].height; }

void IconImage::SetWidth(int32_t) { throw InvalidPicture("Cannot change the size of an icon"); }
void IconImage::SetHeight(int32_t) { throw InvalidPicture("Cannot change the size of an icon"); }

void IconImage::LoadFromStream(Stream& stream) {
  auto data = ReadRestOfStream(stream, kMaxFileSize, "Icon image is not valid");
  std::vector<Entry> images = ReadDirectory(*data);
  best_ = ChooseBest(images);
  images_ = std::move(images);
  data_ = std::move(data);
  Changed();
}

void IconImage::SaveToStream(Stream& stream) {
  if (data_ && !data_->empty()) stream.WriteBuffer(data_->data(), static_cast<int64_t>(data_->size()));
}

void IconImage::Assign(Image& source) {
  if (auto* other = dynamic_cast<IconImage*>(&source)) {
    auto& icon = *other;
    if (&icon == this) return;
    data_ = icon.data_;
    images_ = icon.images_;
    best_ = icon.best_;
    Changed();
    return;
  }
  Image::Assign(source);
}

}  // namespace zeb
