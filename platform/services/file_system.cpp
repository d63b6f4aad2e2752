#include "platform/services/file_system.h"

namespace zeb {

// Each backend supplies the process's own file system.
FileSystem& DefaultFileSystem();

static FileSystem* current = nullptr;

FileSystem& Files() { return current ? *current : DefaultFileSystem(); }

void SetFiles(FileSystem* fileSystem) { current = fileSystem; }

static char Up(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

static bool Match(const char* n, const char* m) {
  // Iterative wildcard match with backtracking on the last '*'.
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*n) {
    if (*m == '*') {
      star = m++;
      resume = n;
    } else if (*m == '?' || (*m && Up(*m) == Up(*n))) {
      ++m;
      ++n;
    } else if (star) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  // As on Windows, a "?" left when the name has ended matches nothing: "*.pi?" also finds "x.pi".
  while (*m == '*' || *m == '?') ++m;
  return *m == 0;
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  if (mask == "*.*" || mask == "*") return true;
  // "x.*" also matches "x" without a dot, as on Windows.
  if (mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos && Match(name.c_str(), mask.substr(0, mask.size() - 2).c_str()))
    return true;
  return Match(name.c_str(), mask.c_str());
}

}  // namespace zeb
