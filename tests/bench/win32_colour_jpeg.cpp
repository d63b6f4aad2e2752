// What an embedded colour profile costs in showing a photo: a 6000 x 4000 JPEG with an Adobe RGB
// profile against the same picture without one, read by JpegImage as the window shows it (fitted to a
// 1920 x 1080 screen: reduced by libjpeg, converted at that scale) and whole.
//
//   zeb_bench_win32_colour_jpeg.exe
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/streams.h"
#include "platform/graphics/jpeg.h"
#include "tests/support/icc_profiles.h"
#include "tests/support/jpeg_maker.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000, kRuns = 5;
// The room a window on a 1920 x 1080 screen fits a picture into.
constexpr int kRoomWidth = 1914, kRoomHeight = 1017;

// The photo measured, as a camera writes it (with its colour profile) or bare: the one place to add
// what else the camera's picture carries (its Exif, say) to the first.
std::string Photo(bool asTheCameraWritesIt) {
  zeb::test::JpegRecipe recipe{.width = kWidth, .height = kHeight, .quality = 90, .noise = 10};
  if (asTheCameraWritesIt) recipe.icc = zeb::test::MakeProfile(zeb::test::TestProfile::kAdobeRgb);
  return zeb::test::MakeJpeg(recipe);
}

// One read of the file by JpegImage, fitted into the room or whole; its time in milliseconds.
double Show(zeb::MemoryStream& file, bool fitted) {
  auto start = std::chrono::steady_clock::now();
  zeb::JpegImage jpeg;
  if (fitted) jpeg.SetLargestDrawSize(kRoomWidth, kRoomHeight);
  file.SetPosition(0);
  jpeg.LoadFromStream(file);
  if (jpeg.GetWidth() != kWidth) std::exit(1);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  std::printf("making two %d x %d JPEGs, with and without an Adobe RGB profile...\n", kWidth, kHeight);
  zeb::MemoryStream files[2];
  for (int i = 0; i < 2; ++i) {
    std::string jpg = Photo(i == 1);
    files[i].WriteBuffer(jpg.data(), static_cast<int64_t>(jpg.size()));
  }
  // Best of several runs, interleaved, so that whatever else the machine does falls on both alike.
  double best[2][2] = {{1e300, 1e300}, {1e300, 1e300}};  // [profile][fitted]
  for (int run = 0; run < kRuns; ++run)
    for (int fitted = 1; fitted >= 0; --fitted)
      for (int i = 0; i < 2; ++i) best[i][fitted] = std::min(best[i][fitted], Show(files[i], fitted));
  for (int fitted = 1; fitted >= 0; --fitted) {
    const char* how = fitted ? "fitted to 1920 x 1080" : "whole";
    std::printf("%-22s without profile %8.1f ms, with Adobe RGB %8.1f ms  (best of %d)\n", how,
                best[0][fitted], best[1][fitted], kRuns);
    std::printf("ratio with / without, %-22s %6.2f%s\n", how, best[1][fitted] / best[0][fitted],
                fitted ? "  (goal <= 1.15)" : "");
  }
  return 0;
}
