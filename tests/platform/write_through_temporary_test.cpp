// Writing a file through a temporary one beside it.
#include "platform/services/write_through_temporary.h"

#include <gtest/gtest.h>

#include "platform/core/errors.h"
#include "platform/headless/headless.h"

namespace zeb {
namespace {

class WriteThroughTemporaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ResetAll();
    fs().AddFile("C:\\out\\f.dat", "old");
  }
  static headless::MemoryFileSystem& fs() { return headless::DefaultFiles(); }
  static void Write(const std::string& fileName, const std::string& bytes) {
    WriteFileThroughTemporary(
        fileName, [&](Stream& file) { file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size())); });
  }
};

TEST_F(WriteThroughTemporaryTest, ReplacesTheFileAndLeavesNoTemporary) {
  fs().AddFile("C:\\out\\f.dat.~zeb", "the user's");
  Write("C:\\out\\f.dat", "new");
  EXPECT_EQ(fs().Contents("C:\\out\\f.dat"), "new");
  EXPECT_EQ(fs().Contents("C:\\out\\f.dat.~zeb"), "the user's");
  EXPECT_FALSE(fs().FileExists("C:\\out\\f.dat.~zeb1"));
}

// Every failure leaves the file as it was and no temporary; the message names the file itself.
TEST_F(WriteThroughTemporaryTest, AFailureLeavesTheFileAsItWas) {
  const std::string cannotCreate = "Cannot create file \"C:\\out\\f.dat\".";
  // The folder takes no new file.
  fs().SetLocked("C:\\out", true);
  try {
    Write("C:\\out\\f.dat", "new");
    ADD_FAILURE() << "no error";
  } catch (const FileCreateError& e) {
    EXPECT_EQ(std::string(e.what()), cannotCreate);
  }
  fs().SetLocked("C:\\out", false);
  // The file cannot be replaced.
  fs().AddFile("C:\\out\\f.dat", "old", kAttrReadOnly);
  try {
    Write("C:\\out\\f.dat", "new");
    ADD_FAILURE() << "no error";
  } catch (const FileCreateError& e) {
    EXPECT_EQ(std::string(e.what()), cannotCreate);
  }
  EXPECT_EQ(fs().Contents("C:\\out\\f.dat"), "old");
  // The writer fails part-way: its own error passes.
  fs().AddFile("C:\\out\\f.dat", "old");
  EXPECT_THROW(WriteFileThroughTemporary("C:\\out\\f.dat",
                                         [](Stream& file) {
                                           file.WriteBuffer("par", 3);
                                           throw WriteError("Stream write error");
                                         }),
               WriteError);
  EXPECT_EQ(fs().Contents("C:\\out\\f.dat"), "old");
  EXPECT_FALSE(fs().FileExists("C:\\out\\f.dat.~zeb"));
}

}  // namespace
}  // namespace zeb
