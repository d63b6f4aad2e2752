// Reading and writing list files.
#include <gtest/gtest.h>

#include "app/list_file.h"
#include "platform/core/errors.h"
#include "platform/headless/headless.h"

namespace zeb::app {
namespace {

using Strings = std::vector<std::string>;

class ListFileTest : public ::testing::Test {
 protected:
  void SetUp() override { headless::ResetAll(); }
  static Strings Read(const std::string& bytes) {
    headless::DefaultFiles().AddFile("C:\\l.zeb", bytes);
    return ReadListFile("C:\\l.zeb");
  }
};

TEST_F(ListFileTest, LineRules) {
  EXPECT_EQ(Read("a\r\nb\r\n"), (Strings{"a", "b"}));
  EXPECT_EQ(Read("a\nb\rc\r\nd"), (Strings{"a", "b", "c", "d"}));
  EXPECT_EQ(Read("a\n\nb\n"), (Strings{"a", "", "b"}));
  EXPECT_EQ(Read("a\r\rb"), (Strings{"a", "", "b"}));
  EXPECT_EQ(Read(std::string("a\r\nb\0c\r\nd", 10)), (Strings{"a", "b"}));
  EXPECT_EQ(Read(""), Strings{});
  EXPECT_EQ(Read("\r\n"), Strings{""});
  EXPECT_EQ(Read("\n\r"), (Strings{"", ""}));
}

TEST_F(ListFileTest, AByteOrderMarkMeansUtf8) {
  EXPECT_EQ(Read("\xEF\xBB\xBF"
                 "C:\\写真\\a.jpg\r\n"),
            Strings{"C:\\写真\\a.jpg"});
}

TEST_F(ListFileTest, AFileThatCannotBeOpenedRaises) {
  EXPECT_THROW(ReadListFile("C:\\missing.zeb"), FileOpenError);
}

TEST_F(ListFileTest, WriterEndsEveryLineWithCrLf) {
  EXPECT_EQ(ListFileText({"C:\\a.jpg", "b.jpg"}), "C:\\a.jpg\r\nb.jpg\r\n");
  EXPECT_EQ(ListFileText({}), "");
  headless::DefaultFiles().AddFolder("C:\\out");
  WriteListFile("C:\\out\\l.zeb", {"C:\\a.jpg", ""});
  EXPECT_EQ(headless::DefaultFiles().Contents("C:\\out\\l.zeb"), "C:\\a.jpg\r\n\r\n");
  EXPECT_FALSE(headless::DefaultFiles().FileExists("C:\\out\\l.zeb.~zeb"));
  EXPECT_EQ(ReadListFile("C:\\out\\l.zeb"), (Strings{"C:\\a.jpg", ""}));
}

TEST_F(ListFileTest, AFailedWriteLeavesTheOldFile) {
  auto& fs = headless::DefaultFiles();
  fs.AddFile("C:\\l.zeb", "old\r\n", kAttrReadOnly);
  EXPECT_THROW(WriteListFile("C:\\l.zeb", {"new"}), FileCreateError);
  EXPECT_EQ(fs.Contents("C:\\l.zeb"), "old\r\n");
  EXPECT_FALSE(fs.FileExists("C:\\l.zeb.~zeb"));
  // No temporary file can be made in a folder that refuses new files: the target stays as it was.
  fs.AddFile("C:\\locked\\m.zeb", "old\r\n");
  fs.SetLocked("C:\\locked", true);
  EXPECT_THROW(WriteListFile("C:\\locked\\m.zeb", {"new"}), FileCreateError);
  EXPECT_EQ(fs.Contents("C:\\locked\\m.zeb"), "old\r\n");
}

TEST_F(ListFileTest, AUsersFileWithTheTemporaryNameIsLeftAlone) {
  auto& fs = headless::DefaultFiles();
  fs.AddFile("C:\\n.zeb.~zeb", "mine");
  WriteListFile("C:\\n.zeb", {"new"});
  EXPECT_EQ(fs.Contents("C:\\n.zeb"), "new\r\n");
  EXPECT_EQ(fs.Contents("C:\\n.zeb.~zeb"), "mine");
  EXPECT_FALSE(fs.FileExists("C:\\n.zeb.~zeb1"));
}

}  // namespace
}  // namespace zeb::app
