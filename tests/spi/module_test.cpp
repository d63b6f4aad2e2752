// Plug-in modules: loading, texts, the kinds of module, CreatePluginModule and the guarded calls.
#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>
#include <typeindex>

#include "platform/headless/headless.h"
#include "spi/spi_module.h"
#include "tests/support/fake_plugins.h"

namespace zeb::spi {
namespace {

using test::FakePluginRecipe;
using test::InstallFakePlugin;

const std::string kPath = "C:\\plugins\\fake.spi";

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ResetAll();
    test::ResetFakePlugins();
  }
  void TearDown() override { test::ResetFakePlugins(); }
};

// The message of the error that Fn raises, failing when it raises none of type E.
template <class E, class Fn>
std::string MessageOf(Fn fn) {
  try {
    fn();
  } catch (const E& e) {
    return e.Message();
  }
  ADD_FAILURE() << "nothing was raised";
  return {};
}

std::string InvalidAPIText(const std::string& exportName, const std::string& fileName) {
  return exportName + "は[" + fileName + "]では使えないSusie Plugin APIです";
}

TEST_F(ModuleTest, ImportModuleReadsItsTextsAndHoldsItsLibraryUntilFreed) {
  InstallFakePlugin(
      kPath,
      {.apiVersion = "00IN", .name = "PPM plug-in", .filters = {{"*.ppm;*.pnm", "PPM"}, {"*.pgm", "PGM"}}});
  {
    ImportModule module(kPath);
    EXPECT_EQ(module.APIVersion(), "00IN");
    EXPECT_EQ(module.PluginName(), "PPM plug-in");
    EXPECT_EQ(module.Filters(), (std::vector<std::string>{"*.ppm;*.pnm", "*.pgm"}));
    EXPECT_EQ(module.Descriptions(), (std::vector<std::string>{"PPM", "PGM"}));
    EXPECT_TRUE(module.IsLoader());
    EXPECT_EQ(module.FileName(), kPath);
    EXPECT_NE(module.Handle(), nullptr);
    EXPECT_EQ(headless::LibraryLoadCount(kPath), 1);
  }
  EXPECT_EQ(headless::LibraryLoadCount(kPath), 0);
}

TEST_F(ModuleTest, FileNameIsThePathTheLoaderReports) {
  InstallFakePlugin(kPath, {}, true, "C:\\Plugins\\FAKE.SPI");
  PluginModule module("c:\\plugins\\fake.spi");
  EXPECT_EQ(module.FileName(), "C:\\Plugins\\FAKE.SPI");
}

TEST_F(ModuleTest, ALibraryThatCannotBeLoadedNamesTheFileAsGiven) {
  EXPECT_EQ(MessageOf<PluginOpenError>([] { PluginModule m("C:\\none\\x.spi"); }),
            "C:\\none\\x.spi:Susie Pluginがロードできませんでした");
  EXPECT_EQ(headless::TotalLibraryLoads(), 0);
}

TEST_F(ModuleTest, EachClassChecksItsExportsInOrderAndReportsTheFirstMissing) {
  InstallFakePlugin(kPath, {.missing = {"IsSupported", "GetPicture"}});
  EXPECT_EQ(MessageOf<PluginExportMissing>([] { ImportModule m(kPath); }),
            InvalidAPIText("IsSupported", kPath));
  EXPECT_EQ(MessageOf<PluginExportMissing>([] { LoaderModule m(kPath); }),
            InvalidAPIText("IsSupported", kPath));
  EXPECT_NO_THROW({ XnModule m(kPath); });
  EXPECT_NO_THROW({ PluginModule m(kPath); });
  EXPECT_EQ(headless::LibraryLoadCount(kPath), 0);

  const std::string archive = "C:\\plugins\\arc.spi";
  InstallFakePlugin(archive, {.apiVersion = "00AM", .extra = {"GetArchiveInfo"}});
  EXPECT_EQ(MessageOf<PluginExportMissing>([&] { ArchiveModule m(archive); }),
            InvalidAPIText("GetFileInfo", archive));
  EXPECT_EQ(headless::LibraryLoadCount(archive), 0);
}

TEST_F(ModuleTest, NoClassRequiresGetPreviewOrConfigurationDlg) {
  InstallFakePlugin(kPath, {.missing = {"GetPreview"}});
  EXPECT_NO_THROW({ ImportModule m(kPath); });
  const std::string archive = "C:\\plugins\\arc.spi";
  InstallFakePlugin(archive, {.apiVersion = "00AM",
                              .missing = {"GetPicture", "GetPictureInfo", "GetPreview"},
                              .extra = {"GetArchiveInfo", "GetFileInfo", "GetFile"}});
  ArchiveModule module(archive);
  EXPECT_TRUE(module.IsLoader());
}

TEST_F(ModuleTest, IsLoaderHoldsForImportAndArchiveModulesOnly) {
  InstallFakePlugin(kPath, {.extra = {"GetArchiveInfo", "GetFileInfo", "GetFile"}});
  EXPECT_FALSE(PluginModule(kPath).IsLoader());
  EXPECT_FALSE(LoaderModule(kPath).IsLoader());
  EXPECT_TRUE(ImportModule(kPath).IsLoader());
  EXPECT_TRUE(ArchiveModule(kPath).IsLoader());
  EXPECT_FALSE(XnModule(kPath).IsLoader());
}

TEST(ModuleErrors, StandOnTheBaseException) {
  // The exceptions stand directly on the framework's base class.
  EXPECT_TRUE((std::is_base_of_v<Exception, PluginOpenError>));
  EXPECT_TRUE((std::is_base_of_v<Exception, PluginExportMissing>));
  EXPECT_TRUE((std::is_base_of_v<Exception, NotAPlugin>));
  EXPECT_FALSE((std::is_base_of_v<PluginOpenError, PluginExportMissing>));
}

// Texts and the filter list.

TEST_F(ModuleTest, InfoThreeIsAskedOnlyAfterInfoTwoAnsweredAndBothAreNeeded) {
  auto& twoOnly = InstallFakePlugin(kPath, {.pluginInfo = [](int n, char* buf, int) {
                                      const char* texts[] = {"00IN", "two only", "*.i2"};
                                      if (n > 2) return 0;
                                      std::strcpy(buf, texts[n]);
                                      return static_cast<int>(std::strlen(texts[n]));
                                    }});
  ImportModule module(kPath);
  EXPECT_TRUE(module.Filters().empty());
  EXPECT_TRUE(module.Descriptions().empty());
  EXPECT_EQ(twoOnly.infoAsked, (std::vector<int>{0, 1, 2, 3}));

  const std::string none = "C:\\plugins\\none.spi";
  auto& noFilters = InstallFakePlugin(none, {.filters = {}});
  ImportModule second(none);
  EXPECT_EQ(noFilters.infoAsked, (std::vector<int>{0, 1, 2}));
}

TEST_F(ModuleTest, FiltersEndAtTheFirstEntryWithoutADescription) {
  auto& fake = InstallFakePlugin(kPath, {.pluginInfo = [](int n, char* buf, int) {
                                   if (n == 7) return 0;  // the description of the third entry
                                   std::strcpy(buf, n == 0 ? "00IN" : ("t" + std::to_string(n)).c_str());
                                   return 2;
                                 }});
  ImportModule module(kPath);
  EXPECT_EQ(module.Filters(), (std::vector<std::string>{"t2", "t4"}));
  EXPECT_EQ(module.Descriptions(), (std::vector<std::string>{"t3", "t5"}));
  EXPECT_EQ(fake.infoAsked.back(), 7);
}

TEST_F(ModuleTest, AModuleThatNeverEndsItsFilterListIsCut) {
  auto& fake = InstallFakePlugin(kPath, {.pluginInfo = [](int, char* buf, int) {
                                   std::strcpy(buf, "*.x");
                                   return 3;
                                 }});
  PluginModule module(kPath);
  EXPECT_EQ(module.Filters().size(), static_cast<size_t>(kMaxFilterEntries));
  EXPECT_EQ(module.Descriptions().size(), static_cast<size_t>(kMaxFilterEntries));
  EXPECT_EQ(fake.infoCalls, 2 + 2 * kMaxFilterEntries);
}

TEST_F(ModuleTest, AnswersOfZeroOrLessLeaveTheTextsEmpty) {
  InstallFakePlugin(kPath, {.pluginInfo = [](int n, char* buf, int) {
                      std::strcpy(buf, "junk");  // written but not answered
                      return n == 0 ? 0 : -1;
                    }});
  PluginModule module(kPath);
  EXPECT_EQ(module.APIVersion(), "");
  EXPECT_EQ(module.PluginName(), "");
  EXPECT_TRUE(module.Filters().empty());
}

TEST_F(ModuleTest, TextsEndAtTheFirstNulAndAfter255Characters) {
  auto& fake = InstallFakePlugin(kPath, {.pluginInfo = [](int n, char* buf, int len) {
                                   if (n == 0) {
                                     std::memcpy(buf, "00IN\0tail", 10);
                                     return 9;
                                   }
                                   if (n != 1) return 0;
                                   std::memset(buf, 'n', static_cast<size_t>(len));  // no NUL at all
                                   return len;
                                 }});
  PluginModule module(kPath);
  EXPECT_EQ(module.APIVersion(), "00IN");
  EXPECT_EQ(module.PluginName(), std::string(255, 'n'));
  EXPECT_EQ(fake.infoCalls, 3);
}

TEST_F(ModuleTest, InfoIsAskedWithA255CharacterLength) {
  std::vector<int> lengths;
  InstallFakePlugin(kPath, {.pluginInfo = [&](int, char*, int len) {
                      lengths.push_back(len);
                      return 0;
                    }});
  PluginModule module(kPath);
  EXPECT_EQ(lengths, (std::vector<int>{255, 255, 255}));
}

// CreatePluginModule.

TEST_F(ModuleTest, CreateSPIPicksTheClassByTheWholeCaseSensitiveVersion) {
  struct Case {
    std::string version;
    std::type_index type;
  } cases[] = {{"00IN", typeid(ImportModule)},  {"00AM", typeid(ArchiveModule)},
               {"00XN", typeid(XnModule)},      {"00in", typeid(PluginModule)},
               {"00INX", typeid(PluginModule)}, {"00IN ", typeid(PluginModule)},
               {"", typeid(PluginModule)},      {"00XX", typeid(PluginModule)}};
  int i = 0;
  for (const Case& c : cases) {
    std::string path = "C:\\plugins\\p" + std::to_string(i++) + ".spi";
    InstallFakePlugin(path, {.apiVersion = c.version, .extra = {"GetArchiveInfo", "GetFileInfo", "GetFile"}});
    std::unique_ptr<PluginModule> module = CreatePluginModule(path);
    ASSERT_NE(module, nullptr) << c.version;
    EXPECT_EQ(std::type_index(typeid(*module)), c.type) << "version \"" << c.version << "\"";
    EXPECT_EQ(module->APIVersion(), c.version);
    EXPECT_EQ(headless::LibraryLoadCount(path), 1) << "the probe must be gone";
  }
}

TEST_F(ModuleTest, CreateSPILoadsTheLibraryASecondTimeBeforeTheProbeGoes) {
  std::vector<int> countsAtVersion;
  InstallFakePlugin(kPath, {.pluginInfo = [&](int n, char* buf, int) {
                      if (n != 0) return 0;
                      countsAtVersion.push_back(headless::LibraryLoadCount(kPath));
                      std::strcpy(buf, "00IN");
                      return 4;
                    }});
  std::unique_ptr<PluginModule> module = CreatePluginModule(kPath);
  EXPECT_EQ(countsAtVersion, (std::vector<int>{1, 2}));
  EXPECT_EQ(headless::LibraryLoadCount(kPath), 1);
  module.reset();
  EXPECT_EQ(headless::LibraryLoadCount(kPath), 0);
}

TEST_F(ModuleTest, CreateSPIReturnsNoneForAFileThatIsNoLibrary) {
  headless::DefaultFiles().AddFile("C:\\plugins\\text.spi", "not a library");
  EXPECT_EQ(CreatePluginModule("C:\\plugins\\text.spi"), nullptr);
  EXPECT_EQ(CreatePluginModule("C:\\plugins\\missing.spi"), nullptr);
}

TEST_F(ModuleTest, CreateSPIPassesOnAMissingGetPluginInfoAndReleasesTheLibrary) {
  InstallFakePlugin(kPath, {.missing = {"GetPluginInfo"}});
  EXPECT_EQ(MessageOf<PluginExportMissing>([] { CreatePluginModule(kPath); }),
            InvalidAPIText("GetPluginInfo", kPath));
  EXPECT_EQ(headless::LibraryLoadCount(kPath), 0);
}

TEST_F(ModuleTest, CreateSPIPassesOnAnImportModuleWithoutGetPictureAndFreesTheProbe) {
  auto& fake = InstallFakePlugin(kPath, {.missing = {"GetPicture"}});
  EXPECT_EQ(MessageOf<PluginExportMissing>([] { CreatePluginModule(kPath); }),
            InvalidAPIText("GetPicture", kPath));
  EXPECT_EQ(headless::LibraryLoadCount(kPath), 0);
  // The probe read the texts; the typed module stopped at its export check, before any text.
  EXPECT_EQ(fake.infoAsked, (std::vector<int>{0, 1, 2}));
}

TEST_F(ModuleTest, CreateSPITreatsAnInvalidPluginLikeAnUnloadableOne) {
  InstallFakePlugin(kPath, {.pluginInfo = [](int, char*, int) -> int { throw NotAPlugin("not a plug-in"); }});
  EXPECT_EQ(CreatePluginModule(kPath), nullptr);
  EXPECT_EQ(headless::LibraryLoadCount(kPath), 0);
}

TEST_F(ModuleTest, CreateSPILetsOtherErrorsThroughAndReleasesTheHalfBuiltModule) {
  int calls = 0;
  InstallFakePlugin(kPath, {.pluginInfo = [&](int n, char* buf, int) {
                      // The probe reads its texts; the typed module fails on its first question.
                      if (++calls > 3) throw OutOfResources("no memory");
                      if (n != 0) return 0;
                      std::strcpy(buf, "00IN");
                      return 4;
                    }});
  EXPECT_EQ(MessageOf<OutOfResources>([] { CreatePluginModule(kPath); }), "no memory");
  EXPECT_EQ(headless::LibraryLoadCount(kPath), 0);
}

// Guarded calls.

TEST_F(ModuleTest, GuardedCallsPassTheirArgumentsUnchangedAndReturnTheResult) {
  std::string seenName;
  const uint8_t* seenHeader = nullptr;
  const char* seenBuffer = nullptr;
  intptr_t seenLength = 0, seenData = 0;
  unsigned seenFlag = 9;
  ProgressCallback seenProgress = nullptr;
  PictureInfo* seenInfo = nullptr;
  auto picture = [&](const char* buf, intptr_t len, unsigned flag, LocalHandle*, LocalHandle*,
                     ProgressCallback p, intptr_t data) {
    seenBuffer = buf, seenLength = len, seenFlag = flag, seenProgress = p, seenData = data;
    return 7;
  };
  InstallFakePlugin(kPath, {.isSupported =
                                [&](const std::string& name, const uint8_t* header) {
                                  seenName = name, seenHeader = header;
                                  return 5;
                                },
                            .getPictureInfo =
                                [&](const char* buf, intptr_t len, unsigned flag, PictureInfo* info) {
                                  seenBuffer = buf, seenLength = len, seenFlag = flag, seenInfo = info;
                                  return 6;
                                },
                            .getPicture = picture});
  ImportModule module(kPath);
  char header[kHeaderBufferSize] = {};
  EXPECT_EQ(module.IsSupported("C:\\a.ppm", reinterpret_cast<uintptr_t>(header)), 5);
  EXPECT_EQ(seenName, "C:\\a.ppm");
  EXPECT_EQ(seenHeader, reinterpret_cast<const uint8_t*>(header));

  PictureInfo info{};
  EXPECT_EQ(module.GetPictureInfo(header + 128, 300, 1, &info), 6);
  EXPECT_EQ(seenBuffer, header + 128);
  EXPECT_EQ(seenLength, 300);
  EXPECT_EQ(seenFlag, 1u);
  EXPECT_EQ(seenInfo, &info);

  ProgressCallback progress = [](int, int, intptr_t) SPI_API { return 0; };
  LocalHandle hInfo = nullptr, hBits = nullptr;
  EXPECT_EQ(module.GetPicture("C:\\a.ppm", 12, 0, &hInfo, &hBits, progress, 1234), 7);
  EXPECT_EQ(seenLength, 12);
  EXPECT_EQ(seenFlag, 0u);
  EXPECT_EQ(seenProgress, progress);
  EXPECT_EQ(seenData, 1234);
}

TEST_F(ModuleTest, CallingAMissingExportRaisesNamingItAndTheModule) {
  InstallFakePlugin(kPath, {.missing = {"GetPreview", "IsSupported", "GetPicture"}}, true,
                    "C:\\Plugins\\Fake.spi");
  PluginModule module(kPath);
  LocalHandle hInfo = nullptr, hBits = nullptr;
  EXPECT_EQ(MessageOf<PluginExportMissing>([&] { module.IsSupported("", 0); }),
            InvalidAPIText("IsSupported", "C:\\Plugins\\Fake.spi"));
  EXPECT_EQ(MessageOf<PluginExportMissing>([&] { module.GetPicture("", 0, 0, &hInfo, &hBits, nullptr, 0); }),
            InvalidAPIText("GetPicture", "C:\\Plugins\\Fake.spi"));
  EXPECT_EQ(hInfo, nullptr);
}

TEST_F(ModuleTest, GetProcFindsExportsByName) {
  InstallFakePlugin(kPath, {.missing = {"GetPreview"}, .extra = {"ConfigurationDlg"}});
  ImportModule module(kPath);
  EXPECT_NE(module.GetProc("GetPicture"), nullptr);
  EXPECT_NE(module.GetProc("ConfigurationDlg"), nullptr);
  EXPECT_EQ(module.GetProc("GetPreview"), nullptr);
  EXPECT_EQ(module.GetProc("GetArchiveInfo"), nullptr);
}

}  // namespace
}  // namespace zeb::spi
