// Writes the plug-in fuzz targets' starting corpora: small PNG, GIF, WebP and TIFF files of each kind
// the plug-ins read, into FOLDER/png, FOLDER/gif, FOLDER/webp and FOLDER/tiff.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/pictures/picture_writers.h"
#include "tests/support/icc_profiles.h"

using namespace zeb::test;

namespace {
std::string folder;
void Seed(const std::string& format, const std::string& name, const std::string& bytes) {
  std::string path = folder + "/" + format + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  folder = argv[1];
  const SourcePicture rgb = MakePicture(9, 5, 3), rgba = MakePicture(9, 5, 4), grey = MakePicture(9, 5, 1);
  const SourcePicture grey16 = MakePicture(9, 5, 1, 16), rgb16 = MakePicture(9, 5, 3, 16);
  const SourcePicture indexed = MakeIndexed(9, 5, 16), clear = MakeIndexed(9, 5, 16, true);
  const std::string adobe = MakeProfile(TestProfile::kAdobeRgb), p3 = MakeProfile(TestProfile::kDisplayP3);
  Seed("png", "rgb", WritePng(rgb));
  Seed("png", "rgba-adobe-rgb", WritePng(rgba, {.icc = adobe}));
  Seed("png", "rgba-interlaced", WritePng(rgba, {true}));
  Seed("png", "grey1", WritePng(MakePicture(9, 5, 1, 1)));
  Seed("png", "grey16", WritePng(grey16));
  Seed("png", "grey-alpha", WritePng(MakePicture(9, 5, 2)));
  Seed("png", "palette-trns", WritePng(clear));
  Seed("png", "exif-orientation", WritePng(rgb, {.orientation = 7}));
  Seed("gif", "plain", WriteGif(indexed));
  Seed("gif", "transparent-interlaced", WriteGif(clear, {0, true}));
  Seed("gif", "frame-on-screen", WriteGif(indexed, {-1, false, 16, 8, 3, 2, 2}));
  Seed("webp", "lossless", WriteWebp(rgb));
  Seed("webp", "lossless-alpha", WriteWebp(rgba));
  Seed("webp", "lossy", WriteWebp(rgb, {false}));
  Seed("webp", "lossy-rows-of-macroblocks", WriteWebp(MakePicture(9, 40, 3), {false}));
  Seed("webp", "animation", WriteWebp(rgba, {true, 2}));
  Seed("webp", "exif-orientation", WriteWebp(rgba, {.orientation = 5}));
  Seed("tiff", "grey", WriteTiff(grey));
  Seed("tiff", "grey16-big-endian", WriteTiff(grey16, {.bigEndian = true}));
  Seed("tiff", "palette-tiles", WriteTiff(indexed, {.tileSize = 16}));
  Seed("tiff", "rgb16-lzw", WriteTiff(rgb16, {.compression = TiffCompression::kLzw}));
  Seed("tiff", "rgba", WriteTiff(rgba));
  Seed("tiff", "cmyk", WriteTiff(rgb, {.cmyk = true, .orientation = 8}));
  Seed("tiff", "rgb-display-p3", WriteTiff(rgb, {.icc = p3}));
  Seed("tiff", "jpeg",
       WriteTiff(MakePicture(16, 16, 3), {.compression = TiffCompression::kJpeg, .rowsPerStrip = 16}));
  return 0;
}
