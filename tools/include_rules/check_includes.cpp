// zeb_check_includes ROOT: reports every #include under ROOT that breaks the layering rules, as
// "file:line: #include ...: rule", and exits with 1 when there is any.
#include <cstdio>

#include "tools/include_rules/include_rules.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s REPOSITORY_ROOT\n", argv[0]);
    return 2;
  }
  try {
    const auto violations = zeb::rules::CheckTree(argv[1]);
    for (const auto& v : violations)
      std::printf("%s:%d: #include %c%s%c: %s\n", v.file.c_str(), v.line, v.angled ? '<' : '"',
                  v.included.c_str(), v.angled ? '>' : '"', v.rule.c_str());
    if (!violations.empty()) return 1;
    std::printf("every #include keeps the layering rules\n");
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 2;
  }
}
