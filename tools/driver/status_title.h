// Reads the viewer's title-bar status line: "[FL] (3/120) photo.jpg 1600x1200 50%".
#pragma once

#include <optional>
#include <string>

namespace zeb::e2e {

struct StatusTitle {
  char open = 0;      // "[" stopped, "<" slide show running, "{" running and held while decoding
  std::string modes;  // the mode letters between the marks
  char close = 0;     // "]", ">" or "}"
  int position = 0;   // 1-based position in the list
  int count = 0;
  std::string name;  // file name, or the full path when the list spans folders
  int width = 0, height = 0;
  int zoom = 0;  // percent
};

// Nothing when TITLE is not a status line (for example "<empty>" or a path shown while scanning).
std::optional<StatusTitle> ParseStatusTitle(const std::string& title);
inline bool ShowsPicture(const std::string& title) { return ParseStatusTitle(title).has_value(); }

}  // namespace zeb::e2e
