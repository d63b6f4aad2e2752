// How fast heif.spi and jxl.spi read 12-megapixel pictures (4000 x 3000 HEIC, AVIF and JPEG XL made by
// Debian's encoders: scripts/make_modern_pictures.py --bench FOLDER), in ratios measured in one run:
// GetPicture from memory against the bare library decoding the same bytes into a new buffer of the
// same size, as an application of libheif or libjxl would (at most 1.1 each); and the viewer's own path
// (the manager's plug-in picture reading the file, drawn window-sized) against GetPicture from the same
// file (at most 1.2 each).
//
//   zeb_bench_win32_modern_plugins.exe FOLDER
#include <windows.h>

#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>
#include <libheif/heif.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/gdi_canvas.h"
#include "spi/spi_bitmap.h"
#include "spi/spi_manager.h"
#include "spi/spi_module.h"

namespace {

constexpr int kRuns = 8;

double Milliseconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// libheif alone: the primary image as interleaved 8-bit RGB, copied into one buffer.
void DecodeHeif(const std::string& bytes, std::vector<unsigned char>& out) {
  heif_context* context = heif_context_alloc();
  heif_image_handle* handle = nullptr;
  heif_image* image = nullptr;
  if (heif_context_read_from_memory_without_copy(context, bytes.data(), bytes.size(), nullptr).code ||
      heif_context_get_primary_image_handle(context, &handle).code ||
      heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code)
    std::exit(3);
  int stride = 0;
  const uint8_t* pixels = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  const int width = heif_image_get_width(image, heif_channel_interleaved);
  const int height = heif_image_get_height(image, heif_channel_interleaved);
  out.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    std::memcpy(out.data() + static_cast<size_t>(y) * width * 3, pixels + static_cast<size_t>(y) * stride,
                static_cast<size_t>(width) * 3);
  heif_image_release(image);
  heif_image_handle_release(handle);
  heif_context_free(context);
}

// libjxl alone, with its thread pool: 8-bit RGB into one buffer.
void DecodeJxl(const std::string& bytes, std::vector<unsigned char>& out) {
  JxlDecoder* decoder = JxlDecoderCreate(nullptr);
  void* runner = JxlThreadParallelRunnerCreate(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
  JxlDecoderSetParallelRunner(decoder, JxlThreadParallelRunner, runner);
  JxlDecoderSubscribeEvents(decoder, JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE);
  JxlDecoderSetInput(decoder, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  JxlDecoderCloseInput(decoder);
  const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  for (;;) {
    const JxlDecoderStatus status = JxlDecoderProcessInput(decoder);
    if (status == JXL_DEC_BASIC_INFO) {
      JxlBasicInfo info;
      JxlDecoderGetBasicInfo(decoder, &info);
      out.resize(static_cast<size_t>(info.xsize) * info.ysize * 3);
    } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
      JxlDecoderSetImageOutBuffer(decoder, &format, out.data(), out.size());
    } else if (status == JXL_DEC_FULL_IMAGE) {
      break;
    } else {
      std::exit(4);
    }
  }
  JxlThreadParallelRunnerDestroy(runner);
  JxlDecoderDestroy(decoder);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  char exe[MAX_PATH];
  std::string plugins(exe, GetModuleFileNameA(nullptr, exe, MAX_PATH));
  plugins = plugins.substr(0, plugins.find_last_of('\\')) + "\\..\\";
  struct Kind {
    const char *file, *plugin;
    void (*bare)(const std::string&, std::vector<unsigned char>&);
  } kinds[] = {{"bench.heic", "heif.spi", DecodeHeif},
               {"bench.avif", "heif.spi", DecodeHeif},
               {"bench.jxl", "jxl.spi", DecodeJxl}};
  // A window-sized surface to draw into, as the viewer's paint cache.
  BITMAPINFO surfaceInfo = {};
  surfaceInfo.bmiHeader = {sizeof(BITMAPINFOHEADER), 1200, -900, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* surfaceBits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, CreateDIBSection(dc, &surfaceInfo, DIB_RGB_COLORS, &surfaceBits, nullptr, 0));
  for (const Kind& kind : kinds) {
    std::ifstream in(std::string(argv[1]) + "\\" + kind.file, std::ios::binary);
    std::ostringstream read;
    read << in.rdbuf();
    const std::string bytes = read.str();
    std::unique_ptr<zeb::spi::PluginModule> module = zeb::spi::CreatePluginModule(plugins + kind.plugin);
    if (bytes.empty() || !module) return 1;
    double plugin = 1e300, library = 1e300;
    auto viaPlugin = [&] {
      zeb::LocalHandle info = nullptr, bits = nullptr;
      if (module->GetPicture(bytes.data(), static_cast<intptr_t>(bytes.size()), 1, &info, &bits, nullptr,
                             0) != 0)
        std::exit(5);
      LocalFree(info);
      LocalFree(bits);
    };
    auto bare = [&] {
      std::vector<unsigned char> pixels;
      kind.bare(bytes, pixels);
    };
    // Interleaved, each first in turn, so that whatever else the machine does falls on both alike.
    for (int i = 0; i < kRuns; ++i) {
      if (i % 2) library = std::min(library, Milliseconds(bare));
      plugin = std::min(plugin, Milliseconds(viaPlugin));
      if (i % 2 == 0) library = std::min(library, Milliseconds(bare));
    }
    std::printf("%-11s %5.1f MB  %s GetPicture %8.1f ms  bare library %8.1f ms  ratio %5.2f  (at most 1.1)\n",
                kind.file, bytes.size() / 1e6, kind.plugin, plugin, library, plugin / library);

    // The viewer's path, the plug-in in process, against GetPicture from the file, interleaved likewise.
    const std::string path = std::string(argv[1]) + "\\" + kind.file;
    zeb::spi::PluginManager manager;
    manager.Add(zeb::spi::CreatePluginModule(plugins + kind.plugin));
    double shown = 1e300, fromFile = 1e300;
    auto show = [&] {
      zeb::spi::PluginBitmap picture;
      picture.LoadFromFile(path);
      zeb::win32::GdiCanvas canvas(dc);
      picture.Draw(canvas, zeb::Rect(0, 0, 1200, 900));
      GdiFlush();
    };
    auto getPicture = [&] {
      zeb::LocalHandle info = nullptr, bits = nullptr;
      if (module->GetPicture(path.c_str(), 0, 0, &info, &bits, nullptr, 0) != 0) std::exit(6);
      LocalFree(info);
      LocalFree(bits);
    };
    for (int i = 0; i < kRuns; ++i) {
      if (i % 2) fromFile = std::min(fromFile, Milliseconds(getPicture));
      shown = std::min(shown, Milliseconds(show));
      if (i % 2 == 0) fromFile = std::min(fromFile, Milliseconds(getPicture));
    }
    std::printf(
        "%-11s shown by the viewer %8.1f ms  GetPicture from the file %8.1f ms  ratio %5.2f  (at most 1.2)\n",
        kind.file, shown, fromFile, shown / fromFile);
  }
  return 0;
}
