#include "tests/support/jpeg_maker.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace zeb::test {

namespace {
uint8_t Scale(int value, int range) { return static_cast<uint8_t>(range > 0 ? value * 255 / range : 0); }
uint8_t Darken(uint8_t value, int black) { return static_cast<uint8_t>((value * (255 - black) + 127) / 255); }
uint8_t Luma(Rgb c) { return static_cast<uint8_t>((299 * c.r + 587 * c.g + 114 * c.b + 500) / 1000); }

// Adds up to +/- Amplitude levels from a small linear congruential generator.
class Noise {
 public:
  explicit Noise(int amplitude) : amplitude_(amplitude) {}
  JSAMPLE operator()(int value) {
    if (amplitude_ == 0) return static_cast<JSAMPLE>(value);
    state_ = state_ * 1103515245u + 12345u;
    value += static_cast<int>((state_ >> 16) % (2u * amplitude_ + 1)) - amplitude_;
    return static_cast<JSAMPLE>(value < 0 ? 0 : value > 255 ? 255 : value);
  }

 private:
  int amplitude_;
  uint32_t state_ = 1;
};
}  // namespace

Rgb JpegPattern(int x, int y, int width, int height) {
  uint8_t r = Scale(x, width - 1), g = Scale(y, height - 1);
  return {r, g, static_cast<uint8_t>((510 - r - g) / 2)};
}

Rgb JpegExpected(const JpegRecipe& recipe, int x, int y) {
  Rgb c = JpegPattern(x, y, recipe.width, recipe.height);
  switch (recipe.colour) {
    case JpegColour::Rgb:
      return c;
    case JpegColour::Grey: {
      uint8_t l = Luma(c);
      return {l, l, l};
    }
    case JpegColour::Cmyk:
    case JpegColour::Ycck:
      return {Darken(c.r, recipe.black), Darken(c.g, recipe.black), Darken(c.b, recipe.black)};
  }
  return c;
}

std::string MakeJpeg(const JpegRecipe& recipe) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);  // a compressor error is a fault of the test itself: libjpeg exits
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);

  cinfo.image_width = static_cast<JDIMENSION>(recipe.width);
  cinfo.image_height = static_cast<JDIMENSION>(recipe.height);
  const bool fourComponents = recipe.colour == JpegColour::Cmyk || recipe.colour == JpegColour::Ycck;
  cinfo.input_components = recipe.colour == JpegColour::Grey ? 1 : fourComponents ? 4 : 3;
  cinfo.in_color_space = recipe.colour == JpegColour::Grey ? JCS_GRAYSCALE
                         : fourComponents                  ? JCS_CMYK
                                                           : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  if (recipe.colour == JpegColour::Cmyk) jpeg_set_colorspace(&cinfo, JCS_CMYK);
  if (recipe.colour == JpegColour::Ycck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
  jpeg_set_quality(&cinfo, recipe.quality, TRUE);
  if (recipe.progressive) jpeg_simple_progression(&cinfo);
  std::vector<jpeg_scan_info> scans;
  if (recipe.scanPerCoefficient) {
    const int components = cinfo.num_components;
    jpeg_scan_info dc{components, {0, 1, 2, 3}, 0, 0, 0, 1};
    scans.push_back(dc);
    dc.Ah = 1, dc.Al = 0;
    scans.push_back(dc);
    for (int c = 0; c < components; ++c)
      for (int k = 1; k < 64; ++k)
        for (int refine = 0; refine < 3; ++refine)
          scans.push_back({1, {c}, k, k, refine == 0 ? 0 : 3 - refine, 2 - refine});
    cinfo.scan_info = scans.data();
    cinfo.num_scans = static_cast<int>(scans.size());
  }
  cinfo.restart_in_rows = recipe.restartRows;
  jpeg_start_compress(&cinfo, TRUE);
  if (!recipe.icc.empty())
    jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET*>(recipe.icc.data()),
                           static_cast<unsigned>(recipe.icc.size()));

  std::vector<JSAMPLE> row(static_cast<size_t>(recipe.width) * static_cast<size_t>(cinfo.input_components));
  Noise noise(recipe.noise);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    JSAMPLE* p = row.data();
    for (int x = 0; x < recipe.width; ++x) {
      Rgb c = JpegPattern(x, y, recipe.width, recipe.height);
      switch (recipe.colour) {
        case JpegColour::Rgb:
          *p++ = noise(c.r), *p++ = noise(c.g), *p++ = noise(c.b);
          break;
        case JpegColour::Grey:
          *p++ = noise(Luma(c));
          break;
        // Adobe's inverted CMYK: each ink stored as 255 - ink, so cyan holds the red level.
        case JpegColour::Cmyk:
        case JpegColour::Ycck:
          *p++ = noise(c.r), *p++ = noise(c.g), *p++ = noise(c.b);
          *p++ = static_cast<JSAMPLE>(255 - recipe.black);
          break;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string bytes(reinterpret_cast<const char*>(out), outSize);
  std::free(out);
  return bytes;
}

}  // namespace zeb::test
