// How fast heif.spi and jxl.spi read 12-megapixel pictures (4000 x 3000 HEIC, AVIF and JPEG XL made by
// Debian's encoders: scripts/make_modern_pictures.py --bench FOLDER), in ratios measured in one run:
// GetPicture from memory against the bare library decoding the same bytes into a new buffer of the
// same size, as an application of libheif or libjxl would (at most 1.1 each).
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
  }
  return 0;
}
