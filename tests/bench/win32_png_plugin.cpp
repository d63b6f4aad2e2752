// How fast a 6000 x 4000 PNG is shown through our png.spi, in ratios measured in one run:
//   - the viewer's own path (the plug-in manager, the plug-in picture and its conversion to the shown
//     bitmap, then drawing it fitted into a window-sized memory surface) against the plug-in's own
//     GetPicture from the same file: at most 1.2;
//   - png.spi's GetPicture from memory against a bare libpng decode of the same bytes (the same
//     library, the same BGR rows into one DIB-sized buffer): at most 1.1;
//   - the viewer's path with png.spi in the plug-in host against png.spi in process: at most 1.1;
//   - a slide show's loads and draws of 100 small PNGs (320 x 240), in the host against in process: at
//     most 1.2;
// and the plug-in host's first start (started, png.spi loaded in it and its texts back) beside loading
// png.spi in process.
//
//   zeb_bench_win32_png_plugin.exe
#include <windows.h>

#include <png.h>

#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/graphics/bitmap.h"
#include "platform/services/file_system.h"
#include "platform/win32/gdi_canvas.h"
#include "spi/plugin_host.h"
#include "spi/spi_bitmap.h"
#include "spi/spi_manager.h"
#include "spi/spi_module.h"
#include "tests/pictures/picture_writers.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000, kRuns = 7, kSlides = 100;

double Milliseconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// A photograph-like picture: smooth gradients with a little noise.
zeb::test::SourcePicture Photo(int width = kWidth, int height = kHeight) {
  zeb::test::SourcePicture p;
  p.width = width;
  p.height = height;
  p.channels = 3;
  p.samples.resize(static_cast<size_t>(width) * height * 3);
  uint32_t seed = 12345;
  size_t i = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>(seed >> 28) - 8;
      p.samples[i++] = static_cast<uint16_t>(std::clamp(x * 255 / width + noise, 0, 255));
      p.samples[i++] = static_cast<uint16_t>(std::clamp(y * 255 / height + noise, 0, 255));
      p.samples[i++] = static_cast<uint16_t>(std::clamp((x + y) * 255 / (width + height) + noise, 0, 255));
    }
  return p;
}

struct Reader {
  const std::string* data;
  size_t pos;
};

// libpng alone: BGR rows, bottom-up into one DIB-sized buffer, as the plug-in hands them over.
void DecodeBare(const std::string& png, unsigned char* out) {
  png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  Reader r{&png, 0};
  png_set_read_fn(p, &r, [](png_structp q, png_bytep buf, png_size_t n) {
    auto* rd = static_cast<Reader*>(png_get_io_ptr(q));
    std::memcpy(buf, rd->data->data() + rd->pos, n);
    rd->pos += n;
  });
  png_read_info(p, info);
  png_set_bgr(p);
  const size_t stride = (size_t{png_get_image_width(p, info)} * 3 + 3) & ~size_t{3};
  const png_uint_32 height = png_get_image_height(p, info);
  for (png_uint_32 y = 0; y < height; ++y) png_read_row(p, out + (height - 1 - y) * stride, nullptr);
  png_destroy_read_struct(&p, &info, nullptr);
}

}  // namespace

int main() {
  const std::string folder = zeb::FolderPart(zeb::Files().ProgramFileName());
  const std::string plugin = folder + "..\\png.spi";
  std::printf("making a %d x %d PNG...\n", kWidth, kHeight);
  const std::string png = zeb::test::WritePng(Photo());
  std::printf("  %.1f MB\n", png.size() / 1e6);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  char narrow[MAX_PATH * 3];
  WideCharToMultiByte(CP_UTF8, 0, temp, -1, narrow, sizeof narrow, nullptr, nullptr);
  const std::string path = std::string(narrow) + "zeb_bench_big.png";
  HANDLE file = CreateFileW((std::wstring(temp) + L"zeb_bench_big.png").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
  CloseHandle(file);
  if (written != png.size()) return 1;

  // The small pictures of the slide show.
  std::vector<std::string> slides;
  const std::string small = zeb::test::WritePng(Photo(320, 240));
  for (int i = 0; i < kSlides; ++i) {
    const std::wstring name = std::wstring(temp) + L"zeb_bench_slide" + std::to_wstring(i) + L".png";
    HANDLE slide =
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    WriteFile(slide, small.data(), static_cast<DWORD>(small.size()), &written, nullptr);
    CloseHandle(slide);
    slides.push_back(std::string(narrow) + "zeb_bench_slide" + std::to_string(i) + ".png");
  }

  // The host's first start: started, png.spi loaded in it, its texts back; beside png.spi loaded here.
  const double inProcessLoad = Milliseconds([&] { zeb::spi::ImportModule local(plugin); });
  std::unique_ptr<zeb::spi::PluginHost> host;
  double hostStart = Milliseconds([&] {
    host = std::make_unique<zeb::spi::PluginHost>(folder + "..\\" + zeb::spi::kPluginHostProgram);
    if (!zeb::spi::CreatePluginModule(plugin)) std::exit(4);
  });
  // A manager holding png.spi in the host or in process (the host made the modules of CreatePluginModule).
  std::unique_ptr<zeb::spi::PluginManager> spis;
  auto useManager = [&](bool isolated) {
    spis.reset();
    spis = std::make_unique<zeb::spi::PluginManager>();
    if (isolated)
      spis->Add(zeb::spi::CreatePluginModule(plugin));
    else
      spis->Add(std::make_unique<zeb::spi::ImportModule>(plugin));
    if (spis->Count() != 1) std::exit(5);
  };
  std::unique_ptr<zeb::spi::PluginModule> module = std::make_unique<zeb::spi::ImportModule>(plugin);
  std::vector<unsigned char> bare(((size_t{kWidth} * 3 + 3) & ~size_t{3}) * kHeight);

  // A window-sized surface to draw into, as the viewer's paint cache.
  BITMAPINFO surfaceInfo = {};
  surfaceInfo.bmiHeader = {sizeof(BITMAPINFOHEADER), 1200, -800, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* surfaceBits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP surface = CreateDIBSection(dc, &surfaceInfo, DIB_RGB_COLORS, &surfaceBits, nullptr, 0);
  SelectObject(dc, surface);

  auto getPicture = [&](bool fromFile) {
    zeb::LocalHandle info = nullptr, bits = nullptr;
    int result = fromFile ? module->GetPicture(path.c_str(), 0, 0, &info, &bits, nullptr, 0)
                          : module->GetPicture(png.data(), static_cast<intptr_t>(png.size()), 1, &info, &bits,
                                               nullptr, 0);
    if (result != 0) std::exit(2);
    LocalFree(info);
    LocalFree(bits);
  };
  auto show = [&](const std::string& file, int width) {
    zeb::spi::PluginBitmap shown;
    shown.LoadFromFile(file);
    if (shown.GetWidth() != width) std::exit(3);
    zeb::win32::GdiCanvas canvas(dc);
    shown.Draw(canvas, zeb::Rect(0, 0, 1200, 800));
    GdiFlush();
  };
  auto slideShow = [&] {
    for (const std::string& slide : slides) show(slide, 320);
  };
  // Interleaved, so that whatever else the machine does falls on all alike.
  double viewer = 1e300, loadOnly = 1e300, fromFile = 1e300, fromMemory = 1e300, libpng = 1e300;
  double isolated = 1e300, slidesHere = 1e300, slidesIsolated = 1e300;
  for (int i = 0; i < kRuns; ++i) {
    useManager(true);
    isolated = std::min(isolated, Milliseconds([&] { show(path, kWidth); }));
    slidesIsolated = std::min(slidesIsolated, Milliseconds(slideShow));
    useManager(false);
    slidesHere = std::min(slidesHere, Milliseconds(slideShow));
    loadOnly = std::min(loadOnly, Milliseconds([&] {
                          zeb::spi::PluginBitmap shown;
                          shown.LoadFromFile(path);
                        }));
    viewer = std::min(viewer, Milliseconds([&] { show(path, kWidth); }));
    fromFile = std::min(fromFile, Milliseconds([&] { getPicture(true); }));
    fromMemory = std::min(fromMemory, Milliseconds([&] { getPicture(false); }));
    libpng = std::min(libpng, Milliseconds([&] { DecodeBare(png, bare.data()); }));
  }
  DeleteObject(surface);
  DeleteDC(dc);
  DeleteFileW((std::wstring(temp) + L"zeb_bench_big.png").c_str());
  for (int i = 0; i < kSlides; ++i)
    DeleteFileW((std::wstring(temp) + L"zeb_bench_slide" + std::to_wstring(i) + L".png").c_str());
  spis.reset();
  host.reset();

  std::printf("viewer: load in process and draw        %8.1f ms  (best of %d)\n", viewer, kRuns);
  std::printf("  of which loading (plug-in, BMP hand-over) %6.1f ms\n", loadOnly);
  std::printf("png.spi GetPicture from the file        %8.1f ms\n", fromFile);
  std::printf("png.spi GetPicture from memory          %8.1f ms\n", fromMemory);
  std::printf("bare libpng decode from memory          %8.1f ms\n", libpng);
  std::printf("ratio viewer / GetPicture (file)        %8.2f  (at most 1.2)\n", viewer / fromFile);
  std::printf("ratio GetPicture (memory) / libpng      %8.2f  (at most 1.1)\n", fromMemory / libpng);
  std::printf("viewer, png.spi in the plug-in host     %8.1f ms\n", isolated);
  std::printf("ratio in the host / in process          %8.2f  (at most 1.1)\n", isolated / viewer);
  std::printf("slide show of %d 320x240 PNGs, in process %6.1f ms\n", kSlides, slidesHere);
  std::printf("  the same, png.spi in the plug-in host %8.1f ms\n", slidesIsolated);
  std::printf("ratio in the host / in process          %8.2f  (at most 1.2)\n", slidesIsolated / slidesHere);
  std::printf("the host's first start with png.spi     %8.1f ms  (png.spi loaded in process: %.1f ms)\n",
              hostStart, inProcessLoad);
  return 0;
}
