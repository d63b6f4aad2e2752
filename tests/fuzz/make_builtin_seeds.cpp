// Writes the built-in readers' fuzz target's starting corpus into the folder named by the first
// argument: one small BMP file of each header kind, depth and compression, and small JPEG files of
// each kind the JPEG reader reads, written by libjpeg.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/bmp_maker.h"
#include "tests/support/icc_profiles.h"
#include "tests/support/jpeg_maker.h"

using zeb::test::BmpHeaderKind;
using zeb::test::BmpRecipe;

namespace {
bool Write(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fclose(f) == 0) return true;
  std::perror(path.c_str());
  return false;
}

BmpRecipe Seed(BmpHeaderKind header, uint16_t bits, uint32_t compression, int32_t w, int32_t h) {
  BmpRecipe s;
  s.header = header;
  s.width = w;
  s.height = h;
  s.bitCount = bits;
  s.compression = compression;
  if (bits <= 8)
    for (uint32_t i = 0; i < (1u << bits); ++i) s.colors.push_back(i * 0x010101u);
  for (int32_t i = 0; i < w * h; ++i)
    s.pixels.push_back(bits <= 8 ? static_cast<uint32_t>(i / 3) % (1u << bits)
                                 : 0x030507u * static_cast<uint32_t>(i));
  return s;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  using zeb::test::BiBitfields;
  using zeb::test::BiRgb;
  using zeb::test::BiRle4;
  using zeb::test::BiRle8;
  std::vector<std::pair<std::string, BmpRecipe>> seeds = {
      {"info1", Seed(BmpHeaderKind::Info, 1, BiRgb, 9, 3)},
      {"info4", Seed(BmpHeaderKind::Info, 4, BiRgb, 5, 3)},
      {"info8", Seed(BmpHeaderKind::Info, 8, BiRgb, 6, 4)},
      {"info24", Seed(BmpHeaderKind::Info, 24, BiRgb, 3, 2)},
      {"v4_16", Seed(BmpHeaderKind::V4, 16, BiRgb, 3, 3)},
      {"info32", Seed(BmpHeaderKind::Info, 32, BiRgb, 2, 2)},
      {"core8", Seed(BmpHeaderKind::Core, 8, BiRgb, 4, 2)},
      {"core24", Seed(BmpHeaderKind::Core, 24, BiRgb, 2, 2)},
      {"os2_4", Seed(BmpHeaderKind::Os2, 4, BiRgb, 3, 3)},
      {"rle8", Seed(BmpHeaderKind::Info, 8, BiRle8, 11, 4)},
      {"rle4", Seed(BmpHeaderKind::Info, 4, BiRle4, 11, 4)},
      {"v5_rle8", Seed(BmpHeaderKind::V5, 8, BiRle8, 7, 3)},
      {"bitfields565", Seed(BmpHeaderKind::Info, 16, BiBitfields, 3, 2)},
      {"v3_bitfields32", Seed(BmpHeaderKind::V3, 32, BiBitfields, 2, 2)},
      {"v5_bitfields16", Seed(BmpHeaderKind::V5, 16, BiBitfields, 3, 2)},
  };
  seeds[3].second.topDown = true;
  seeds[2].second.colors.resize(20);
  seeds[2].second.clrUsed = 20;
  for (auto& p : seeds[2].second.pixels) p %= 24;  // some indices past the short table
  seeds[14].second.masks = {0x0F00, 0x00F0, 0x000F};
  for (const auto& [name, recipe] : seeds) {
    if (!Write(std::string(argv[1]) + "/" + name + ".bmp", zeb::test::MakeBmp(recipe))) return 1;
  }
  using zeb::test::JpegColour;
  using zeb::test::MakeProfile;
  const std::pair<std::string, zeb::test::JpegRecipe> jpegs[] = {
      {"baseline", {.width = 19, .height = 11}},
      {"grey-progressive", {.width = 9, .height = 17, .colour = JpegColour::Grey, .progressive = true}},
      {"cmyk", {.width = 8, .height = 8, .colour = JpegColour::Cmyk, .black = 40}},
      {"ycck-progressive", {.width = 12, .height = 6, .colour = JpegColour::Ycck, .progressive = true}},
      {"restarts", {.width = 24, .height = 40, .quality = 50, .restartRows = 1}},
      {"adobe-rgb", {.width = 16, .height = 8, .icc = MakeProfile(zeb::test::TestProfile::kAdobeRgb)}},
      {"exif-orientation", {.width = 16, .height = 8, .orientation = 6}},
  };
  for (const auto& [name, recipe] : jpegs)
    if (!Write(std::string(argv[1]) + "/" + name + ".jpg", zeb::test::MakeJpeg(recipe))) return 1;
  return 0;
}
