// zeb_screenshot OUT.png|OUT.bmp ZEB.EXE [ARGS...]: starts the viewer with ARGS, waits until it shows a
// picture (or the empty state) and its window has stopped changing, saves the viewer's window (a PNG)
// or the whole screen (a 24-bit BMP), then closes the viewer.
#include <windows.h>
#include <shellapi.h>

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/driver/status_title.h"
#include "tools/driver/zeb_driver.h"

namespace {

using zeb::e2e::Utf8ToWide;
using zeb::e2e::WideToUtf8;

struct Screenshot {
  int width = 0, height = 0;
  std::string rows;  // bottom row first, each padded to four bytes, blue-green-red
};

Screenshot CaptureScreen() {
  Screenshot shot;
  shot.width = GetSystemMetrics(SM_CXSCREEN);
  shot.height = GetSystemMetrics(SM_CYSCREEN);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    size_t stride = ((static_cast<size_t>(shot.width) * 24 + 31) / 32) * 4;
    shot.rows.assign(static_cast<const char*>(bits), stride * shot.height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool WriteWholeFile(const std::string& path, const void* bytes, size_t size) {
  HANDLE out = CreateFileW(Utf8ToWide(zeb::e2e::FullWindowsPath(path)).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(out, bytes, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(out);
  return ok && written == size;
}

// The part of the screen under AREA (clipped to the screen) as a PNG file.
bool SavePng(const std::string& path, const Screenshot& shot, const zeb::e2e::ScreenRect& area) {
  const int left = std::max(area.left, 0), top = std::max(area.top, 0);
  const int right = std::min(area.right, shot.width), bottom = std::min(area.bottom, shot.height);
  if (right <= left || bottom <= top) return false;
  const size_t stride = ((static_cast<size_t>(shot.width) * 24 + 31) / 32) * 4;
  std::string pixels;  // top row first, blue-green-red, no padding
  for (int y = top; y < bottom; ++y)
    pixels.append(shot.rows, (shot.height - 1 - y) * stride + left * 3,
                  static_cast<size_t>(right - left) * 3);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(right - left);
  image.height = static_cast<png_uint_32>(bottom - top);
  image.format = PNG_FORMAT_BGR;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr)) return false;
  std::vector<unsigned char> file(size);
  if (!png_image_write_to_memory(&image, file.data(), &size, 0, pixels.data(), 0, nullptr)) return false;
  return WriteWholeFile(path, file.data(), size);
}

bool SaveBmp(const std::string& path, const Screenshot& shot) {
  std::string file = "BM";
  PutLe(file, static_cast<uint32_t>(54 + shot.rows.size()), 4);
  PutLe(file, 0, 4);
  PutLe(file, 54, 4);
  PutLe(file, 40, 4);
  PutLe(file, static_cast<uint32_t>(shot.width), 4);
  PutLe(file, static_cast<uint32_t>(shot.height), 4);
  PutLe(file, 1, 2);
  PutLe(file, 24, 2);
  PutLe(file, 0, 4);
  PutLe(file, static_cast<uint32_t>(shot.rows.size()), 4);
  PutLe(file, 2835, 4);
  PutLe(file, 2835, 4);
  PutLe(file, 0, 4);
  PutLe(file, 0, 4);
  file += shot.rows;
  return WriteWholeFile(path, file.data(), file.size());
}

// The screen once painting has settled: two captures 100 ms apart that are the same (at most 5 s).
Screenshot SettledScreen() {
  Screenshot last = CaptureScreen();
  for (int i = 0; i < 50; ++i) {
    Sleep(100);
    Screenshot next = CaptureScreen();
    if (next.rows == last.rows && !next.rows.empty()) return next;
    last = std::move(next);
  }
  return last;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "zeb_screenshot: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(WideToUtf8(wide[i]));
  LocalFree(wide);
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: zeb_screenshot OUT.png|OUT.bmp ZEB.EXE [ARGS...]\n");
    return 2;
  }
  const std::string out = args[0];
  const std::string exe = args[1];
  args.erase(args.begin(), args.begin() + 2);

  zeb::e2e::ZebProcess zeb;
  if (!zeb.Start(exe, args)) return Fail(zeb.failure());
  // Folder scans can take a while on a big tree: wait for a minute.
  if (!zeb.WaitForTitle([](const std::string& t) { return zeb::e2e::ShowsPicture(t) || t == "<empty>"; },
                        "that shows a picture or <empty>", 60000))
    return Fail(zeb.failure());
  // "<empty>" is also shown while the list is being built; the start-up has ended when the window
  // accepts dropped files.
  if (!zeb.WaitForStartupDone(60000)) return Fail(zeb.failure());
  Screenshot shot = SettledScreen();
  if (shot.rows.empty()) return Fail("could not read the screen");
  const bool png = out.size() > 4 && out.compare(out.size() - 4, 4, ".png") == 0;
  if (!(png ? SavePng(out, shot, zeb.WindowRect()) : SaveBmp(out, shot)))
    return Fail("could not write " + out);
  std::printf("%s\n", zeb.Title().c_str());
  if (!zeb.Close() || !zeb.WaitForExit(10000)) return Fail(zeb.failure());
  return 0;
}
