// A fresh folder under the system's temporary folder, filled by a test with pictures, broken files,
// list files and subfolders, and removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zeb::e2e {

class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  // Full Windows path of the folder, without a closing backslash.
  const std::string& root() const { return root_; }
  // Full path of RELATIVE ("sub/a.bmp" or "sub\\a.bmp") inside the folder.
  std::string Path(const std::string& relative) const;

  void MakeFolder(const std::string& relative);
  // Writes the file, making the folders on its way.
  void WriteFile(const std::string& relative, const std::string& bytes);
  // A 24-bit BMP whose pixels make a gradient with a diagonal stripe, so that pictures differ.
  void WriteBmp(const std::string& relative, int width, int height, uint16_t bit_count = 24);
  // Orientation: stored as that Exif orientation says (Width x Height upright).
  void WriteJpeg(const std::string& relative, int width, int height, int orientation = 0);
  // A list file: one line per entry, each ended by CR LF, in the system's ANSI code page.
  void WriteList(const std::string& relative, const std::string& lines_utf8);
  bool Exists(const std::string& relative) const;
  // Copies the zeb.exe under test and its plug-in host into the folder "app" here, with the plug-in files
  // given (full paths) beside them, where the viewer finds them (named as for zeb.exe, "x.spi": see
  // BuildPluginName); returns the copy's path.
  std::string InstallViewer(const std::vector<std::string>& pluginFiles);
  // The whole file, or nothing when it cannot be read.
  std::string Read(const std::string& relative) const;

 private:
  std::string root_;
};

// The whole file at a full path, or nothing when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);

}  // namespace zeb::e2e
