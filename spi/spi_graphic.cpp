#include "spi/spi_graphic.h"

#include <cstring>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "spi/dib_layout.h"

namespace zeb::spi {

const ImageFormat PluginImage::kFormat = {"PluginImage", &NewImage<PluginImage>};

PluginImage::PluginImage() = default;

PluginImage::~PluginImage() { Clear(); }

void PluginImage::Clear() {
  source_.reset();
  if (palette_) {
    FreePalette(palette_);
    palette_ = 0;
  }
  infoCached_ = false;
}

bool PluginImage::GetEmpty() { return !source_ || source_->IsEmpty(); }

void PluginImage::UpdateInfo() {
  if (infoCached_) return;
  if (GetEmpty()) {
    width_ = height_ = infoSize_ = 0;
    bitsSize_ = 0;
    palette_ = 0;
    isFourBit_ = false;
    infoCached_ = true;
    return;
  }
  // The source keeps only blocks that passed IsUsableDib, so every size here is within bounds.
  const uint8_t* info = source_->LockBitmapInfo();
  DibLayout d = ReadDibLayout(info);
  bitsSize_ = d.bitsSize;
  width_ = d.width;
  height_ = d.height;
  infoSize_ = static_cast<int32_t>(d.infoSize);
  isFourBit_ = d.bitCount == 4;
  std::vector<PaletteEntry> entries(d.colors);
  const uint8_t* table = info + kBitmapInfoHeaderSize;
  for (uint32_t i = 0; i < d.colors; ++i) {
    // RGBQUAD: blue, green, red, reserved.
    entries[i].peBlue = table[4 * i];
    entries[i].peGreen = table[4 * i + 1];
    entries[i].peRed = table[4 * i + 2];
    entries[i].peFlags = 0;
  }
  palette_ = NewPalette(entries);
  infoCached_ = true;
}

int32_t PluginImage::GetWidth() {
  UpdateInfo();
  return width_;
}

int32_t PluginImage::GetHeight() {
  UpdateInfo();
  return height_;
}

PaletteHandle PluginImage::GetPalette() {
  UpdateInfo();
  return palette_;
}

bool PluginImage::IsFourBit() {
  UpdateInfo();
  return isFourBit_;
}

int32_t PluginImage::InfoSize() {
  UpdateInfo();
  return infoSize_;
}

int64_t PluginImage::BitsSize() {
  UpdateInfo();
  return bitsSize_;
}

void PluginImage::SetHeight(int32_t) {}
void PluginImage::SetWidth(int32_t) {}

void PluginImage::Assign(Image& source) {
  throw ConversionError(std::string("Cannot assign a ") + source.Format().name + " to a " + Format().name);
}

void PluginImage::Draw(Canvas& canvas, const PixelRect& rect) {
  if (!source_) return;
  UpdateInfo();
  if (GetEmpty()) return;
  canvas.StretchDIB(rect, width_, height_, source_->LockBits(), source_->LockBitmapInfo(), GetPalette());
}

void PluginImage::SaveToStream(Stream& stream) {
  UpdateInfo();
  if (GetEmpty()) return;  // nothing to write
  uint8_t fileHeader[14];
  uint32_t fileSize = 14 + static_cast<uint32_t>(infoSize_) + static_cast<uint32_t>(bitsSize_);
  uint32_t offBits = 14 + static_cast<uint32_t>(infoSize_);
  uint16_t reserved = 0;
  fileHeader[0] = 'B';
  fileHeader[1] = 'M';
  std::memcpy(fileHeader + 2, &fileSize, 4);
  std::memcpy(fileHeader + 6, &reserved, 2);
  std::memcpy(fileHeader + 8, &reserved, 2);
  std::memcpy(fileHeader + 10, &offBits, 4);
  stream.WriteBuffer(fileHeader, sizeof fileHeader);
  // The colour table is taken to follow a 40-byte header, so the file says so: a plug-in that hands a
  // longer header would otherwise get a file whose header size disagrees with its pixel offset.
  const auto* info = static_cast<const uint8_t*>(source_->LockBitmapInfo());
  uint8_t header[40];
  std::memcpy(header, info, sizeof header);
  const uint32_t headerSize = sizeof header;
  std::memcpy(header, &headerSize, 4);
  stream.WriteBuffer(header, sizeof header);
  stream.WriteBuffer(info + sizeof header, infoSize_ - static_cast<int32_t>(sizeof header));
  stream.WriteBuffer(source_->LockBits(), bitsSize_);
}

void PluginImage::LoadSource() {
  try {
    source_->OnProgress = OnProgress;
    source_->Decode();
    if (source_->IsEmpty()) throw InvalidPicture("Susie Plugins could not decode");
  } catch (...) {
    Clear();
    throw;
  }
  Changed();
}

void PluginImage::LoadFromFile(const std::string& fileName) {
  Clear();
  source_ = std::make_unique<PluginFileSource>(this, fileName);
  LoadSource();
}

void PluginImage::LoadFromStream(Stream& stream) { LoadFromStreamWithName(stream, std::string()); }

void PluginImage::LoadFromStreamWithName(Stream& stream, const std::string& fileName) {
  Clear();
  source_ = std::make_unique<PluginStreamSource>(this, stream, fileName);
  LoadSource();
}

}  // namespace zeb::spi
