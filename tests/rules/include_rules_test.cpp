#include "tools/include_rules/include_rules.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <set>

namespace zeb::rules {
namespace {

namespace fs = std::filesystem;

// A repository in a temporary folder: each case is one file holding one #include.
class IncludeRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("zeb_include_rules_" + std::to_string(std::random_device{}()));
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const std::string& file, const std::string& text) {
    fs::create_directories((root_ / file).parent_path());
    std::ofstream(root_ / file, std::ios::binary) << text;
  }

  fs::path root_;
};

struct Case {
  const char* file;
  const char* include;  // the directive's argument, quotes or brackets included
  bool broken;
};

const Case kCases[] = {
    // What the layers may include.
    {"app/a.cpp", "\"app/form.h\"", false},
    {"app/b.cpp", "\"spi/spi_manager.h\"", false},
    {"app/c.cpp", "\"platform/ui/forms.h\"", false},
    {"spi/a.cpp", "\"platform/services/library.h\"", false},
    {"platform/core/a.cpp", "\"platform/services/file_system.h\"", false},
    {"platform/win32/a.cpp", "<windows.h>", false},
    {"platform/win32/b.cpp", "\"platform/win32/utf16.h\"", false},
    {"platform/headless/a.cpp", "\"platform/headless/headless.h\"", false},
    {"tests/app/a.cpp", "\"platform/headless/headless.h\"", false},
    {"tests/win32/a.cpp", "<windows.h>", false},
    {"tests/e2e/a.cpp", "\"tests/support/bmp_maker.h\"", false},
    {"tools/a.cpp", "<windows.h>", false},
    {"app/d.cpp", "<vector>", false},
    {"platform/graphics/c.cpp", "\"photo/colour_profile.h\"", false},
    // What they may not.
    {"app/e.cpp", "\"platform/win32/utf16.h\"", true},
    {"app/f.cpp", "\"platform/headless/headless.h\"", true},
    {"app/g.cpp", "<windows.h>", true},
    {"app/h.cpp", "<Windows.h>", true},
    {"spi/b.cpp", "\"platform/win32/windows_api.h\"", true},
    {"spi/c.cpp", "<windows.h>", true},
    {"spi/d.cpp", "\"app/form.h\"", true},
    {"photo/a.c", "<windows.h>", true},
    {"photo/b.c", "\"platform/core/errors.h\"", true},
    {"platform/graphics/a.cpp", "\"platform/headless/headless.h\"", true},
    {"platform/ui/a.h", "<windows.h>", true},
    {"platform/core/b.cpp", "\"app/program.h\"", true},
    {"platform/services/a.cpp", "\"spi/susie.h\"", true},
    {"platform/win32/c.cpp", "\"app/program.h\"", true},
    {"platform/headless/b.cpp", "\"spi/susie.h\"", true},
    {"app/i.cpp", "\"tests/support/fake_graphic.h\"", true},
    {"platform/graphics/b.cpp", "\"tests/support/bmp_maker.h\"", true},
    {"tools/b.cpp", "\"tests/e2e/common/e2e_environment.h\"", true},
    {"photo/b.c", "<windows.h>", true},
    {"photo/c.c", "\"platform/core/errors.h\"", true},
};

TEST_F(IncludeRulesTest, ReportsEachForbiddenIncludeAndNoAllowedOne) {
  std::set<std::string> expected;
  for (const Case& c : kCases) {
    Write(c.file, "// the file\n\n#include " + std::string(c.include) + "\n");
    if (c.broken) expected.insert(c.file);
  }
  std::set<std::string> reported;
  for (const Violation& v : CheckTree(root_)) {
    EXPECT_EQ(v.line, 3) << v.file;
    EXPECT_FALSE(v.rule.empty()) << v.file;
    reported.insert(v.file);
  }
  EXPECT_EQ(reported, expected);
}

TEST_F(IncludeRulesTest, AQuotedNameIsReadBesideTheIncludingFileFirst) {
  Write("platform/win32/helper.h", "");
  Write("platform/win32/a.cpp", "#include \"helper.h\"\n");
  Write("app/helper.h", "");
  Write("spi/a.cpp", "#include \"../app/helper.h\"\n");
  const auto violations = CheckTree(root_);
  ASSERT_EQ(violations.size(), 1u);
  EXPECT_EQ(violations[0].file, "spi/a.cpp");
}

TEST_F(IncludeRulesTest, CommentsAndStringsAreNoDirectivesAndBuildOutputIsSkipped) {
  Write("app/a.cpp",
        "// #include <windows.h>\n"
        "/* #include \"platform/win32/utf16.h\"\n#include <windows.h> */\n"
        "const char* s = \"#include <windows.h>\";\n"
        "  #  include \"platform/headless/headless.h\" // a real one\n");
  Write("build/app/b.cpp", "#include <windows.h>\n");
  Write(".git/app/c.cpp", "#include <windows.h>\n");
  const auto violations = CheckTree(root_);
  ASSERT_EQ(violations.size(), 1u);
  EXPECT_EQ(violations[0].file, "app/a.cpp");
  EXPECT_EQ(violations[0].line, 5);
  EXPECT_EQ(violations[0].included, "platform/headless/headless.h");
}

}  // namespace
}  // namespace zeb::rules
