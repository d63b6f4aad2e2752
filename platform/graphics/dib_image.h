// A device-independent bitmap as the plain bitmap keeps it in memory: a 40-byte BITMAPINFOHEADER, a
// colour table (2^BitCount entries for 8 bits and fewer, none above) and uncompressed BI_RGB rows
// padded to 4 bytes. Shared by the BMP reader and Bitmap; not part of the public interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/graphics/dib_limits.h"

namespace zeb {

class Stream;
class MemoryStream;

constexpr uint32_t kBitmapInfoHeaderSize = 40;

// Frees the pixels, or the whole block they lie in when they were taken over from a BMP file in memory.
struct FreeDeleter {
  void* block = nullptr;
  void operator()(uint8_t* p) const { std::free(block ? block : p); }
};
using DibBits = std::unique_ptr<uint8_t, FreeDeleter>;

struct DibImage {
  int32_t width = 0;
  int32_t height = 0;  // always the magnitude; TopDown tells the row order
  uint16_t bitCount = 0;
  bool topDown = false;
  int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
  std::vector<uint8_t> info;  // header + colour table, as handed to StretchDIB
  DibBits bits;               // RowStride * height bytes; null when the picture is empty
  size_t bitsSize = 0;
  // A 32-bit picture whose fourth bytes are not all 0 carries alpha; its colours are then kept
  // premultiplied by it, ready for blending.
  bool alpha = false;

  static size_t StrideFor(int32_t width, uint16_t bitCount) {
    return static_cast<size_t>((static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4);
  }
  size_t Stride() const { return StrideFor(width, bitCount); }
  uint32_t ColorCount() const {
    return bitCount <= 8 ? static_cast<uint32_t>((info.size() - kBitmapInfoHeaderSize) / 4) : 0;
  }
  // Fills the 40-byte header from the fields above and sizes the colour table to 2^BitCount entries
  // (new entries black), or none above 8 bits.
  void WriteHeader();
  // A deep copy (pixels included).
  DibImage Clone() const;
};

// Marks a 32-bit picture with any nonzero fourth byte as carrying alpha and premultiplies its colours
// once; a 32-bit picture whose fourth bytes are all 0 is opaque (the byte is reserved in a plain DIB)
// and stays as it is, as does any other depth.
void PremultiplyAlpha(DibImage& dib);
// Writes Count premultiplied pixels back as straight colours (what PremultiplyAlpha turns into the same
// pixels again).
void UnpremultiplyAlpha(const uint8_t* in, uint8_t* out, size_t count);

// Allocates Size bytes of pixels, zero-filled or not; raises OutOfResources when memory runs out.
DibBits AllocateDibBits(size_t size, bool zeroed);

// Reads a BMP file from the stream's current position into a normalised DibImage. Raises
// InvalidPicture for anything malformed; never reads past the end of the stream. Plain (BI_RGB) 32-bit
// pixels with alpha come out premultiplied (PremultiplyAlpha).
DibImage ReadBmpFile(Stream& stream);
// The same from a memory stream, whose memory it takes over for the pixels (instead of copying them)
// when they are stored as drawing wants them; the stream is then left empty.
DibImage TakeBmpFile(MemoryStream& stream);

}  // namespace zeb
