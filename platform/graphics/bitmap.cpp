#include "platform/graphics/bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/dib_image.h"

namespace zeb {

const ImageFormat Bitmap::kFormat = {"Bitmap", &NewImage<Bitmap>, [](const uint8_t* head, size_t size) {
                                       return size >= 2 && head[0] == 'B' && head[1] == 'M';
                                     }};

namespace {
void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}
uint8_t* RowOf(DibImage& d, int32_t y) {
  int32_t stored = d.topDown ? y : d.height - 1 - y;
  return d.bits.get() + static_cast<size_t>(stored) * d.Stride();
}
}  // namespace

DibBits AllocateDibBits(size_t size, bool zeroed) {
  if (size == 0) return nullptr;
  void* p = zeroed ? std::calloc(size, 1) : std::malloc(size);
  if (!p) throw OutOfResources("Out of memory");
  return DibBits(static_cast<uint8_t*>(p));
}

void DibImage::WriteHeader() {
  const size_t colors = bitCount <= 8 ? size_t(1) << bitCount : 0;
  info.resize(kBitmapInfoHeaderSize + 4 * colors, 0);
  uint8_t* h = info.data();
  Put32(h + 0, kBitmapInfoHeaderSize);
  Put32(h + 4, static_cast<uint32_t>(width));
  Put32(h + 8, static_cast<uint32_t>(topDown ? -height : height));
  Put16(h + 12, 1);
  Put16(h + 14, bitCount);
  Put32(h + 16, 0);  // BI_RGB
  Put32(h + 20, static_cast<uint32_t>(bitsSize));
  Put32(h + 24, static_cast<uint32_t>(xPelsPerMeter));
  Put32(h + 28, static_cast<uint32_t>(yPelsPerMeter));
  Put32(h + 32, static_cast<uint32_t>(colors));
  Put32(h + 36, 0);
}

DibImage DibImage::Clone() const {
  DibImage c;
  c.width = width;
  c.height = height;
  c.bitCount = bitCount;
  c.topDown = topDown;
  c.xPelsPerMeter = xPelsPerMeter;
  c.yPelsPerMeter = yPelsPerMeter;
  c.info = info;
  c.bitsSize = bitsSize;
  c.alpha = alpha;
  c.bits = AllocateDibBits(bitsSize, false);
  if (bitsSize) std::memcpy(c.bits.get(), bits.get(), bitsSize);
  return c;
}

struct Bitmap::Dib : DibImage {
  Dib() = default;
  explicit Dib(DibImage&& d) : DibImage(std::move(d)) {}
};

namespace {
// A zero-filled picture; sizes beyond kMaxDibPixels are refused.
DibImage NewDib(int32_t width, int32_t height, uint16_t bitCount, bool topDown) {
  if (width < 0 || height < 0) throw InvalidPicture("Invalid bitmap size");
  if (!IsDibBitCount(bitCount)) throw InvalidPicture("Invalid bitmap pixel format");
  if (int64_t{width} * int64_t{height} > kMaxDibPixels) throw OutOfResources("Out of memory");
  DibImage d;
  d.width = width;
  d.height = height;
  d.bitCount = bitCount;
  d.topDown = topDown;
  d.bitsSize = d.Stride() * static_cast<size_t>(height);
  d.bits = AllocateDibBits(d.bitsSize, true);
  d.WriteHeader();
  return d;
}
}  // namespace

Bitmap::Bitmap() = default;

Bitmap::~Bitmap() { FreePalette(palette_); }

void Bitmap::Replace(std::shared_ptr<Dib> dib) {
  dib_ = std::move(dib);
  FreePalette(palette_);
  palette_ = 0;
}

Bitmap::Dib* Bitmap::Unshared() {
  if (dib_ && dib_.use_count() > 1) dib_ = std::make_shared<Dib>(dib_->Clone());
  return dib_.get();
}

void Bitmap::Draw(Canvas& canvas, const PixelRect& rect) {
  if (GetEmpty()) return;
  if (dib_->alpha) {
    canvas.AlphaDIB(rect, dib_->width, dib_->topDown ? -dib_->height : dib_->height, dib_->bits.get(),
                    dib_->info.data());
    return;
  }
  canvas.StretchDIB(rect, dib_->width, dib_->topDown ? -dib_->height : dib_->height, dib_->bits.get(),
                    dib_->info.data(), GetPalette());
}

bool Bitmap::Transparent() { return dib_ && dib_->alpha; }
bool Bitmap::GetEmpty() { return !dib_ || !dib_->bits; }
int32_t Bitmap::GetWidth() { return dib_ ? dib_->width : 0; }
int32_t Bitmap::GetHeight() { return dib_ ? dib_->height : 0; }

PaletteHandle Bitmap::GetPalette() {
  if (!palette_ && dib_ && dib_->bitCount <= 8) {
    const uint8_t* q = dib_->info.data() + kBitmapInfoHeaderSize;
    std::vector<PaletteEntry> entries(dib_->ColorCount());
    for (size_t i = 0; i < entries.size(); ++i) entries[i] = {q[4 * i + 2], q[4 * i + 1], q[4 * i], 0};
    palette_ = NewPalette(entries);
  }
  return palette_;
}

void Bitmap::SetPalette(PaletteHandle palette) {
  if (palette == palette_) return;
  FreePalette(palette_);
  palette_ = palette;
  if (palette && dib_ && dib_->bitCount <= 8) {
    // The colour table follows the palette; entries the palette lacks stay as they were.
    std::vector<PaletteEntry> entries = PaletteEntries(palette);
    Dib* d = Unshared();
    uint8_t* q = d->info.data() + kBitmapInfoHeaderSize;
    size_t n = std::min<size_t>(entries.size(), d->ColorCount());
    for (size_t i = 0; i < n; ++i) {
      q[4 * i] = entries[i].peBlue;
      q[4 * i + 1] = entries[i].peGreen;
      q[4 * i + 2] = entries[i].peRed;
      q[4 * i + 3] = 0;
    }
  }
  Changed();
}

void Bitmap::SetWidth(int32_t width) {
  if (dib_ && dib_->width == width) return;
  auto d = std::make_shared<Dib>(
      NewDib(width, dib_ ? dib_->height : 0, dib_ ? dib_->bitCount : 24, dib_ && dib_->topDown));
  if (dib_) {
    // Keep the overlapping part and the colour table.
    d->info = dib_->info;
    d->WriteHeader();
    const size_t bytes = std::min((static_cast<uint64_t>(width) * d->bitCount + 7) / 8,
                                  (static_cast<uint64_t>(dib_->width) * d->bitCount + 7) / 8);
    if (bytes && d->bits)
      for (int32_t y = 0; y < d->height; ++y) std::memcpy(RowOf(*d, y), RowOf(*dib_, y), bytes);
  }
  dib_ = std::move(d);
  Changed();
}

void Bitmap::SetHeight(int32_t height) {
  if (dib_ && dib_->height == height) return;
  auto d = std::make_shared<Dib>(
      NewDib(dib_ ? dib_->width : 0, height, dib_ ? dib_->bitCount : 24, dib_ && dib_->topDown));
  if (dib_) {
    d->info = dib_->info;
    d->WriteHeader();
    const int32_t rows = std::min(height, dib_->height);
    if (d->bits && dib_->bits)
      for (int32_t y = 0; y < rows; ++y) std::memcpy(RowOf(*d, y), RowOf(*dib_, y), d->Stride());
  }
  dib_ = std::move(d);
  Changed();
}

void Bitmap::LoadFromStream(Stream& stream) {
  auto d = std::make_shared<Dib>(ReadBmpFile(stream));
  Replace(std::move(d));
  Changed();
}

void Bitmap::TakeFromStream(MemoryStream& stream) {
  auto d = std::make_shared<Dib>(TakeBmpFile(stream));
  Replace(std::move(d));
  Changed();
}

void Bitmap::SaveToStream(Stream& stream) {
  // An empty bitmap has nothing to write.
  if (GetEmpty()) return;
  const uint32_t infoSize = static_cast<uint32_t>(dib_->info.size());
  uint8_t header[14] = {'B', 'M'};
  Put32(header + 2, static_cast<uint32_t>(14 + infoSize + dib_->bitsSize));
  Put32(header + 10, 14 + infoSize);
  stream.WriteBuffer(header, sizeof(header));
  stream.WriteBuffer(dib_->info.data(), infoSize);
  if (!dib_->alpha) {
    stream.WriteBuffer(dib_->bits.get(), static_cast<int64_t>(dib_->bitsSize));
    return;
  }
  // A file holds straight colours: reading it back premultiplies them to the same pixels again.
  std::vector<uint8_t> row(dib_->Stride());
  for (size_t offset = 0; offset < dib_->bitsSize; offset += row.size()) {
    UnpremultiplyAlpha(dib_->bits.get() + offset, row.data(), row.size() / 4);
    stream.WriteBuffer(row.data(), static_cast<int64_t>(row.size()));
  }
}

void Bitmap::Assign(Image& source) {
  if (&source == this) return;
  auto* bitmap = dynamic_cast<Bitmap*>(&source);
  if (!bitmap) {
    Image::Assign(source);
    return;
  }
  auto& from = *bitmap;
  Replace(from.dib_);
  if (from.palette_) palette_ = NewPalette(PaletteEntries(from.palette_));
  Changed();
}

void Bitmap::SetSize(int32_t width, int32_t height, uint16_t bitCount, bool topDown) {
  auto d = std::make_shared<Dib>(NewDib(width, height, bitCount, topDown));
  if (bitCount <= 8) {
    // A grey ramp from black to white.
    const uint32_t n = d->ColorCount();
    uint8_t* q = d->info.data() + kBitmapInfoHeaderSize;
    for (uint32_t i = 0; i < n; ++i)
      q[4 * i] = q[4 * i + 1] = q[4 * i + 2] = static_cast<uint8_t>(i * 255 / (n - 1));
  }
  Replace(std::move(d));
  Changed();
}

uint16_t Bitmap::BitCount() const { return dib_ ? dib_->bitCount : 0; }
bool Bitmap::TopDown() const { return dib_ && dib_->topDown; }
const uint8_t* Bitmap::Info() const { return dib_ ? dib_->info.data() : nullptr; }
uint32_t Bitmap::InfoSize() const { return dib_ ? static_cast<uint32_t>(dib_->info.size()) : 0; }
uint32_t Bitmap::ColorCount() const { return dib_ ? dib_->ColorCount() : 0; }

void Bitmap::SetColorTable(const uint8_t* rgbQuads, uint32_t count) {
  if (!dib_ || dib_->bitCount > 8) return;
  Dib* d = Unshared();
  uint8_t* q = d->info.data() + kBitmapInfoHeaderSize;
  const size_t bytes = 4 * static_cast<size_t>(std::min(count, d->ColorCount()));
  std::memcpy(q, rgbQuads, bytes);
  std::memset(q + bytes, 0, 4 * d->ColorCount() - bytes);  // entries not given are black
  FreePalette(palette_);
  palette_ = 0;
  Changed();
}

const uint8_t* Bitmap::Bits() const { return dib_ ? dib_->bits.get() : nullptr; }
uint8_t* Bitmap::Bits() {
  Dib* d = Unshared();
  return d ? d->bits.get() : nullptr;
}
size_t Bitmap::BitsSize() const { return dib_ ? dib_->bitsSize : 0; }
size_t Bitmap::RowStride() const { return dib_ ? dib_->Stride() : 0; }

uint8_t* Bitmap::ScanLine(int32_t y) {
  if (GetEmpty() || y < 0 || y >= dib_->height) throw InvalidPicture("Scan line index out of range");
  return RowOf(*Unshared(), y);
}

}  // namespace zeb
