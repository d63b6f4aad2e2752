// The main window's plug-in manager at start-up: import filters in the program's folder are kept and
// their extensions count as pictures; a broken plug-in file is reported once and the rest still load.
#include <algorithm>

#include "spi/spi_bitmap.h"
#include "tests/app/app_fixture.h"
#include "tests/support/fake_plugins.h"

namespace zeb::app::testing_support {
namespace {

class PluginStartupTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    test::ResetFakePlugins();
    spi::InitializeSPIBitmap();
  }
  void TearDown() override {
    AppTest::TearDown();
    spi::FinalizeSPIBitmap();
  }
  bool HasExtension(MainWindow& f, const std::string& ext) {
    return std::find(f.Builder().Extensions().All().begin(), f.Builder().Extensions().All().end(), ext) !=
           f.Builder().Extensions().All().end();
  }
};

TEST_F(PluginStartupTest, ABrokenPluginIsReportedOnceAndTheOthersStillLoad) {
  // The program lives in C:\zeb\, so that is where the manager looks besides the Susie folder.
  test::InstallFakePlugin("C:\\zeb\\a_bad.spi", {.filters = {{"*.bad", "Bad"}}, .missing = {"GetPicture"}});
  test::InstallFakePlugin("C:\\zeb\\b_good.spi", {.filters = {{"*.ppm", "PPM"}}});
  test::InstallFakePlugin("C:\\zeb\\c_archive.spi", {.apiVersion = "00AM",
                                                     .filters = {{"*.lzh", "LZH"}},
                                                     .extra = {"GetArchiveInfo", "GetFileInfo", "GetFile"}});

  MainWindow& f = Make();

  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("GetPicture"), std::string::npos) << Messages()[0];
  EXPECT_NE(Messages()[0].find("a_bad.spi"), std::string::npos) << Messages()[0];
  // The good import filter is kept and its extension counts as a picture; the archive is not kept.
  ASSERT_EQ(f.plugins->Count(), 1);
  EXPECT_TRUE(HasExtension(f, ".PPM"));
  EXPECT_FALSE(HasExtension(f, ".LZH"));
  EXPECT_FALSE(HasExtension(f, ".BAD"));
  // Searches made after start-up report the bad file to their caller.
  EXPECT_THROW(f.plugins->Search("C:\\zeb\\*.spi"), spi::PluginExportMissing);
}

}  // namespace
}  // namespace zeb::app::testing_support
