// Writes small PNG, GIF, WebP and TIFF files in memory with the formats' own libraries, for the tests
// of our plug-ins, the fuzz targets' seed corpora, the whole-program test and the benchmark. Builds
// natively (Debian's libraries) and for Win32 (the cross-built ones). An orientation (1 to 8) in the
// options stores the picture given, which is the upright one, as that Exif orientation says, and says
// so in the file (an eXIf chunk, an EXIF chunk, the orientation tag); 0 writes no orientation.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zeb::test {

// A picture to write: Channels samples per pixel (1 grey or palette index, 2 grey and alpha, 3 RGB,
// 4 RGBA), rows top-down, each sample 0..255 (or 0..65535 when Bits is 16).
struct SourcePicture {
  int width = 0, height = 0, channels = 3, bits = 8;
  std::vector<uint16_t> samples;
  std::vector<std::array<uint8_t, 4>> palette;  // RGBA entries when the samples are indices

  // The colour of pixel (X, Y) as RGBA at 8 bits (16-bit samples rounded).
  std::array<uint8_t, 4> Rgba(int x, int y) const;
};

// A picture of this kind with varied content: every pixel differs from its neighbours.
SourcePicture MakePicture(int width, int height, int channels, int bits = 8);
// An indexed picture over a palette of Colours entries (the first transparent when Transparent).
SourcePicture MakeIndexed(int width, int height, int colours, bool transparent = false);

// Icc: a colour profile embedded in the file (none when empty).
struct PngOptions {
  bool interlaced = false;
  int compression = 6;
  std::string icc{};
  int orientation = 0;
};
std::string WritePng(const SourcePicture& p, const PngOptions& options = {});
// A Width x Height RGBA PNG of one colour, written row by row (for pictures of gigabytes: the file
// stays small and no row but one is held).
std::string WriteUniformPng(int width, int height, std::array<uint8_t, 4> rgba);

struct GifOptions {
  int transparent = -1;  // the palette index written as transparent
  bool interlaced = false;
  int screenWidth = 0, screenHeight = 0, left = 0, top = 0;  // a frame smaller than its screen
  int frames = 1;  // more: the later frames are the first one inverted
};
// P must be indexed (at most 256 colours).
std::string WriteGif(const SourcePicture& p, const GifOptions& options = {});

struct WebpOptions {
  bool lossless = true;
  int frames = 1;  // more: an animation whose later frames are the first one inverted
  std::string icc{};
  int orientation = 0;  // a still picture's
};
std::string WriteWebp(const SourcePicture& p, const WebpOptions& options = {});

enum class TiffCompression { kNone, kDeflate, kLzw, kJpeg, kPackBits };
struct TiffOptions {
  TiffCompression compression = TiffCompression::kDeflate;
  int tileSize = 0;  // 0: strips
  int rowsPerStrip = 4;
  bool cmyk = false;        // RGB written as CMYK (no alpha)
  bool minIsWhite = false;  // grey stored inverted
  bool bigEndian = false;
  int pages = 1;
  bool associatedAlpha = false;  // alpha stored associated: the colours premultiplied by it
  std::string icc{};
  int orientation = 0;
};
// Indexed pictures are written with a colour map (4 or 8 bits per index).
std::string WriteTiff(const SourcePicture& p, const TiffOptions& options = {});

}  // namespace zeb::test
