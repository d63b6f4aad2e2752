// Reading BMP files: core, info, V2/V3, OS/2 2.x, V4 and V5 headers; 1 to 32 bits; BI_RGB, RLE and
// bit fields. Every size read from the file is checked against what the stream holds before anything
// is allocated or read, so a hostile file costs at most its own size (or one picture of at most
// kMaxDibPixels for RLE, which compresses well).
#include <algorithm>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/dib_image.h"
#include "platform/graphics/picture_bytes.h"

namespace zeb {

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

[[noreturn]] void Invalid() { throw InvalidPicture("Bitmap image is not valid"); }

// The fields of any of the header kinds, widened.
struct Header {
  uint32_t size = 0;
  int64_t width = 0, height = 0;
  uint16_t bitCount = 0;
  uint32_t compression = kBiRgb;
  uint32_t clrUsed = 0;
  int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
  uint32_t masks[3] = {0, 0, 0};
  bool masksInHeader = false;
  bool core = false;
};

Header ParseHeader(const uint8_t* h, uint32_t size) {
  Header r;
  r.size = size;
  if (size == 12) {
    r.core = true;
    r.width = ReadLE16(h + 4);
    r.height = ReadLE16(h + 6);
    r.bitCount = ReadLE16(h + 10);
    if (r.bitCount != 1 && r.bitCount != 4 && r.bitCount != 8 && r.bitCount != 24) Invalid();
    return r;
  }
  r.width = ReadLE32s(h + 4);
  r.height = ReadLE32s(h + 8);
  r.bitCount = ReadLE16(h + 14);
  r.compression = ReadLE32(h + 16);
  r.xPelsPerMeter = ReadLE32s(h + 24);
  r.yPelsPerMeter = ReadLE32s(h + 28);
  r.clrUsed = ReadLE32(h + 32);
  // The 64-byte OS/2 header has its own fields after the first 40 bytes; the others carry the masks.
  if (size >= 52 && size != 64) {
    r.masksInHeader = true;
    for (int i = 0; i < 3; ++i) r.masks[i] = ReadLE32(h + 40 + 4 * i);
  }
  if (!IsDibBitCount(r.bitCount)) Invalid();
  switch (r.compression) {
    case kBiRgb:
      break;
    case kBiRle8:
      if (r.bitCount != 8) Invalid();
      break;
    case kBiRle4:
      if (r.bitCount != 4) Invalid();
      break;
    // For OS/2 headers 3 means Huffman coding, which Windows never read.
    case kBiBitfields:
      if ((r.bitCount != 16 && r.bitCount != 32) || size == 64) Invalid();
      break;
    default:
      Invalid();
  }
  return r;
}

// Reads exactly Count bytes, or fails as an invalid picture.
void ReadExact(Stream& stream, void* buffer, int64_t count) {
  if (count > 0 && stream.Read(buffer, count) != count) Invalid();
}

// Bit-field masks: each channel contiguous (or empty), none overlapping, all inside the pixel.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  // Scales the channel's value to 8 bits.
  uint8_t Scale(uint32_t pixel) const {
    if (bits == 0) return 0;
    uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    return static_cast<uint8_t>((v * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1));
  }
};

Channel MakeChannel(uint32_t mask) {
  Channel c;
  c.mask = mask;
  if (mask == 0) return c;
  while (!((mask >> c.shift) & 1)) ++c.shift;
  uint32_t m = mask >> c.shift;
  while (c.bits < 32 && ((m >> c.bits) & 1)) ++c.bits;
  if (c.bits < 32 && (m >> c.bits) != 0) Invalid();  // not contiguous
  return c;
}

// Converts one row of 16- or 32-bit bit-field pixels to 32-bit BI_RGB.
void ConvertBitfieldRow(const uint8_t* src, uint8_t* dst, int32_t width, uint16_t bitCount,
                        const Channel* ch) {
  for (int32_t x = 0; x < width; ++x) {
    uint32_t px = bitCount == 16 ? ReadLE16(src + 2 * x) : ReadLE32(src + 4 * x);
    dst[4 * x + 0] = ch[2].Scale(px);
    dst[4 * x + 1] = ch[1].Scale(px);
    dst[4 * x + 2] = ch[0].Scale(px);
    dst[4 * x + 3] = 0;
  }
}

// Hands out the bytes of the compressed pixel data in chunks, never more than Available.
class ChunkReader {
 public:
  ChunkReader(Stream& stream, int64_t available) : stream_(stream), left_(available) {}
  // Copies N bytes, or returns false at the end of the data.
  bool Take(uint8_t* out, size_t n) {
    while (n > 0) {
      if (pos_ == len_ && !Fill()) return false;
      size_t k = std::min(n, len_ - pos_);
      std::memcpy(out, buffer_ + pos_, k);
      pos_ += k;
      out += k;
      n -= k;
    }
    return true;
  }
  bool AtEnd() { return pos_ == len_ && !Fill(); }

 private:
  bool Fill() {
    if (left_ <= 0) return false;
    int64_t n = std::min<int64_t>(left_, sizeof(buffer_));
    ReadExact(stream_, buffer_, n);
    left_ -= n;
    pos_ = 0;
    len_ = static_cast<size_t>(n);
    return true;
  }
  Stream& stream_;
  int64_t left_;
  uint8_t buffer_[16384];
  size_t pos_ = 0, len_ = 0;
};

void SetNibble(uint8_t* row, int64_t x, uint8_t value) {
  uint8_t& b = row[x >> 1];
  b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | value) : static_cast<uint8_t>((b & 0x0F) | value << 4);
}

// Decodes RLE8 or RLE4 data into bottom-up rows (skipped pixels stay index 0). A run or a move that
// leaves the row or the picture is an error; the data must end with end-of-bitmap, or may simply stop
// once every row has been ended.
void DecodeRle(ChunkReader& in, DibImage& dib, bool fourBit) {
  const int64_t w = dib.width, h = dib.height;
  const size_t stride = dib.Stride();
  uint8_t* bits = dib.bits.get();
  int64_t x = 0, y = 0;
  uint8_t pair[2];
  uint8_t literal[256];
  for (;;) {
    if (!in.Take(pair, 2)) {
      if (y >= h && in.AtEnd()) return;
      Invalid();
    }
    if (pair[0] > 0) {
      int64_t n = pair[0];
      if (y >= h || x + n > w) Invalid();
      uint8_t* row = bits + static_cast<size_t>(y) * stride;
      if (!fourBit) {
        std::memset(row + x, pair[1], static_cast<size_t>(n));
      } else {
        for (int64_t i = 0; i < n; ++i) SetNibble(row, x + i, (i & 1) ? pair[1] & 0x0F : pair[1] >> 4);
      }
      x += n;
      continue;
    }
    switch (pair[1]) {
      case 0:  // end of line
        x = 0;
        if (++y > h) Invalid();
        break;
      case 1:  // end of bitmap
        return;
      case 2: {  // move right and up
        uint8_t delta[2];
        if (!in.Take(delta, 2)) Invalid();
        x += delta[0];
        y += delta[1];
        if (x > w || y > h) Invalid();
        break;
      }
      default: {  // literal pixels, padded to a 16-bit boundary
        int64_t n = pair[1];
        size_t bytes = fourBit ? static_cast<size_t>((n + 1) / 2) : static_cast<size_t>(n);
        size_t padded = bytes + (bytes & 1);
        if (y >= h || x + n > w) Invalid();
        if (!in.Take(literal, padded)) Invalid();
        uint8_t* row = bits + static_cast<size_t>(y) * stride;
        if (!fourBit) {
          std::memcpy(row + x, literal, static_cast<size_t>(n));
        } else {
          for (int64_t i = 0; i < n; ++i)
            SetNibble(row, x + i, (i & 1) ? literal[i >> 1] & 0x0F : literal[i >> 1] >> 4);
        }
        x += n;
      }
    }
  }
}

}  // namespace

namespace {
// Reads a BMP file; with TakeFrom (the stream itself) its memory becomes the pixels when it can.
DibImage ReadBmp(Stream& stream, MemoryStream* takeFrom) {
  const int64_t start = stream.Position();
  const int64_t available = stream.Size() - start;

  uint8_t fileHeader[14];
  if (available < 14 + 12) Invalid();
  ReadExact(stream, fileHeader, 14);
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') Invalid();
  const uint32_t offBits = ReadLE32(fileHeader + 10);

  uint8_t raw[124];
  ReadExact(stream, raw, 4);
  const uint32_t headerSize = ReadLE32(raw);
  switch (headerSize) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
      break;
    default:
      Invalid();
  }
  ReadExact(stream, raw + 4, headerSize - 4);
  Header hdr = ParseHeader(raw, headerSize);

  if (hdr.width <= 0 || hdr.height == 0 || hdr.height == INT32_MIN) Invalid();
  const bool topDown = hdr.height < 0;
  const int64_t height = topDown ? -hdr.height : hdr.height;
  // Windows never draws compressed pictures stored top-down.
  if (topDown && (hdr.compression == kBiRle8 || hdr.compression == kBiRle4)) Invalid();
  if (int64_t{hdr.width} * int64_t{height} > kMaxDibPixels) Invalid();

  int64_t tableStart = 14 + headerSize;
  if (hdr.compression == kBiBitfields && !hdr.masksInHeader) {
    uint8_t m[12];
    if (tableStart + 12 > available) Invalid();
    ReadExact(stream, m, 12);
    for (int i = 0; i < 3; ++i) hdr.masks[i] = ReadLE32(m + 4 * i);
    tableStart += 12;
  }

  // The colour table: as many entries as biClrUsed says (all 2^BitCount when 0), cut short where the
  // pixels begin. A file whose pixel offset points into the headers is read as if the pixels followed
  // the colour table directly.
  const int64_t entrySize = hdr.core ? 3 : 4;
  int64_t entries = 0;
  if (hdr.bitCount <= 8) {
    const int64_t maxEntries = int64_t(1) << hdr.bitCount;
    entries = (hdr.core || hdr.clrUsed == 0) ? maxEntries : std::min<int64_t>(hdr.clrUsed, maxEntries);
  }
  int64_t pixelOffset = offBits;
  if (pixelOffset < tableStart) {
    pixelOffset = tableStart + entries * entrySize;
  } else if (pixelOffset < tableStart + entries * entrySize) {
    entries = (pixelOffset - tableStart) / entrySize;
  }
  if (tableStart + entries * entrySize > available || pixelOffset > available) Invalid();

  DibImage dib;
  dib.width = static_cast<int32_t>(hdr.width);
  dib.height = static_cast<int32_t>(height);
  dib.topDown = topDown;
  dib.xPelsPerMeter = hdr.xPelsPerMeter;
  dib.yPelsPerMeter = hdr.yPelsPerMeter;

  uint8_t table[256 * 4] = {};
  if (entries > 0) {
    stream.SetPosition(start + tableStart);
    uint8_t rawTable[256 * 4];
    ReadExact(stream, rawTable, entries * entrySize);
    for (int64_t i = 0; i < entries; ++i) std::memcpy(table + 4 * i, rawTable + entrySize * i, 3);
  }

  const int64_t dataSize = available - pixelOffset;
  stream.SetPosition(start + pixelOffset);
  const size_t srcStride = DibImage::StrideFor(dib.width, hdr.bitCount);

  if (hdr.compression == kBiRle8 || hdr.compression == kBiRle4) {
    dib.bitCount = hdr.bitCount;
    dib.bitsSize = srcStride * static_cast<size_t>(height);
    dib.bits = AllocateDibBits(dib.bitsSize, true);
    ChunkReader in(stream, dataSize);
    DecodeRle(in, dib, hdr.compression == kBiRle4);
  } else {
    // Every row must be there; only the padding of the last row stored may be missing.
    const uint64_t need = static_cast<uint64_t>(srcStride) * static_cast<uint64_t>(height);
    const uint64_t lastRowBytes = (static_cast<uint64_t>(dib.width) * hdr.bitCount + 7) / 8;
    if (static_cast<uint64_t>(dataSize) < need - srcStride + lastRowBytes) Invalid();
    const size_t have = static_cast<size_t>(std::min<uint64_t>(need, static_cast<uint64_t>(dataSize)));

    const bool standard16 = hdr.masks[0] == 0x7C00 && hdr.masks[1] == 0x03E0 && hdr.masks[2] == 0x001F;
    const bool standard32 = hdr.masks[0] == 0xFF0000 && hdr.masks[1] == 0xFF00 && hdr.masks[2] == 0xFF;
    if (hdr.compression == kBiRgb || (hdr.bitCount == 16 ? standard16 : standard32)) {
      // Already what drawing wants: read the rows straight into place.
      dib.bitCount = hdr.bitCount;
      dib.bitsSize = static_cast<size_t>(need);
      if (takeFrom && have == need && dib.bitsSize > 0) {
        // The rows lie in the stream's memory as they are: take it over rather than copy them.
        const size_t at = static_cast<size_t>(start + pixelOffset);
        uint8_t* block = takeFrom->Release();
        dib.bits = DibBits(block + at, FreeDeleter{block});
      } else {
        dib.bits = AllocateDibBits(dib.bitsSize, false);
        ReadExact(stream, dib.bits.get(), static_cast<int64_t>(have));
        std::memset(dib.bits.get() + have, 0, dib.bitsSize - have);
      }
      // Bit fields leave the fourth byte out: it is cleared, as in a converted picture, so that it is
      // never taken for alpha.
      if (hdr.compression != kBiRgb && hdr.bitCount == 32)
        for (size_t i = 3; i < dib.bitsSize; i += 4) dib.bits.get()[i] = 0;
    } else {
      Channel ch[3];
      uint32_t all = 0;
      for (int i = 0; i < 3; ++i) {
        ch[i] = MakeChannel(hdr.masks[i]);
        if (all & hdr.masks[i]) Invalid();  // overlapping channels
        all |= hdr.masks[i];
      }
      if (hdr.bitCount == 16 && all > 0xFFFF) Invalid();
      dib.bitCount = 32;
      const size_t dstStride = DibImage::StrideFor(dib.width, 32);
      dib.bitsSize = dstStride * static_cast<size_t>(height);
      dib.bits = AllocateDibBits(dib.bitsSize, false);
      std::vector<uint8_t> row(srcStride);
      size_t left = have;
      for (int64_t y = 0; y < height; ++y) {
        size_t n = std::min(left, srcStride);
        ReadExact(stream, row.data(), static_cast<int64_t>(n));
        std::fill(row.begin() + static_cast<std::ptrdiff_t>(n), row.end(), 0);
        left -= n;
        ConvertBitfieldRow(row.data(), dib.bits.get() + static_cast<size_t>(y) * dstStride, dib.width,
                           hdr.bitCount, ch);
      }
    }
  }

  dib.info.assign(kBitmapInfoHeaderSize, 0);
  if (dib.bitCount <= 8) dib.info.insert(dib.info.end(), table, table + (4u << dib.bitCount));
  dib.WriteHeader();
  // Plain 32-bit pixels may carry alpha in their fourth byte; bit fields say what each byte is.
  if (hdr.compression == kBiRgb) PremultiplyAlpha(dib);
  return dib;
}
}  // namespace

DibImage ReadBmpFile(Stream& stream) { return ReadBmp(stream, nullptr); }

DibImage TakeBmpFile(MemoryStream& stream) { return ReadBmp(stream, &stream); }

}  // namespace zeb
