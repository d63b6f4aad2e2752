#include "tests/support/jpeg_maker.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <libexif/exif-data.h>

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

std::string ExifBlock(int orientation) {
  ExifData* data = exif_data_new();
  ExifEntry* entry = exif_entry_new();
  exif_content_add_entry(data->ifd[EXIF_IFD_0], entry);
  exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
  exif_set_short(entry->data, exif_data_get_byte_order(data), static_cast<ExifShort>(orientation));
  unsigned char* bytes = nullptr;
  unsigned int size = 0;
  exif_data_save_data(data, &bytes, &size);
  std::string block(reinterpret_cast<const char*>(bytes), size);
  std::free(bytes);
  exif_entry_unref(entry);
  exif_data_unref(data);
  return block;
}

void UprightPlace(int orientation, int x, int y, int width, int height, int& uprightX, int& uprightY) {
  // The stored first row is the upright top (1, 2), bottom (3, 4), left (5, 8) or right side (6, 7);
  // the stored first column the upright left (1, 4), right (2, 3), top (5, 6) or bottom (7, 8).
  const int across = orientation == 2 || orientation == 3 || orientation >= 7 ? width - 1 - x : x;
  const int down =
      orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7 ? height - 1 - y : y;
  uprightX = orientation >= 5 ? down : across;
  uprightY = orientation >= 5 ? across : down;
}

std::string MakeJpeg(const JpegRecipe& recipe) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);  // a compressor error is a fault of the test itself: libjpeg exits
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);

  const bool rotated = recipe.orientation >= 5;  // stored Height x Width
  const int width = rotated ? recipe.height : recipe.width, height = rotated ? recipe.width : recipe.height;
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
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
  if (recipe.orientation > 0) {
    const std::string exif = ExifBlock(recipe.orientation);
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()),
                      static_cast<unsigned>(exif.size()));
  }

  std::vector<JSAMPLE> row(static_cast<size_t>(width) * static_cast<size_t>(cinfo.input_components));
  Noise noise(recipe.noise);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    JSAMPLE* p = row.data();
    for (int x = 0; x < width; ++x) {
      int uprightX, uprightY;
      UprightPlace(recipe.orientation, x, y, width, height, uprightX, uprightY);
      Rgb c = JpegPattern(uprightX, uprightY, recipe.width, recipe.height);
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
