#include "tools/driver/status_title.h"

#include <regex>

namespace zeb::e2e {

std::optional<StatusTitle> ParseStatusTitle(const std::string& title) {
  static const std::regex pattern(R"(^([\[{<])([A-Za-z]*)([\]}>]) \((\d+)/(\d+)\) (.+) (\d+)x(\d+) (\d+)%$)");
  std::smatch m;
  if (!std::regex_match(title, m, pattern)) return std::nullopt;
  StatusTitle s;
  s.open = m[1].str()[0];
  s.modes = m[2];
  s.close = m[3].str()[0];
  s.position = std::stoi(m[4]);
  s.count = std::stoi(m[5]);
  s.name = m[6];
  s.width = std::stoi(m[7]);
  s.height = std::stoi(m[8]);
  s.zoom = std::stoi(m[9]);
  return s;
}

}  // namespace zeb::e2e
