// What a phone's or camera's photo costs to show: a 6000 x 4000 JPEG with an Adobe RGB profile and Exif
// orientation 6 (a portrait shot) against the same picture with neither, shown as the window shows it
// (fitted upright to a 1920 x 1080 screen: read by JpegImage reduced by libjpeg, converted at that scale,
// and drawn turned into a window-sized surface), and read whole. The best wall-clock time of
// several runs, and the processor time of the reading thread over all of them (which the rest of a busy
// machine disturbs less).
//
//   zeb_bench_win32_colour_jpeg.exe
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/streams.h"
#include "platform/graphics/jpeg.h"
#include "platform/win32/gdi_canvas.h"
#include "tests/support/icc_profiles.h"
#include "tests/support/jpeg_maker.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000, kRuns = 8;
// The room a window on a 1920 x 1080 screen fits a picture into.
constexpr int kRoomWidth = 1914, kRoomHeight = 1017;

// The photo measured, stored 6000 x 4000 either way: as a camera writes a portrait shot (its colour
// profile, and the upright 4000 x 6000 picture stored turned, as orientation 6 says) or bare.
std::string Photo(bool asTheCameraWritesIt) {
  zeb::test::JpegRecipe recipe{.width = kWidth, .height = kHeight, .quality = 90, .noise = 10};
  if (asTheCameraWritesIt) {
    recipe.icc = zeb::test::MakeProfile(zeb::test::TestProfile::kAdobeRgb);
    recipe.width = kHeight, recipe.height = kWidth, recipe.orientation = 6;
  }
  return zeb::test::MakeJpeg(recipe);
}

// The processor time the calling thread has used, in milliseconds (in steps of the system's tick).
double ThreadMilliseconds() {
  FILETIME created, ended, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
  return static_cast<double>((uint64_t{user.dwHighDateTime} << 32 | user.dwLowDateTime) +
                             (uint64_t{kernel.dwHighDateTime} << 32 | kernel.dwLowDateTime)) /
         1e4;
}

struct Times {
  double best = 1e300, processor = 0;
};

// One read of the file by JpegImage, fitted into the room and drawn on Dc, or whole; added to Times.
void Show(zeb::MemoryStream& file, bool fitted, HDC dc, Times& times) {
  const double processor = ThreadMilliseconds();
  auto start = std::chrono::steady_clock::now();
  zeb::JpegImage jpeg;
  if (fitted) jpeg.SetLargestDrawSize(kRoomWidth, kRoomHeight);
  file.SetPosition(0);
  jpeg.LoadFromStream(file);
  if (jpeg.GetWidth() != kWidth) std::exit(1);
  if (fitted) {  // as the window draws it: upright, its height the room's
    zeb::win32::GdiCanvas canvas(dc);
    canvas.Turn = jpeg.Orientation();
    const bool sideways = canvas.Turn.SwapsSides();
    const int32_t across = sideways ? kRoomHeight * kHeight / kWidth : kRoomHeight * kWidth / kHeight;
    jpeg.Draw(canvas, sideways ? zeb::Rect(0, 0, kRoomHeight, across) : zeb::Rect(0, 0, across, kRoomHeight));
    GdiFlush();
  }
  times.best =
      std::min(times.best,
               std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  times.processor += ThreadMilliseconds() - processor;
}

}  // namespace

int main() {
  std::printf("making two %d x %d JPEGs, with and without an Adobe RGB profile and orientation 6...\n",
              kWidth, kHeight);
  zeb::MemoryStream files[2];
  for (int i = 0; i < 2; ++i) {
    std::string jpg = Photo(i == 1);
    files[i].WriteBuffer(jpg.data(), static_cast<int64_t>(jpg.size()));
  }
  // A window-sized surface to draw into, as the viewer's paint cache.
  BITMAPINFO surfaceInfo = {};
  surfaceInfo.bmiHeader = {sizeof(BITMAPINFOHEADER), kRoomWidth, -kRoomHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* surfaceBits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, CreateDIBSection(dc, &surfaceInfo, DIB_RGB_COLORS, &surfaceBits, nullptr, 0));
  // Runs interleaved, so that whatever else the machine does falls on both alike.
  Times times[2][2];  // [profile][fitted]
  for (int run = 0; run < kRuns; ++run)
    for (int fitted = 1; fitted >= 0; --fitted)
      for (int i = 0; i < 2; ++i) Show(files[i], fitted, dc, times[i][fitted]);
  for (int fitted = 1; fitted >= 0; --fitted) {
    const Times &bare = times[0][fitted], &profiled = times[1][fitted];
    const char* how = fitted ? "shown fitted to 1920 x 1080" : "read whole";
    std::printf(
        "%s: bare %.1f ms, with Adobe RGB and orientation 6 %.1f ms (best of %d); processor %.0f / %.0f ms\n",
        how, bare.best, profiled.best, kRuns, bare.processor, profiled.processor);
    std::printf("ratio with / without, %-28s %5.2f (wall-clock), %5.2f (processor)%s\n", how,
                profiled.best / bare.best, profiled.processor / bare.processor,
                fitted ? "  goal <= 1.15" : "");
  }
  return 0;
}
