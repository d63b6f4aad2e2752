#include "platform/graphics/metafile.h"

#include <string>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/picture_bytes.h"

namespace zeb {

namespace {

constexpr int64_t kMaxFileSize = int64_t{256} << 20;
constexpr int64_t kScreenDpi = 96;
constexpr int64_t kHundredthMmPerInch = 2540;
// A larger side is taken as a damaged header.
constexpr int64_t kMaxSide = 65535;

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kEmfMinHeader = 88;            // up to and including szlMillimeters

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kWmfHeaderSize = 18;
constexpr uint16_t kMetaEof = 0x0000;
constexpr uint16_t kMetaSetWindowExt = 0x020C;

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

// An enhanced metafile's header record, a placeable metafile's key, or a Windows metafile's header.
bool RecognisedMetafile(const uint8_t* head, size_t size) {
  if (size >= 44 && Le32(head) == kEmrHeader && Le32(head + 40) == kEmfSignature) return true;
  if (size >= 4 && Le32(head) == kPlaceableKey) return true;
  return size >= 4 && (head[0] == 1 || head[0] == 2) && head[1] == 0 && head[2] == 9 && head[3] == 0;
}

[[noreturn]] void Invalid() { throw InvalidPicture("Metafile is not valid"); }

// Windows' MulDiv for non-negative values: rounded to nearest.
int64_t ScaleRounded(int64_t value, int64_t numerator, int64_t denominator) {
  return (value * numerator + denominator / 2) / denominator;
}

struct Parsed {
  size_t playOffset = 0, playSize = 0;
  bool enhanced = false;
  int64_t width = 0, height = 0;
};

bool IsEnhanced(const std::vector<uint8_t>& d) {
  return d.size() >= kEmfMinHeader && ReadLE32(d.data()) == kEmrHeader &&
         ReadLE32(d.data() + 40) == kEmfSignature;
}

Parsed ReadEnhanced(const std::vector<uint8_t>& d) {
  const uint8_t* p = d.data();
  uint32_t headerSize = ReadLE32(p + 4), totalSize = ReadLE32(p + 48);
  if (headerSize < kEmfMinHeader || headerSize % 4 != 0 || totalSize < headerSize || totalSize > d.size())
    Invalid();
  // Every record (type, size) must lie within the file; the end-of-file record ends the walk.
  for (uint64_t at = 0; at < totalSize;) {
    if (at + 8 > totalSize) Invalid();
    uint32_t type = ReadLE32(p + at), size = ReadLE32(p + at + 4);
    if (size < 8 || size % 4 != 0 || at + size > totalSize) Invalid();
    if (type == kEmrEof) break;
    at += size;
  }
  Parsed m;
  m.enhanced = true;
  m.playSize = totalSize;
  int64_t frameWidth = int64_t{ReadLE32s(p + 32)} - ReadLE32s(p + 24);
  int64_t frameHeight = int64_t{ReadLE32s(p + 36)} - ReadLE32s(p + 28);
  if (frameWidth > 0 && frameHeight > 0) {
    m.width = ScaleRounded(frameWidth, kScreenDpi, kHundredthMmPerInch);
    m.height = ScaleRounded(frameHeight, kScreenDpi, kHundredthMmPerInch);
  } else {
    m.width = int64_t{ReadLE32s(p + 16)} - ReadLE32s(p + 8) + 1;
    m.height = int64_t{ReadLE32s(p + 20)} - ReadLE32s(p + 12) + 1;
  }
  return m;
}

// A Windows metafile at Offset: its header, then records up to META_EOF. Returns the first window
// extent it sets through ExtentX/Y (0 when none).
size_t WalkWindowsMetafile(const std::vector<uint8_t>& d, size_t offset, int64_t& extentX, int64_t& extentY) {
  if (d.size() - offset < kWmfHeaderSize) Invalid();
  const uint8_t* p = d.data() + offset;
  uint16_t type = ReadLE16(p), headerWords = ReadLE16(p + 2), version = ReadLE16(p + 4);
  uint64_t size = uint64_t{ReadLE32(p + 6)} * 2;
  if ((type != 1 && type != 2) || headerWords != kWmfHeaderSize / 2 || (version != 0x100 && version != 0x300))
    Invalid();
  if (size < kWmfHeaderSize || size > d.size() - offset) Invalid();
  extentX = extentY = 0;
  for (uint64_t at = kWmfHeaderSize; at < size;) {
    if (at + 6 > size) Invalid();
    uint64_t recordSize = uint64_t{ReadLE32(p + at)} * 2;
    uint16_t function = ReadLE16(p + at + 4);
    if (recordSize < 6 || at + recordSize > size) Invalid();
    if (function == kMetaEof) break;
    if (function == kMetaSetWindowExt && recordSize >= 10 && extentX == 0 && extentY == 0) {
      int64_t y = ReadLE16s(p + at + 6), x = ReadLE16s(p + at + 8);
      extentX = x < 0 ? -x : x;
      extentY = y < 0 ? -y : y;
    }
    at += recordSize;
  }
  return static_cast<size_t>(size);
}

Parsed ReadWindows(const std::vector<uint8_t>& d) {
  Parsed m;
  int64_t extentX = 0, extentY = 0;
  if (d.size() >= kPlaceableSize && ReadLE32(d.data()) == kPlaceableKey) {
    const uint8_t* p = d.data();
    int64_t boxWidth = int64_t{ReadLE16s(p + 10)} - ReadLE16s(p + 6);
    int64_t boxHeight = int64_t{ReadLE16s(p + 12)} - ReadLE16s(p + 8);
    int64_t unitsPerInch = ReadLE16(p + 14);
    if (unitsPerInch == 0) Invalid();
    m.playOffset = kPlaceableSize;
    m.playSize = WalkWindowsMetafile(d, kPlaceableSize, extentX, extentY);
    m.width = ScaleRounded(boxWidth < 0 ? -boxWidth : boxWidth, kScreenDpi, unitsPerInch);
    m.height = ScaleRounded(boxHeight < 0 ? -boxHeight : boxHeight, kScreenDpi, unitsPerInch);
  } else {
    m.playSize = WalkWindowsMetafile(d, 0, extentX, extentY);
    m.width = extentX;
    m.height = extentY;
  }
  return m;
}

}  // namespace

const ImageFormat MetafileImage::kFormat = {"MetafileImage", &NewImage<MetafileImage>, &RecognisedMetafile};

MetafileImage::MetafileImage() = default;
MetafileImage::~MetafileImage() = default;

void MetafileImage::Draw(Canvas& canvas, const PixelRect& rect) {
  if (data_) canvas.PlayMetafile(PlayData(), playSize_, enhanced_, rect);
}

bool MetafileImage::GetEmpty() { return !data_; }
int32_t MetafileImage::GetWidth() { return width_; }
int32_t MetafileImage::GetHeight() { return height_; }

void MetafileImage::SetWidth(int32_t width) {
  if (width == width_) return;
  width_ = width;
  Changed();
}

void MetafileImage::SetHeight(int32_t height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

void MetafileImage::LoadFromStream(Stream& stream) {
  auto data = ReadRestOfStream(stream, kMaxFileSize, "Metafile is not valid");
  Parsed m = IsEnhanced(*data) ? ReadEnhanced(*data) : ReadWindows(*data);
  if (m.width < 1 || m.width > kMaxSide || m.height < 1 || m.height > kMaxSide) Invalid();
  data_ = std::move(data);
  playOffset_ = m.playOffset;
  playSize_ = m.playSize;
  enhanced_ = m.enhanced;
  width_ = static_cast<int32_t>(m.width);
  height_ = static_cast<int32_t>(m.height);
  Changed();
}

void MetafileImage::SaveToStream(Stream& stream) {
  if (data_ && !data_->empty()) stream.WriteBuffer(data_->data(), static_cast<int64_t>(data_->size()));
}

void MetafileImage::Assign(Image& source) {
  if (auto* other = dynamic_cast<MetafileImage*>(&source)) {
    auto& meta = *other;
    if (&meta == this) return;
    data_ = meta.data_;
    playOffset_ = meta.playOffset_;
    playSize_ = meta.playSize_;
    enhanced_ = meta.enhanced_;
    width_ = meta.width_;
    height_ = meta.height_;
    Changed();
    return;
  }
  Image::Assign(source);
}

}  // namespace zeb
