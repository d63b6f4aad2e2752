// zeb_samples FOLDER: writes a small set of sample pictures to try the viewer on: BMP files of several
// sizes and depths, JPEG files (one larger than the screen), a picture in a subfolder and a list file.
// Everything is drawn here; nothing is read from anywhere.
#include <windows.h>
#include <shellapi.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/driver/zeb_driver.h"
#include "tools/picture_encoders.h"

namespace {

using zeb::e2e::Utf8ToWide;

uint32_t Rgb(int r, int g, int b) {
  auto clamp = [](int v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
  return clamp(r) << 16 | clamp(g) << 8 | clamp(b);
}

// A diagonal colour gradient.
uint32_t Gradient(int x, int y, int w, int h) {
  return Rgb(255 * x / (w - 1), 255 * y / (h - 1), 255 - 255 * (x + y) / (w + h - 2));
}

// Concentric rings over a soft gradient, a photograph-like picture for JPEG.
uint32_t Rings(int x, int y, int w, int h) {
  double dx = x - w / 2.0, dy = y - h / 2.0;
  double ring = 0.5 + 0.5 * std::cos(std::sqrt(dx * dx + dy * dy) / (w / 40.0));
  return Rgb(static_cast<int>(60 + 180 * ring * x / w), static_cast<int>(40 + 200 * y / h),
             static_cast<int>(90 + 150 * ring));
}

std::vector<uint32_t> GreyRamp(int count) {
  std::vector<uint32_t> palette;
  for (int i = 0; i < count; ++i) {
    int level = 255 * i / (count - 1);
    palette.push_back(Rgb(level, level, level));
  }
  return palette;
}

bool MakeFolders(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2) MakeFolders(path.substr(0, slash));
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool Write(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  std::printf("%s (%lu bytes)\n", path.c_str(), static_cast<unsigned long>(bytes.size()));
  return ok && written == bytes.size();
}

// List files are in the system's ANSI code page, like the file names the viewer reads from them.
std::string Ansi(const std::string& utf8) {
  std::wstring wide = Utf8ToWide(utf8);
  int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 2) {
    std::fprintf(stderr, "usage: zeb_samples FOLDER\n");
    return 2;
  }
  const std::string root = zeb::e2e::FullWindowsPath(zeb::e2e::WideToUtf8(argv[1]));
  LocalFree(argv);
  if (!MakeFolders(Utf8ToWide(root)) || !MakeFolders(Utf8ToWide(root + "\\more"))) {
    std::fprintf(stderr, "zeb_samples: cannot make %s\n", root.c_str());
    return 1;
  }
  using zeb::tools::EncodeBmp;
  using zeb::tools::EncodeJpeg;
  const std::string gradient = root + "\\01 gradient 320x240.bmp";
  const std::string photo = root + "\\05 rings 640x480.jpg";
  bool ok = true;
  ok &= Write(gradient, EncodeBmp(320, 240, 24, [](int x, int y) { return Gradient(x, y, 320, 240); }));
  ok &= Write(root + "\\02 checkerboard 8bit 256x256.bmp",
              EncodeBmp(
                  256, 256, 8, [](int x, int y) { return ((x / 32 + y / 32) % 2) ? (x + y) / 2 : 255 - y; },
                  GreyRamp(256)));
  ok &= Write(root + "\\03 rings 32bit 400x300.bmp",
              EncodeBmp(400, 300, 32, [](int x, int y) { return Rings(x, y, 400, 300); }));
  ok &=
      Write(root + "\\04 checkerboard 1bit 160x120.bmp",
            EncodeBmp(160, 120, 1, [](int x, int y) { return static_cast<uint32_t>((x / 20 + y / 20) % 2); },
                      {Rgb(20, 20, 80), Rgb(250, 240, 200)}));
  ok &= Write(photo, EncodeJpeg(640, 480, [](int x, int y) { return Rings(x, y, 640, 480); }));
  ok &=
      Write(root + "\\06 big gradient 2400x1600.jpg", EncodeJpeg(2400, 1600, [](int x, int y) {
              // A gradient under a checkerboard of darker squares.
              uint32_t base = Gradient(x, y, 2400, 1600);
              if ((x / 200 + y / 200) % 2) return base;
              return Rgb(((base >> 16) & 0xFF) * 3 / 4, ((base >> 8) & 0xFF) * 3 / 4, (base & 0xFF) * 3 / 4);
            }));
  ok &= Write(
      root + "\\more\\07 stripes 4bit 300x200.bmp",
      EncodeBmp(
          300, 200, 4, [](int x, int y) { return static_cast<uint32_t>((x + y) / 20 % 16); }, GreyRamp(16)));
  // A list file names pictures by full path, one per line, each line ended by CR LF.
  ok &= Write(root + "\\more\\favourites.zeb", Ansi(gradient + "\r\n" + photo + "\r\n"));
  return ok ? 0 : 1;
}
