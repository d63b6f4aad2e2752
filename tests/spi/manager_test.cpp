// The plug-in manager: the one instance, its defaults, and the search over the plug-in folders.
#include <gtest/gtest.h>

#include "tests/spi/manager_fixture.h"

namespace zeb::spi::testing_support {

namespace {

using test::FakePluginRecipe;
using test::InstallFakePlugin;

TEST(WithBackslash, AddsABackslashOnlyWhenThePathHasNone) {
  EXPECT_EQ(WithBackslash(""), "");
  EXPECT_EQ(WithBackslash("C:\\plugins"), "C:\\plugins\\");
  EXPECT_EQ(WithBackslash("C:\\plugins\\"), "C:\\plugins\\");
  EXPECT_EQ(WithBackslash("C:"), "C:\\");
}

TEST_F(ManagerTest, ASecondManagerIsRefusedAndTheFirstStaysCurrent) {
  EXPECT_EQ(CurrentPluginManager(), nullptr);
  {
    PluginManager first;
    EXPECT_EQ(CurrentPluginManager(), &first);
    try {
      PluginManager second;
      FAIL() << "a second manager was made";
    } catch (const SecondPluginManager& e) {
      EXPECT_EQ(e.Message(), "TSPIs は複数生成できません");
    }
    EXPECT_EQ(CurrentPluginManager(), &first);
  }
  EXPECT_EQ(CurrentPluginManager(), nullptr);
  PluginManager again;
  EXPECT_EQ(CurrentPluginManager(), &again);
}

TEST_F(ManagerTest, ConstructionDefaults) {
  PluginManager spis;
  EXPECT_EQ(spis.SearchOptions, SearchOption(kSusieFolder) | SearchOption(kProgramFolder));
  EXPECT_EQ(spis.SearchOptions, 0x03);
  EXPECT_TRUE(spis.AutoSearch);
  EXPECT_TRUE(spis.MacBinary);
  EXPECT_EQ(spis.Count(), 0);
  EXPECT_FALSE(spis.OnSearch || spis.OnPictureRegister || spis.OnLoadError);
}

TEST_F(ManagerTest, LoadedSearchesThePluginFoldersWhenAutoSearchIsOn) {
  Import("C:\\zeb\\a.spi");
  Import("C:\\zeb\\notes.txt");
  {
    PluginManager spis;
    spis.Loaded();
    EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\zeb\\a.spi"}));
  }
  {
    PluginManager spis;
    spis.AutoSearch = false;
    spis.Loaded();
    EXPECT_EQ(spis.Count(), 0);
  }
  EXPECT_EQ(headless::TotalLibraryLoads(), 0);
}

TEST_F(ManagerTest, AMaskWithAFolderScansThatFolderOnly) {
  Import("C:\\zeb\\app.spi");
  Import("D:\\extra\\x.spi");
  Import("D:\\extra\\sub\\y.spi");
  PluginManager spis;
  spis.Search("D:\\extra\\*.spi");
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"D:\\extra\\x.spi"}));
  spis.Search("D:\\extra\\sub\\y.*");
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"D:\\extra\\x.spi", "D:\\extra\\sub\\y.spi"}));
}

TEST_F(ManagerTest, SearchScansTheChosenFoldersInOrder) {
  headless::Settings()[kSusieKey]["Path"] = {true, "E:\\susie"};
  headless::DefaultFiles().SetCurrentDirectory("F:\\work");
  for (std::string path : {"F:\\work\\c.spi", "C:\\zeb\\p.spi", "E:\\susie\\u.spi"}) Import(path);
  PluginManager spis;
  spis.Search("*.spi");
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"E:\\susie\\u.spi", "C:\\zeb\\p.spi"}));

  // Only the chosen folders.
  spis.Clear();
  spis.SearchOptions = SearchOption(kProgramFolder);
  spis.Search("*.spi");
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\zeb\\p.spi"}));
}

TEST_F(ManagerTest, AProgramFolderThePlatformCannotNameIsSkipped) {
  auto& files = headless::DefaultFiles();
  files.SetCurrentDirectory("F:\\work");
  files.SetProgramFileName("");
  Import("F:\\work\\c.spi");
  PluginManager spis;
  spis.SearchOptions = SearchOption(kProgramFolder);
  spis.Search("*.spi");
  // An empty folder would otherwise have listed the current one.
  EXPECT_EQ(spis.Count(), 0);
}

TEST_F(ManagerTest, TheSusieFolderComesFromItsSetting) {
  Import("E:\\susie\\u.spi");
  Import("C:\\zeb\\p.spi");
  auto run = [&]() {
    PluginManager spis;
    spis.Search("*.spi");
    return FileNames(spis);
  };
  const std::vector<std::string> programOnly = {"C:\\zeb\\p.spi"};
  const std::vector<std::string> both = {"E:\\susie\\u.spi", "C:\\zeb\\p.spi"};

  EXPECT_EQ(run(), programOnly) << "no key";
  headless::Settings()[kSusieKey];
  EXPECT_EQ(run(), programOnly) << "no Path value";
  headless::Settings()[kSusieKey]["Path"] = {true, ""};
  EXPECT_EQ(run(), programOnly) << "empty Path";
  headless::Settings()[kSusieKey]["Path"] = {false, "E:\\susie"};
  EXPECT_EQ(run(), programOnly) << "Path of another type";
  headless::Settings()[kSusieKey]["Path"] = {true, "E:\\susie"};
  EXPECT_EQ(run(), both);
  headless::Settings()[kSusieKey]["Path"] = {true, "E:\\susie\\"};
  EXPECT_EQ(run(), both) << "a Path ending in a backslash gets no second one";
  headless::Settings()["\\Software\\Other"]["Path"] = {true, "E:\\susie"};
  headless::Settings().erase(kSusieKey);
  EXPECT_EQ(run(), programOnly) << "only the Susie key counts";
}

TEST_F(ManagerTest, AFolderSpelledTwiceInDifferentCaseLoadsEachModuleOnce) {
  Import("C:\\zeb\\a.spi");
  Import("C:\\zeb\\b.spi");
  headless::Settings()[kSusieKey]["Path"] = {true, "c:\\ZEB"};
  PluginManager spis;
  spis.Search("*.spi");
  EXPECT_EQ(spis.Count(), 2);
  EXPECT_EQ(headless::LibraryLoadCount("C:\\zeb\\a.spi"), 1);
  EXPECT_EQ(headless::LibraryLoadCount("C:\\zeb\\b.spi"), 1);
}

TEST_F(ManagerTest, ScanFolderLeavesOutHiddenEntriesVolumeLabelsAndFolders) {
  auto& files = headless::DefaultFiles();
  Import("C:\\zeb\\plain.spi");
  InstallFakePlugin("C:\\zeb\\hidden.spi", {}, false);
  files.AddFile("C:\\zeb\\hidden.spi", "x", kAttrHidden);
  InstallFakePlugin("C:\\zeb\\label.spi", {}, false);
  files.AddFile("C:\\zeb\\label.spi", "x", 0x08);
  InstallFakePlugin("C:\\zeb\\readonly.spi", {}, false);
  files.AddFile("C:\\zeb\\readonly.spi", "x", kAttrReadOnly | kAttrSystem);
  files.AddFolder("C:\\zeb\\folder.spi");
  PluginManager spis;
  spis.Search("*.spi");
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\zeb\\plain.spi", "C:\\zeb\\readonly.spi"}));
}

TEST_F(ManagerTest, EveryEntryIsListedBeforeAnyIsLoaded) {
  Import("C:\\zeb\\a.spi");
  PluginManager spis;
  spis.OnSearch = [&](PluginManager*, PluginModule*, bool&) { Import("C:\\zeb\\late.spi"); };
  spis.Search("*.spi");
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\zeb\\a.spi"}));
}

TEST_F(ManagerTest, RefusedModulesAreReleased) {
  Import("C:\\zeb\\a.spi");
  Import("C:\\zeb\\b.spi");
  PluginManager spis;
  spis.OnSearch = [&](PluginManager* sender, PluginModule* module, bool& accept) {
    EXPECT_EQ(sender, &spis);
    EXPECT_TRUE(accept);
    EXPECT_EQ(headless::LibraryLoadCount(module->FileName()), 1);
    accept = false;
  };
  spis.Search("*.spi");
  EXPECT_EQ(spis.Count(), 0);
  EXPECT_EQ(headless::TotalLibraryLoads(), 0);
}

TEST_F(ManagerTest, FilesThatAreNoLibrariesAreSkippedSilently) {
  headless::DefaultFiles().AddFile("C:\\zeb\\text.spi", "just text");
  Import("C:\\zeb\\z.spi");
  PluginManager spis;
  bool reported = false;
  spis.OnLoadError = [&](PluginManager*, const std::string&, const std::exception&) { reported = true; };
  spis.Search("*.spi");
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\zeb\\z.spi"}));
  EXPECT_FALSE(reported);
}

TEST_F(ManagerTest, AnOnSearchErrorReleasesThatModuleAndTheScanGoesOn) {
  Import("C:\\zeb\\a.spi");
  Import("C:\\zeb\\b.spi");
  PluginManager spis;
  spis.OnSearch = [](PluginManager*, PluginModule* module, bool&) {
    if (module->PluginName() == "a.spi") throw Exception("refused loudly");
  };
  spis.Search("*.spi");
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\zeb\\b.spi"}));
  EXPECT_EQ(headless::LibraryLoadCount("C:\\zeb\\a.spi"), 0);
}

TEST_F(ManagerTest, ARegistrationErrorReleasesThatModuleAndTheScanGoesOn) {
  Import("C:\\zeb\\a.spi", {{"*.aaa;*.abb", "A"}});
  Import("C:\\zeb\\b.spi", {{"*.bbb", "B"}});
  PluginManager spis;
  spis.OnPictureRegister = [](PluginManager*, ImportModule*, const std::string& ext, const std::string&,
                              const ImageFormat*&) {
    if (ext == "abb") throw Exception("cannot register");
  };
  spis.Search("*.spi");
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\zeb\\b.spi"}));
  EXPECT_EQ(headless::LibraryLoadCount("C:\\zeb\\a.spi"), 0);
  // What was registered before the error stays.
  EXPECT_EQ(PictureFormats::Find("aaa"), &TestGraphic::kFormat);
  EXPECT_EQ(PictureFormats::Find("abb"), nullptr);
  EXPECT_EQ(PictureFormats::Find("bbb"), &TestGraphic::kFormat);
}

// A module that lacks an export its kind needs, in the Susie folder, ahead of good ones.
class BrokenPluginTest : public ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    headless::Settings()[kSusieKey]["Path"] = {true, "E:\\susie"};
    Import("E:\\susie\\first.spi");
    InstallFakePlugin("E:\\susie\\nopicture.spi", {.missing = {"GetPicture"}});
    Import("E:\\susie\\third.spi");
    Import("C:\\zeb\\app.spi");
  }
};

TEST_F(BrokenPluginTest, WithoutOnLoadErrorTheErrorLeavesSearchAndTheModulesBeforeStay) {
  PluginManager spis;
  try {
    spis.Search("*.spi");
    FAIL() << "the search went on";
  } catch (const PluginExportMissing& e) {
    EXPECT_EQ(e.Message(), "GetPictureは[E:\\susie\\nopicture.spi]では使えないSusie Plugin APIです");
  }
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"E:\\susie\\first.spi"}));
  EXPECT_EQ(headless::LibraryLoadCount("E:\\susie\\nopicture.spi"), 0);
  EXPECT_EQ(headless::LibraryLoadCount("E:\\susie\\third.spi"), 0);
}

TEST_F(BrokenPluginTest, OnLoadErrorGetsTheErrorAndTheSearchGoesOn) {
  PluginManager spis;
  std::vector<std::string> errors;
  spis.OnLoadError = [&](PluginManager* sender, const std::string& name, const std::exception& error) {
    EXPECT_EQ(sender, &spis);
    EXPECT_NE(dynamic_cast<const PluginExportMissing*>(&error), nullptr);
    errors.push_back(name + " | " + error.what());
  };
  spis.Search("*.spi");
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "E:\\susie\\nopicture.spi | "
                        "GetPictureは[E:\\susie\\nopicture.spi]では使えないSusie Plugin APIです"}));
  EXPECT_EQ(FileNames(spis),
            (std::vector<std::string>{"E:\\susie\\first.spi", "E:\\susie\\third.spi", "C:\\zeb\\app.spi"}));
  EXPECT_EQ(headless::LibraryLoadCount("E:\\susie\\nopicture.spi"), 0);
}

TEST_F(BrokenPluginTest, AnOnLoadErrorThatRaisesEndsTheSearch) {
  PluginManager spis;
  spis.OnLoadError = [](PluginManager*, const std::string&, const std::exception&) {
    throw SilentAbort("enough");
  };
  EXPECT_THROW(spis.Search("*.spi"), SilentAbort);
  EXPECT_EQ(spis.Count(), 1);
}

// The list of modules.

TEST_F(ManagerTest, ItemsIndexOfInsertDeleteAndClear) {
  Import("C:\\p\\a.spi");
  Import("C:\\p\\b.spi");
  Import("C:\\p\\c.spi");
  PluginManager spis;
  spis.Add(CreatePluginModule("C:\\p\\a.spi"));
  spis.Add(CreatePluginModule("C:\\p\\c.spi"));
  spis.Insert(1, CreatePluginModule("C:\\p\\b.spi"));
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\p\\a.spi", "C:\\p\\b.spi", "C:\\p\\c.spi"}));
  EXPECT_THROW(spis.Items(3), IndexError);
  EXPECT_THROW(spis.Items(-1), IndexError);
  EXPECT_THROW(spis.Insert(5, CreatePluginModule("C:\\p\\a.spi")), IndexError);
  EXPECT_THROW(spis.Delete(3), IndexError);
  EXPECT_EQ(headless::LibraryLoadCount("C:\\p\\a.spi"), 1) << "a refused insertion frees its module";

  EXPECT_EQ(spis.IndexOf("c:\\P\\B.SPI"), 1);
  EXPECT_EQ(spis.IndexOf("C:\\p\\d.spi"), -1);
  EXPECT_EQ(spis.IndexOf("C:\\p\\b.sp"), -1);

  spis.Delete(1);
  EXPECT_EQ(headless::LibraryLoadCount("C:\\p\\b.spi"), 0);
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\p\\a.spi", "C:\\p\\c.spi"}));
  spis.Clear();
  EXPECT_EQ(spis.Count(), 0);
  EXPECT_EQ(headless::TotalLibraryLoads(), 0);
}

TEST_F(ManagerTest, IndexOfFindsTheLowestIndexAndComparesOnlyAToZWithoutCase) {
  InstallFakePlugin("C:\\p\\a.spi", {}, true, "C:\\Ä\\a.spi");
  PluginManager spis;
  spis.Add(CreatePluginModule("C:\\p\\a.spi"));
  spis.Add(CreatePluginModule("C:\\p\\a.spi"));
  EXPECT_EQ(spis.IndexOf("c:\\Ä\\A.SPI"), 0);
  EXPECT_EQ(spis.IndexOf("C:\\ä\\a.spi"), -1);
}

TEST_F(ManagerTest, DestroyingTheManagerReleasesEveryLibrary) {
  Import("C:\\zeb\\a.spi");
  Import("C:\\zeb\\b.spi");
  {
    PluginManager spis;
    spis.Search("*.spi");
    EXPECT_EQ(headless::TotalLibraryLoads(), 2);
  }
  EXPECT_EQ(headless::TotalLibraryLoads(), 0);
  EXPECT_EQ(CurrentPluginManager(), nullptr);
}

}  // namespace
}  // namespace zeb::spi::testing_support
