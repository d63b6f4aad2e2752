// A folder of a test's own under the system's temporary folder: the files written through it, and the
// folder itself, are removed when it goes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/services/file_stream.h"
#include "platform/win32/utf16.h"

namespace zeb::test {

class TempFolder {
 public:
  TempFolder() = default;
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    for (const std::string& f : written_) DeleteFileW(win32::Widen(f).c_str());
    if (!folder_.empty()) RemoveDirectoryW(win32::Widen(folder_).c_str());
  }

  // Makes the folder Name (it may be there already); call under ASSERT_NO_FATAL_FAILURE.
  void Make(const std::string& name) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = win32::Narrow(temp) + name + "\\";
    CreateDirectoryW(win32::Widen(folder_).c_str(), nullptr);
  }

  // The full path of Name in the folder.
  std::string Path(const std::string& name) const { return folder_ + name; }

  // Writes Bytes as the file Name in the folder; its full path.
  std::string File(const std::string& name, const std::string& bytes) {
    std::string path = Path(name);
    FileStream f(path, FileMode::Create);
    f.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    written_.push_back(path);
    return path;
  }

 private:
  std::string folder_;
  std::vector<std::string> written_;
};

}  // namespace zeb::test
