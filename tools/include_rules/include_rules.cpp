#include "tools/include_rules/include_rules.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace zeb::rules {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

enum class Layer { kApp, kSpi, kPhoto, kPortablePlatform, kPlatformImplementation, kTests, kOther };

Layer LayerOf(const std::string& path) {
  if (StartsWith(path, "app/")) return Layer::kApp;
  if (StartsWith(path, "spi/")) return Layer::kSpi;
  if (StartsWith(path, "photo/")) return Layer::kPhoto;
  if (StartsWith(path, "platform/win32/") || StartsWith(path, "platform/headless/"))
    return Layer::kPlatformImplementation;
  if (StartsWith(path, "platform/")) return Layer::kPortablePlatform;
  if (StartsWith(path, "tests/")) return Layer::kTests;
  return Layer::kOther;
}

// Blanks out comments, string and character literals, keeping line breaks, so that only real
// directives remain. The path of an #include "..." is a string literal: it is kept.
std::string WithoutComments(const std::string& text) {
  std::string out = text;
  size_t i = 0;
  const size_t n = text.size();
  bool inInclude = false;  // after #include on this line
  size_t lineStart = 0;
  while (i < n) {
    char c = text[i];
    if (c == '\n') {
      inInclude = false;
      lineStart = i + 1;
      ++i;
    } else if (c == '/' && i + 1 < n && text[i + 1] == '/') {
      while (i < n && text[i] != '\n') out[i++] = ' ';
    } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
      out[i++] = ' ';
      out[i++] = ' ';
      while (i < n && !(text[i] == '*' && i + 1 < n && text[i + 1] == '/')) {
        if (text[i] != '\n') out[i] = ' ';
        ++i;
      }
      if (i < n) out[i++] = ' ';
      if (i < n) out[i++] = ' ';
    } else if (c == '"' || c == '\'') {
      std::string head = text.substr(lineStart, i - lineStart);
      head.erase(std::remove_if(head.begin(), head.end(), [](char h) { return h == ' ' || h == '\t'; }),
                 head.end());
      inInclude = head == "#include";
      // A raw string literal R"delim( ... )delim" may hold anything, line breaks included.
      if (c == '"' && i > 0 && text[i - 1] == 'R') {
        size_t open = text.find('(', i);
        std::string close = ")" + text.substr(i + 1, open == std::string::npos ? 0 : open - i - 1) + "\"";
        size_t end = open == std::string::npos ? n : text.find(close, open);
        end = end == std::string::npos ? n : end + close.size();
        for (size_t k = i; k < end; ++k)
          if (text[k] != '\n') out[k] = ' ';
        i = end;
        continue;
      }
      size_t k = i + 1;
      while (k < n && text[k] != c && text[k] != '\n') k += text[k] == '\\' ? 2 : 1;
      if (!inInclude)
        for (size_t m = i + 1; m < k && m < n; ++m) out[m] = ' ';
      i = k < n && text[k] == c ? k + 1 : k;
    } else {
      ++i;
    }
  }
  return out;
}

}  // namespace

std::vector<IncludeDirective> ParseIncludes(const std::string& text) {
  std::vector<IncludeDirective> result;
  std::istringstream lines(WithoutComments(text));
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    size_t p = line.find_first_not_of(" \t");
    if (p == std::string::npos || line[p] != '#') continue;
    p = line.find_first_not_of(" \t", p + 1);
    if (p == std::string::npos || line.compare(p, 7, "include") != 0) continue;
    p = line.find_first_not_of(" \t", p + 7);
    if (p == std::string::npos || (line[p] != '"' && line[p] != '<')) continue;
    const char close = line[p] == '"' ? '"' : '>';
    size_t end = line.find(close, p + 1);
    if (end == std::string::npos) continue;
    result.push_back({line.substr(p + 1, end - p - 1), close == '>', number});
  }
  return result;
}

std::string BrokenRule(const std::string& file, const std::string& included, bool angled) {
  const Layer from = LayerOf(file);
  if (angled) {
    if (Lower(included) != "windows.h") return "";
    if (from == Layer::kApp || from == Layer::kSpi || from == Layer::kPhoto ||
        from == Layer::kPortablePlatform)
      return "app/, spi/, photo/ and the portable platform do not include <windows.h>";
    return "";
  }
  const Layer to = LayerOf(included);
  const bool toImplementation = to == Layer::kPlatformImplementation;
  if (toImplementation && (from == Layer::kApp || from == Layer::kSpi || from == Layer::kPortablePlatform))
    return "app/, spi/ and the portable platform do not reach platform/win32/ or platform/headless/";
  if (from == Layer::kSpi && to == Layer::kApp) return "spi/ does not reach app/";
  if (from == Layer::kPhoto && to != Layer::kPhoto && to != Layer::kOther)
    return "photo/ stands alone: the plug-ins build it too";
  if ((from == Layer::kPortablePlatform || from == Layer::kPlatformImplementation) &&
      (to == Layer::kApp || to == Layer::kSpi))
    return "platform/ does not reach app/ or spi/";
  if (from == Layer::kPhoto && to != Layer::kPhoto) return "photo/ reaches only photo/";
  if (from != Layer::kTests && to == Layer::kTests) return "product files do not reach tests/";
  return "";
}

std::vector<Violation> CheckTree(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::vector<Violation> result;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path& path = it->path();
    const std::string name = path.filename().string();
    if (it->is_directory()) {
      if (name.front() == '.' || name == "build") it.disable_recursion_pending();
      continue;
    }
    const std::string extension = path.extension().string();
    if (extension != ".c" && extension != ".cpp" && extension != ".h") continue;
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string file = fs::relative(path, root).generic_string();
    for (const IncludeDirective& include : ParseIncludes(text.str())) {
      std::string included = include.path;
      // A quoted name found beside the including file is read from there.
      if (!include.angled && fs::exists(path.parent_path() / included))
        included = fs::relative(path.parent_path() / included, root).lexically_normal().generic_string();
      std::string rule = BrokenRule(file, included, include.angled);
      if (!rule.empty()) result.push_back({file, include.line, include.path, include.angled, rule});
    }
  }
  std::sort(result.begin(), result.end(), [](const Violation& a, const Violation& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
  return result;
}

}  // namespace zeb::rules
