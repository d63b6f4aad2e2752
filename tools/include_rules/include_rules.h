// The layering rules every #include in the repository keeps:
//   - app/, spi/ and the portable platform/ never reach platform/win32/, platform/headless/ or
//     <windows.h>: they stand on the platform's interfaces;
//   - spi/ never reaches app/; photo/ (portable C the plug-ins build too) reaches no other folder and
//     no <windows.h>;
//   - platform/ never reaches app/ or spi/;
//   - no product file (anything outside tests/) reaches tests/.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zeb::rules {

struct IncludeDirective {
  std::string path;  // as written between the quotes or angle brackets
  bool angled = false;
  int line = 0;
};

// The #include directives of a source text (comments and string literals are not mistaken for them).
std::vector<IncludeDirective> ParseIncludes(const std::string& text);

// The rule an include breaks, or an empty string when it is allowed. File and Included are paths from
// the repository's root with forward slashes; Included is the path an #include "..." names (every
// project include is written from the root).
std::string BrokenRule(const std::string& file, const std::string& included, bool angled);

struct Violation {
  std::string file;
  int line = 0;
  std::string included;
  bool angled = false;
  std::string rule;
};

// Checks every .c, .cpp and .h file under Root's source folders (build output and hidden folders are
// skipped); the violations come sorted by file and line.
std::vector<Violation> CheckTree(const std::filesystem::path& root);

}  // namespace zeb::rules
