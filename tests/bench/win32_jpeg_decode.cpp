// How fast JpegImage decodes a 6000 x 4000 JPEG, whole and as fitted to a screen, against a bare
// libjpeg decode loop in the same program (the same library, the same output format) and
// libjpeg-turbo's own djpeg.exe.
//
//   zeb_bench_win32_jpeg_decode.exe [djpeg.exe]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/core/streams.h"
#include "platform/graphics/jpeg.h"
#include "tests/support/jpeg_maker.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000, kRuns = 5;
// The room a window on a 1920 x 1080 screen fits a picture into.
constexpr int kRoomWidth = 1914, kRoomHeight = 1017;

double Milliseconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The best of several runs: the least disturbed by the rest of the machine.
double Best(const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < kRuns; ++i) best = std::min(best, Milliseconds(work));
  return best;
}

// libjpeg alone: the same settings as JpegImage (BGRX rows, islow DCT), into Reuse when given, else
// into a new buffer of its own that it frees again (as a decoder that hands out its picture must).
void DecodeBare(const std::string& jpg, unsigned char* reuse) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(jpg.data()),
               static_cast<unsigned long>(jpg.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&cinfo);
  size_t stride = size_t{cinfo.output_width} * 4;
  unsigned char* pixels =
      reuse ? reuse : static_cast<unsigned char*>(std::malloc(stride * cinfo.output_height));
  JSAMPROW rows[16];
  while (cinfo.output_scanline < cinfo.output_height) {
    unsigned n = std::min(16u, cinfo.output_height - cinfo.output_scanline);
    for (unsigned i = 0; i < n; ++i) rows[i] = pixels + (cinfo.output_scanline + i) * stride;
    jpeg_read_scanlines(&cinfo, rows, n);
  }
  jpeg_destroy_decompress(&cinfo);
  if (!reuse) std::free(pixels);
}

std::wstring Wide(const std::string& s) {
  std::wstring w(s.size() + 1, L'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, w.data(), static_cast<int>(w.size()));
  w.resize(n > 0 ? n - 1 : 0);
  return w;
}

// Runs a command line and waits for it; false when it cannot be started or fails.
bool RunProcess(const std::wstring& commandLine) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring line = commandLine;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                      &pi))
    return false;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code == 0;
}

std::wstring WriteTempFile(const wchar_t* name, const std::string& bytes) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring path = std::wstring(dir) + name;
  HANDLE h =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (h != INVALID_HANDLE_VALUE) {
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
  }
  return written == bytes.size() ? path : std::wstring();
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("making a %d x %d JPEG (quality 90, 4:2:0)...\n", kWidth, kHeight);
  // Noise gives the file about the detail, and so the size, of a photograph.
  std::string jpg = zeb::test::MakeJpeg({.width = kWidth, .height = kHeight, .quality = 90, .noise = 10});
  std::printf("  %.1f MB\n", jpg.size() / 1e6);

  zeb::MemoryStream stream;
  stream.WriteBuffer(jpg.data(), static_cast<int64_t>(jpg.size()));
  std::vector<unsigned char> pixels(size_t{kWidth} * 4 * kHeight);
  // Interleaved, so that whatever else the machine does falls on all three alike.
  double image = 1e300, fresh = 1e300, reused = 1e300, fitted = 1e300;
  for (int i = 0; i < kRuns; ++i) {
    image = std::min(image, Milliseconds([&] {
                       zeb::JpegImage jpeg;
                       stream.SetPosition(0);
                       jpeg.LoadFromStream(stream);
                       if (jpeg.GetWidth() != kWidth) std::exit(1);
                     }));
    // As the window shows it on a 1920 x 1080 screen: 3/8 of each side is decoded.
    fitted = std::min(fitted, Milliseconds([&] {
                        zeb::JpegImage jpeg;
                        jpeg.SetLargestDrawSize(kRoomWidth, kRoomHeight);
                        stream.SetPosition(0);
                        jpeg.LoadFromStream(stream);
                        if (jpeg.GetWidth() != kWidth) std::exit(1);
                      }));
    fresh = std::min(fresh, Milliseconds([&] { DecodeBare(jpg, nullptr); }));
    reused = std::min(reused, Milliseconds([&] { DecodeBare(jpg, pixels.data()); }));
  }
  std::printf("JpegImage.LoadFromStream         %8.1f ms  (best of %d)\n", image, kRuns);
  std::printf("bare libjpeg, new buffer per run  %8.1f ms\n", fresh);
  std::printf("bare libjpeg, one buffer reused   %8.1f ms\n", reused);
  std::printf("ratio JpegImage / bare (new)     %8.2f\n", image / fresh);
  std::printf("ratio JpegImage / bare (reused)  %8.2f\n", image / reused);
  std::printf("JpegImage fitted to %d x %d   %8.1f ms\n", kRoomWidth, kRoomHeight, fitted);
  std::printf("ratio fitted / whole               %8.2f\n", fitted / image);

  if (argc > 1) {
    // djpeg writes a PPM to NUL; its start-up is measured on a 16 x 16 file and taken off.
    std::wstring big = WriteTempFile(L"zeb_bench_big.jpg", jpg);
    std::wstring tiny =
        WriteTempFile(L"zeb_bench_tiny.jpg", zeb::test::MakeJpeg({.width = 16, .height = 16}));
    std::wstring djpeg = L"\"" + Wide(argv[1]) + L"\" -ppm -outfile NUL ";
    bool ok = !big.empty() && !tiny.empty();
    double startup = ok ? Best([&] { ok = ok && RunProcess(djpeg + L"\"" + tiny + L"\""); }) : 0;
    double whole = ok ? Best([&] { ok = ok && RunProcess(djpeg + L"\"" + big + L"\""); }) : 0;
    if (ok) {
      std::printf("djpeg.exe (whole process)         %8.1f ms  (best of %d; start-up %.1f ms)\n", whole,
                  kRuns, startup);
      std::printf("djpeg.exe less start-up           %8.1f ms\n", whole - startup);
      std::printf("ratio JpegImage / djpeg          %8.2f\n", image / (whole - startup));
    } else {
      std::printf("djpeg.exe could not be run: %s\n", argv[1]);
    }
    if (!big.empty()) DeleteFileW(big.c_str());
    if (!tiny.empty()) DeleteFileW(tiny.c_str());
  }
  return 0;
}
