// A plug-in call that crashes (headless::SimulateCrash stands in for a hardware exception) is a failed
// attempt: the next module is tried, nothing it handed out is touched, the module counts the crash, its
// first crash waits as one report, and after three crashes it is no longer asked. Floating-point
// settings a plug-in changes do not outlive its call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>

#include "platform/core/streams.h"
#include "platform/headless/headless.h"
#include "platform/services/call_guard.h"
#include "spi/spi_graphic.h"
#include "spi/spi_manager.h"
#include "spi/spi_source.h"
#include "tests/spi/plugin_memory_fixture.h"
#include "tests/support/fake_plugins.h"
#include "tests/support/fake_plugins_pictures.h"

namespace zeb::spi {
namespace {

constexpr const char* kPicture = "C:\\pics\\x.dat";

class CrashGuardTest : public testing_support::PluginMemoryTest {
 protected:
  void SetUp() override {
    PluginMemoryTest::SetUp();
    spis->MacBinary = false;
  }
  void TearDown() override {
    // What crashed calls handed out stays theirs; it is released here only so the fixture's count holds.
    for (LocalHandle h : leaked) LocalFreeHandle(h);
    PluginMemoryTest::TearDown();
  }

  // A module that takes every file and returns a Width x 1 picture; the export CrashIn crashes instead,
  // after handing out real blocks where it has out parameters.
  test::FakePlugin& Module(const std::string& path, const std::string& crashIn, int32_t width = 2) {
    test::FakePluginRecipe recipe;
    recipe.isSupported = [crashIn](const std::string&, const uint8_t*) {
      if (crashIn == "IsSupported") headless::SimulateCrash();
      return 1;
    };
    recipe.getPictureInfo = [this, crashIn](const char*, intptr_t, unsigned, PictureInfo* info) {
      *info = PictureInfo{};
      if (crashIn == "GetPictureInfo") {
        LocalHandle text = LocalAllocate(8);
        info->hInfo = text;
        leaked.push_back(text);
        headless::SimulateCrash(kIntegerDivideByZero);
      }
      return 0;
    };
    auto picture = [this, crashIn, width](const std::string& name) -> test::FakePictureFn {
      test::FakePictureFn good = test::Returning(test::MakeDib(width, 1, 24));
      return [=, this](const char* b, intptr_t l, unsigned f, LocalHandle* hInfo, LocalHandle* hBits,
                       ProgressCallback p, intptr_t d) {
        int result = good(b, l, f, hInfo, hBits, p, d);
        if (crashIn != name) return result;
        leaked.push_back(*hInfo);
        leaked.push_back(*hBits);
        headless::SimulateCrash(kIllegalInstruction);
      };
    };
    recipe.getPicture = picture("GetPicture");
    test::FakePlugin& plugin = test::InstallFakePlugin(path, recipe);
    spis->Add(CreatePluginModule(path));
    return plugin;
  }

  // The width of the picture read from a named stream, or -1 when no module read it.
  int32_t Decode(const std::string& name = kPicture) {
    MemoryStream data;
    data.WriteBuffer("data", 4);
    PluginImage g;
    try {
      g.LoadFromStreamWithName(data, name);
    } catch (const InvalidPicture&) {
      return -1;
    }
    return g.GetWidth();
  }

  std::vector<LocalHandle> leaked;
};

TEST_F(CrashGuardTest, ACrashInAnyExportIsAFailedAttemptAndTheNextModuleReads) {
  for (const char* crashIn : {"IsSupported", "GetPictureInfo", "GetPicture"}) {
    SCOPED_TRACE(crashIn);
    spis->Clear();
    test::ResetFakePlugins();
    Module("C:\\plugins\\a.spi", crashIn, 7);
    Module("C:\\plugins\\b.spi", "", 3);
    const size_t leakedBefore = leaked.size();
    const int liveBefore = headless::LiveLocalBlocks();
    const int faultsBefore = headless::LocalMemoryFaults();

    EXPECT_EQ(Decode(), 3);
    EXPECT_EQ(spis->Items(0)->CrashCount(), 1);
    EXPECT_EQ(spis->Items(1)->CrashCount(), 0);
    // The crashed module's blocks are neither freed nor read: exactly they are still alive.
    EXPECT_EQ(headless::LiveLocalBlocks() - liveBefore, static_cast<int>(leaked.size() - leakedBefore));
    EXPECT_EQ(headless::LocalMemoryFaults(), faultsBefore);
    std::vector<PluginCrashReport> reports = spis->TakeCrashReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].pluginFile, "C:\\plugins\\a.spi");
    EXPECT_EQ(reports[0].pictureFile, kPicture);
  }
}

TEST_F(CrashGuardTest, APictureOnlyACrashingModuleWouldReadIsUnreadable) {
  test::FakePlugin& a = Module("C:\\plugins\\a.spi", "GetPicture");
  EXPECT_EQ(Decode(), -1);
  // Having crashed, the module is not asked again at the MacBinary offset of the same picture.
  spis->MacBinary = true;
  a.calls.clear();
  EXPECT_EQ(Decode(), -1);
  EXPECT_EQ(std::count_if(a.calls.begin(), a.calls.end(), [](auto& c) { return c.name == "IsSupported"; }),
            1);
}

TEST_F(CrashGuardTest, OneReportPerModuleAndAfterThreeCrashesTheModuleIsNoLongerAsked) {
  test::FakePlugin& a = Module("C:\\plugins\\a.spi", "IsSupported");
  Module("C:\\plugins\\b.spi", "GetPicture");
  Module("C:\\plugins\\c.spi", "", 5);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Decode("C:\\pics\\" + std::to_string(i)), 5);
  EXPECT_EQ(a.calls.size(), 3u);
  EXPECT_TRUE(spis->Items(0)->Retired());
  EXPECT_TRUE(spis->Items(1)->Retired());
  std::vector<PluginCrashReport> reports = spis->TakeCrashReports();
  ASSERT_EQ(reports.size(), 2u) << "one report for each module's first crash";
  EXPECT_EQ(reports[0].pictureFile, "C:\\pics\\0");
  EXPECT_EQ(reports[1].pluginFile, "C:\\plugins\\b.spi");
  EXPECT_EQ(reports[1].code, kIllegalInstruction);

  EXPECT_EQ(Decode(), 5);
  EXPECT_EQ(a.calls.size(), 3u) << "a retired module is not asked";
  EXPECT_TRUE(spis->TakeCrashReports().empty());
}

TEST_F(CrashGuardTest, ACrashWhileTheSearchAsksForTextsSkipsThatFileOnly) {
  test::InstallFakePlugin("C:\\zeb\\a.spi", {.pluginInfo = [](int infoNo, char*, int) -> int {
                            if (infoNo == 1) headless::SimulateCrash();
                            return 0;
                          }});
  test::InstallFakePlugin("C:\\zeb\\b.spi", {.filters = {{"*.b", "B"}}});
  std::vector<std::string> errors;
  spis->OnLoadError = [&](PluginManager*, const std::string& file, const std::exception& error) {
    EXPECT_NE(dynamic_cast<const PluginCrashed*>(&error), nullptr);
    errors.push_back(file + ": " + error.what());
  };
  spis->Search("C:\\zeb\\*.spi");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0],
            "C:\\zeb\\a.spi: The plug-in C:\\zeb\\a.spi crashed in GetPluginInfo (access violation).");
  ASSERT_EQ(spis->Count(), 1);
  EXPECT_EQ(spis->Items(0)->FileName(), "C:\\zeb\\b.spi");
  // The crashed library is not unloaded: its detach code might crash too.
  EXPECT_EQ(headless::LibraryLoadCount("C:\\zeb\\a.spi"), 1);
}

TEST_F(CrashGuardTest, FloatingPointSettingsAPluginChangesAreUndoneAfterEachCall) {
  for (bool crash : {false, true}) {
    SCOPED_TRACE(crash);
    test::FakePluginRecipe recipe;
    recipe.isSupported = [crash](const std::string&, const uint8_t*) {
      std::fesetround(FE_UPWARD);
      feenableexcept(FE_DIVBYZERO | FE_INVALID);
      if (crash) headless::SimulateCrash();
      return 0;
    };
    const std::string path = crash ? "C:\\plugins\\crash.spi" : "C:\\plugins\\fpu.spi";
    test::InstallFakePlugin(path, recipe);
    spis->Add(CreatePluginModule(path));
    EXPECT_EQ(Decode(), -1);
    spis->Clear();
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    EXPECT_EQ(fegetexcept(), 0);
    volatile double zero = 0.0;
    EXPECT_TRUE(std::isinf(1.0 / zero)) << "the viewer's own arithmetic must not trap";
  }
}

}  // namespace
}  // namespace zeb::spi
