#include "app/list_file.h"

#include <memory>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/services/ansi.h"
#include "platform/services/file_system.h"
#include "platform/services/write_through_temporary.h"

namespace zeb::app {

namespace {
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
}

std::vector<std::string> ReadListFile(const std::string& fileName) {
  std::string bytes;
  {
    FileStream file(fileName, FileMode::OpenRead);
    char buffer[65536];
    for (;;) {
      int64_t n = file.Read(buffer, sizeof buffer);
      if (n <= 0) break;
      bytes.append(buffer, static_cast<size_t>(n));
    }
  }
  bool utf8 = bytes.compare(0, 3, kUtf8Mark) == 0;
  std::vector<std::string> lines =
      SplitLines(utf8 ? std::string_view(bytes).substr(3) : std::string_view(bytes));
  if (!utf8)
    for (std::string& line : lines) line = FromAnsi(line);
  return lines;
}

std::string ListFileText(const std::vector<std::string>& entries) {
  std::string text;
  bool lossless = true;
  for (const std::string& entry : entries) {
    bool ok = true;
    text += ToAnsi(entry, &ok);
    text += "\r\n";
    if (!ok) {
      lossless = false;
      break;
    }
  }
  if (lossless) return text;
  text = kUtf8Mark;
  for (const std::string& entry : entries) text += entry + "\r\n";
  return text;
}

void WriteListFile(const std::string& fileName, const std::vector<std::string>& entries) {
  const std::string text = ListFileText(entries);
  WriteFileThroughTemporary(
      fileName, [&](Stream& file) { file.WriteBuffer(text.data(), static_cast<int64_t>(text.size())); });
}

}  // namespace zeb::app
