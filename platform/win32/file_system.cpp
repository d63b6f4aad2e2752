// The real file system through the W functions.
#include "platform/services/file_system.h"

#include <algorithm>

#include "platform/core/errors.h"
#include "platform/win32/folder_listing.h"
#include "platform/win32/system_error.h"
#include "platform/win32/system_function.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

#include <shlobj.h>

namespace zeb {

namespace {

using win32::Narrow;
using win32::Widen;

constexpr uint32_t kKnownAttributes =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive | kAttrReparsePoint;

// ReadFile and WriteFile take 32-bit counts: larger requests go in pieces.
constexpr int64_t kMaxChunk = 1 << 30;

class Win32File : public FileHandle {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  int64_t Read(void* buffer, int64_t count) override {
    int64_t total = 0;
    auto* p = static_cast<char*>(buffer);
    while (total < count) {
      DWORD done = 0;
      DWORD ask = static_cast<DWORD>(std::min(count - total, kMaxChunk));
      if (!ReadFile(handle_, p + total, ask, &done, nullptr) || done == 0) break;
      total += done;
    }
    return total;
  }

  int64_t Write(const void* buffer, int64_t count) override {
    int64_t total = 0;
    auto* p = static_cast<const char*>(buffer);
    while (total < count) {
      DWORD done = 0;
      DWORD ask = static_cast<DWORD>(std::min(count - total, kMaxChunk));
      if (!WriteFile(handle_, p + total, ask, &done, nullptr) || done == 0) break;
      total += done;
    }
    return total;
  }

  int64_t Seek(int64_t offset, SeekOrigin origin) override {
    DWORD method = origin == SeekOrigin::Beginning ? FILE_BEGIN
                   : origin == SeekOrigin::Current ? FILE_CURRENT
                                                   : FILE_END;
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(handle_, distance, &position, method)) return -1;
    return position.QuadPart;
  }

  bool Truncate(int64_t size) override {
    int64_t old = Seek(0, SeekOrigin::Current);
    if (old < 0 || Seek(size, SeekOrigin::Beginning) != size || !SetEndOfFile(handle_)) return false;
    if (old < size) Seek(old, SeekOrigin::Beginning);
    return true;
  }

 private:
  HANDLE handle_;
};

// Asks a W function that fills a buffer of a given length (and returns the length needed when the
// buffer is too small) for its whole text; empty when it fails.
template <typename Call>
std::wstring GrowingWideText(Call call) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(n + 1);
  }
}

template <typename Call>
std::string GrowingText(Call call) {
  return Narrow(GrowingWideText(call));
}

// A path for the file functions: one near or past MAX_PATH goes in the \\?\ form, which has no length
// limit but takes only full paths with backslashes (so it is made full first). Shorter paths go as they
// are, relative ones included. The form never leaves this file: titles and list files keep the path.
std::wstring FileApiPath(std::string_view utf8) {
  std::wstring wide = Widen(utf8);
  if (wide.size() < MAX_PATH - 12 || wide.starts_with(L"\\\\?\\")) return wide;
  std::wstring full = GrowingWideText(
      [&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(wide.c_str(), size, buffer, nullptr); });
  if (full.empty()) return wide;
  for (wchar_t& c : full)
    if (c == L'/') c = L'\\';
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

class Win32FileSystem : public FileSystem {
 public:
  void Find(const std::string& pattern, const std::function<bool(const FindData&)>& each) override {
    // A whole folder is listed in blocks; other patterns, and folders that cannot be listed so, are
    // searched.
    if (pattern.ends_with("\\*") &&
        win32::ListFolder(FileApiPath(pattern.substr(0, pattern.size() - 1)), each, kKnownAttributes))
      return;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW(FileApiPath(pattern).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return;
    FindData data;  // one record whose name storage is reused for every entry
    do {
      win32::NarrowInto(fd.cFileName, data.name);
      data.attributes = fd.dwFileAttributes & kKnownAttributes;
      if (!each(data)) break;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }

  bool Attributes(const std::string& path, uint32_t& attributes) override {
    // Wildcards name no single file (the W function would fail anyway; be explicit).
    if (path.find_first_of("*?") != std::string::npos) return false;
    DWORD a = GetFileAttributesW(FileApiPath(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    attributes = a & kKnownAttributes;
    return true;
  }

  bool Stamp(const std::string& path, FileStamp& stamp) override {
    // Opened for its attributes alone, sharing everything: a file another program holds is stamped too.
    HANDLE h = CreateFileW(FileApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic{};
    const bool known = GetFileInformationByHandle(h, &info);
    // The change time moves when the file is written, renamed over or has its attributes set; some
    // file systems do not keep it (it stays 0 then, and the identity still tells a replacement).
    if (known && !GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic))
      basic.ChangeTime.QuadPart = 0;
    CloseHandle(h);
    if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    stamp.size = static_cast<int64_t>((uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    stamp.writeTime = static_cast<int64_t>((uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                           info.ftLastWriteTime.dwLowDateTime);
    // The volume's serial number folded into the file's index: a file replaced by another has another.
    const uint64_t index = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    stamp.identity = index ^ (uint64_t{info.dwVolumeSerialNumber} * 0x9E3779B97F4A7C15u);
    stamp.changeTime = basic.ChangeTime.QuadPart;
    return true;
  }

  std::string ExpandFileName(const std::string& path) override {
    if (path.empty()) return {};
    std::wstring wide = Widen(path);
    std::string full = GrowingText(
        [&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(wide.c_str(), size, buffer, nullptr); });
    return full.empty() ? path : full;
  }

  std::string CurrentDirectory() override {
    return GrowingText([](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
  }

  std::unique_ptr<FileHandle> Open(const std::string& path, FileMode mode) override {
    DWORD access = GENERIC_READ, share = FILE_SHARE_READ | FILE_SHARE_WRITE, disposition = OPEN_EXISTING;
    if (mode == FileMode::OpenReadWrite) {
      access |= GENERIC_WRITE;
      share = FILE_SHARE_READ;
    } else if (mode == FileMode::Create) {
      access |= GENERIC_WRITE;
      share = FILE_SHARE_READ;
      disposition = CREATE_ALWAYS;
    }
    HANDLE h = CreateFileW(FileApiPath(path).c_str(), access, share, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      std::string reason = win32::SystemErrorMessage(GetLastError());
      if (mode == FileMode::Create) throw FileCreateError("Cannot create file \"" + path + "\". " + reason);
      throw FileOpenError("Cannot open file \"" + path + "\". " + reason);
    }
    return std::make_unique<Win32File>(h);
  }

  bool ReplaceFile(const std::string& source, const std::string& target) override {
    return MoveFileExW(FileApiPath(source).c_str(), FileApiPath(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }

  bool DeleteFile(const std::string& path) override { return ::DeleteFileW(FileApiPath(path).c_str()) != 0; }

  std::string WindowsDirectory() override {
    return GrowingText([](wchar_t* buffer, DWORD size) { return GetWindowsDirectoryW(buffer, size); });
  }

  std::string LocalAppDataDirectory() override {
    // The shell's library is loaded by the first wallpaper that needs this folder, not at start.
    static const auto folderPath =
        win32::SystemFunction<decltype(&SHGetFolderPathW)>(L"shell32.dll", "SHGetFolderPathW");
    wchar_t buffer[MAX_PATH];
    if (!folderPath ||
        FAILED(folderPath(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, buffer)))
      return {};
    return Narrow(buffer);
  }

  bool CreateFolder(const std::string& path) override {
    const std::wstring wide = FileApiPath(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    const DWORD a = GetFileAttributesW(wide.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::string SystemDirectory() override {
    return GrowingText([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); });
  }

  std::string ProgramFileName() override {
    // GetModuleFileNameW returns the buffer size (cut text) when the buffer is too small.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (n == 0) return {};
      if (n < buffer.size()) {
        buffer.resize(n);
        return Narrow(buffer);
      }
      if (buffer.size() >= 32768) return {};
      buffer.resize(buffer.size() * 2);
    }
  }
};

}  // namespace

FileSystem& DefaultFileSystem() {
  static Win32FileSystem files;
  return files;
}

}  // namespace zeb
