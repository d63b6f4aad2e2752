// Real JPEG files for tests and benchmarks, made with libjpeg's compressor.
//
//   std::string jpg = zeb::test::MakeJpeg({.width = 64, .height = 48, .progressive = true});
//
// The pixels follow JpegPattern: smooth gradients, so a decoder's result stays within a few levels of
// the pattern at any reasonable quality.
#pragma once

#include <cstdint>
#include <string>

namespace zeb::test {

enum class JpegColour {
  Rgb,   // YCbCr in the file
  Grey,  // one component
  Cmyk,  // four components with an Adobe marker, inverted as Adobe writes them
  Ycck,  // as Cmyk, stored as YCCK
};

struct JpegRecipe {
  int width = 16;
  int height = 16;
  JpegColour colour = JpegColour::Rgb;
  bool progressive = false;
  int quality = 90;
  // Cmyk and Ycck: the (not inverted) black ink of every pixel, 0 to 255.
  int black = 0;
  // Restart markers every this many MCU rows (0: none).
  int restartRows = 0;
  // Pseudo-random noise of up to this many levels added to every sample, so the file holds as much
  // detail as a photograph (for benchmarks; JpegExpected does not include it).
  int noise = 0;
  // A progressive file of one scan per coefficient of every component, each refined twice: 569 scans
  // for three components, 191 for one.
  bool scanPerCoefficient = false;
  // An ICC profile embedded in APP2 markers (none when empty).
  std::string icc{};
  // 1 to 8: the picture (Width x Height upright) is stored as this Exif orientation says, with an Exif
  // block that says it. 0: no Exif block.
  int orientation = 0;
};

// The pattern's colour at (X, Y) of a Width x Height picture, as red, green and blue.
struct Rgb {
  uint8_t r, g, b;
};
Rgb JpegPattern(int x, int y, int width, int height);
// What a correct decoder shows for the pattern pixel: Grey gives the pattern's luma, Cmyk and Ycck the
// pattern darkened by the black ink.
Rgb JpegExpected(const JpegRecipe& recipe, int x, int y);

// An Exif block made by libexif ("Exif\0\0" and a TIFF structure, as JPEG's APP1 holds it) whose
// Orientation is Orientation (1 to 8).
std::string ExifBlock(int orientation);
// Where the stored pixel (X, Y) of a picture stored Width x Height with Orientation shows upright.
void UprightPlace(int orientation, int x, int y, int width, int height, int& uprightX, int& uprightY);

// The bytes of a JPEG file of Recipe.
std::string MakeJpeg(const JpegRecipe& recipe);

}  // namespace zeb::test
