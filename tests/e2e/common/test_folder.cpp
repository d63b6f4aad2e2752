#include "tests/e2e/common/test_folder.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "spi/plugin_host.h"
#include "tests/e2e/common/e2e_environment.h"
#include "tools/driver/zeb_driver.h"
#include "tests/support/bmp_maker.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/plugin_name.h"

namespace zeb::e2e {

namespace {

// The system refuses plain paths near or past MAX_PATH; the \\?\ form of a full path has no limit.
std::wstring ApiPath(const std::wstring& path) {
  return path.size() < MAX_PATH - 12 ? path : L"\\\\?\\" + path;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(ApiPath(folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(ApiPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(ApiPath(path).c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(ApiPath(folder).c_str());
}

void MakeFolders(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2) MakeFolders(path.substr(0, slash));
  CreateDirectoryW(ApiPath(path).c_str(), nullptr);
}

}  // namespace

TestFolder::TestFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring base = temp;
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  for (unsigned n = GetTickCount() ^ GetCurrentProcessId();; ++n) {
    std::wstring candidate = base + L"\\zeb-e2e-" + std::to_wstring(n % 1000000);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      root_ = WideToUtf8(candidate);
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make a test folder");
  }
}

TestFolder::~TestFolder() { RemoveTree(Utf8ToWide(root_)); }

std::string TestFolder::Path(const std::string& relative) const {
  std::string path = root_ + "\\" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

void TestFolder::MakeFolder(const std::string& relative) { MakeFolders(Utf8ToWide(Path(relative))); }

void TestFolder::WriteFile(const std::string& relative, const std::string& bytes) {
  std::wstring path = Utf8ToWide(Path(relative));
  auto create = [&] {
    return CreateFileW(ApiPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  };
  HANDLE file = create();
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND) {
    MakeFolders(path.substr(0, path.find_last_of(L'\\')));
    file = create();
  }
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + Path(relative));
  DWORD written = 0;
  BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) throw std::runtime_error("cannot write " + Path(relative));
}

void TestFolder::WriteBmp(const std::string& relative, int width, int height, uint16_t bit_count) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  std::vector<uint32_t> colors;
  if (bit_count <= 8) {
    for (uint32_t i = 0; i < (1u << bit_count); ++i) {
      uint32_t level = i * 255 / ((1u << bit_count) - 1);
      colors.push_back(level << 16 | (255 - level) << 8 | (level * 7 & 0xFF));
    }
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t& p = pixels[static_cast<size_t>(y) * width + x];
      bool stripe = ((x + y) / 16) % 4 == 0;
      if (bit_count <= 8) {
        p = stripe ? 0 : (x * ((1u << bit_count) - 1) / std::max(width - 1, 1));
      } else {
        uint32_t r = x * 255 / std::max(width - 1, 1), g = y * 255 / std::max(height - 1, 1);
        p = stripe ? 0xFFFFFF : (r << 16 | g << 8 | 0x80);
      }
    }
  }
  WriteFile(relative, zeb::test::SimpleBmp(width, height, bit_count, std::move(pixels), std::move(colors)));
}

void TestFolder::WriteJpeg(const std::string& relative, int width, int height, int orientation) {
  WriteFile(relative, zeb::test::MakeJpeg({.width = width, .height = height, .orientation = orientation}));
}

void TestFolder::WriteList(const std::string& relative, const std::string& lines_utf8) {
  std::wstring wide = Utf8ToWide(lines_utf8);
  std::string ansi;
  if (!wide.empty()) {
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                nullptr);
    ansi.resize(n);
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), n, nullptr,
                        nullptr);
  }
  // Lines given with "\n" are stored with CR LF.
  std::string file;
  for (char c : ansi) {
    if (c == '\n') file += '\r';
    file += c;
  }
  WriteFile(relative, file);
}

bool TestFolder::Exists(const std::string& relative) const {
  return GetFileAttributesW(ApiPath(Utf8ToWide(Path(relative))).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TestFolder::Read(const std::string& relative) const {
  return ReadWholeFile(Utf8ToWide(Path(relative)));
}

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(ApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

std::string TestFolder::InstallViewer(const std::vector<std::string>& pluginFiles) {
  MakeFolder("app");
  const std::string exe = Path("app/zeb.exe");
  EXPECT_TRUE(CopyFileW(Utf8ToWide(ZebExe()).c_str(), Utf8ToWide(exe).c_str(), FALSE)) << ZebExe();
  // The plug-in host goes beside it, as it is installed.
  const std::string host = ZebExe().substr(0, ZebExe().find_last_of("\\/") + 1) + spi::kPluginHostProgram;
  EXPECT_TRUE(CopyFileW(Utf8ToWide(host).c_str(),
                        Utf8ToWide(Path(std::string("app/") + spi::kPluginHostProgram)).c_str(), FALSE))
      << host;
  for (const std::string& named : pluginFiles) {
    const std::string from = test::BuildPluginName(named);
    EXPECT_TRUE(CopyFileW(Utf8ToWide(from).c_str(),
                          Utf8ToWide(Path("app/" + from.substr(from.find_last_of("\\/") + 1))).c_str(),
                          FALSE))
        << from;
  }
  return exe;
}

}  // namespace zeb::e2e
