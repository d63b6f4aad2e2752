// The plug-in modules and manager with real plug-in DLLs (tests/plugins), loaded through the real
// library loader. The plug-ins are built into the folder "plugins" next to this program.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/fake_graphic.h"
#include "tests/support/plugin_name.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <typeindex>

#include "platform/core/strings.h"
#include "platform/services/ansi.h"
#include "platform/services/file_system.h"
#include "platform/win32/utf16.h"
#include "spi/spi_handlers.h"
#include "spi/spi_manager.h"

namespace zeb::spi {
namespace {

using win32::Widen;

using PluginTestGraphic = test::FakeImage;

std::string PluginFolder() { return FolderPart(Files().ProgramFileName()) + "plugins\\"; }
std::string Plugin(const std::string& name) { return PluginFolder() + test::BuildPluginName(name); }
bool IsLoaded(const std::string& path) { return GetModuleHandleW(Widen(path).c_str()) != nullptr; }

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

class SpiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Files().FileExists(Plugin("ppm.spi"))) << "no test plug-ins in " << PluginFolder();
    PluginManager::SetDefaultFormat(&PluginTestGraphic::kFormat);
  }
  void TearDown() override {
    PictureFormats::UnregisterFormat(&PluginTestGraphic::kFormat);
    PluginManager::SetDefaultFormat(nullptr);
  }
};

TEST_F(SpiTest, TheImportPluginIsReadThroughTheRealLoader) {
  std::string path = Plugin("ppm.spi");
  {
    std::unique_ptr<PluginModule> module = CreatePluginModule(path);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(dynamic_cast<ImportModule*>(module.get()), nullptr);
    EXPECT_EQ(module->APIVersion(), "00IN");
    EXPECT_EQ(module->PluginName(), "PPM/PGM test plug-in");
    EXPECT_EQ(module->Filters(), (std::vector<std::string>{"*.ppm;*.pnm", "*.pgm"}));
    EXPECT_EQ(module->Descriptions(), (std::vector<std::string>{"PPM/PGM", "PGM"}));
    EXPECT_TRUE(module->IsLoader());
    EXPECT_TRUE(SameTextAscii(module->FileName(), path)) << module->FileName();
    EXPECT_TRUE(IsLoaded(path));
  }
  EXPECT_FALSE(IsLoaded(path)) << "the probe or the module kept the library";
}

TEST_F(SpiTest, EachMisfitGetsItsClassOrItsError) {
  struct Kind {
    const char* file;
    std::type_index type;
    const char* version;
    size_t filters;
  } kinds[] = {
      {"archive.spi", typeid(ArchiveModule), "00AM", 1},   {"xn.spi", typeid(XnModule), "00XN", 1},
      {"lowercase.spi", typeid(PluginModule), "00in", 1},  {"info2only.spi", typeid(ImportModule), "00IN", 0},
      {"starfilter.spi", typeid(ImportModule), "00IN", 2}, {"multi.spi", typeid(ImportModule), "00IN", 1}};
  for (const Kind& k : kinds) {
    std::unique_ptr<PluginModule> module = CreatePluginModule(Plugin(k.file));
    ASSERT_NE(module, nullptr) << k.file;
    EXPECT_EQ(std::type_index(typeid(*module)), k.type) << k.file;
    EXPECT_EQ(module->APIVersion(), k.version) << k.file;
    EXPECT_EQ(module->Filters().size(), k.filters) << k.file;
    EXPECT_EQ(module->Descriptions().size(), k.filters) << k.file;
    EXPECT_EQ(module->IsLoader(), k.type == typeid(ImportModule) || k.type == typeid(ArchiveModule))
        << k.file;
  }
  EXPECT_EQ(CreatePluginModule(Plugin("multi.spi"))->Filters(),
            (std::vector<std::string>{"*.pic;*.mag;*.pi"}));

  EXPECT_EQ(CreatePluginModule(Plugin("notadll.spi")), nullptr);
  EXPECT_EQ(CreatePluginModule(Plugin("missing.spi")), nullptr);
  EXPECT_EQ(MessageOf<PluginOpenError>([] { PluginModule m(Plugin("notadll.spi")); }),
            Plugin("notadll.spi") + ":Susie Pluginがロードできませんでした");

  for (const char* file : {"nogetinfo.spi", "nopicture.spi"}) {
    std::string message = MessageOf<PluginExportMissing>([&] { CreatePluginModule(Plugin(file)); });
    std::string missing = std::string(file) == "nogetinfo.spi" ? "GetPluginInfo" : "GetPicture";
    EXPECT_EQ(message.rfind(missing + "は[", 0), 0u) << message;
    EXPECT_NE(message.find(test::BuildPluginName(file) + "]では使えないSusie Plugin APIです"),
              std::string::npos)
        << message;
    EXPECT_FALSE(IsLoaded(Plugin(file))) << file << " stayed loaded";
  }
}

TEST_F(SpiTest, AnExportTheModuleLacksCannotBeCalled) {
  // As a plain module, which needs only GetPluginInfo, nopicture.spi loads.
  PluginModule module(Plugin("nopicture.spi"));
  LocalHandle info = nullptr, bits = nullptr;
  std::string message =
      MessageOf<PluginExportMissing>([&] { module.GetPicture("", 0, 1, &info, &bits, nullptr, 0); });
  EXPECT_EQ(message, "GetPictureは[" + module.FileName() + "]では使えないSusie Plugin APIです");
}

TEST_F(SpiTest, APluginInAFolderWithAJapaneseNameKeepsItsPath) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  std::string folder = win32::Narrow(temp) + "zeb プラグイン\\";
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  std::string copy = folder + test::BuildPluginName("画像.spi");
  ASSERT_TRUE(CopyFileW(Widen(Plugin("ppm.spi")).c_str(), Widen(copy).c_str(), FALSE));
  {
    PluginManager spis;
    spis.Search(folder + test::BuildPluginName("*.spi"));
    ASSERT_EQ(spis.Count(), 1);
    EXPECT_TRUE(SameTextAscii(spis.Items(0)->FileName(), copy)) << spis.Items(0)->FileName();
    EXPECT_EQ(spis.IndexOf(copy), 0);
  }
  DeleteFileW(Widen(copy).c_str());
  RemoveDirectoryW(Widen(folder).c_str());
}

// The manager over the plug-in folder, with the main window's handlers.
class SpiSearchTest : public SpiTest {
 protected:
  void UseMainWindowHandlers(PluginManager& spis) {
    spis.OnSearch = [](PluginManager*, PluginModule* module, bool& accept) {
      AcceptImportFiltersOnly(module, accept);
    };
    spis.OnPictureRegister = [](PluginManager*, ImportModule*, const std::string& ext, const std::string&,
                                const ImageFormat*& cls) { RefuseStarExtension(ext, cls); };
  }
  // A plug-in's file name as the tests write it (in lower case, with the suffix of zeb.exe's).
  static std::string SourceName(const std::string& path) {
    std::string name = LowerAscii(FileNamePart(path));
    return name.substr(0, name.size() - 4) + ".spi";
  }
  static std::vector<std::string> Names(const PluginManager& spis) {
    std::vector<std::string> names;
    for (int i = 0; i < spis.Count(); ++i) names.push_back(SourceName(spis.Items(i)->FileName()));
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(SpiSearchTest, SearchingThePluginFolderKeepsImportFiltersAndRegistersTheirExtensions) {
  PluginManager spis;
  UseMainWindowHandlers(spis);
  std::vector<std::string> failed;
  spis.OnLoadError = [&](PluginManager*, const std::string& path, const std::exception& error) {
    // A missing export, or (crashall.spi) a crash while its texts are asked for.
    EXPECT_TRUE(dynamic_cast<const PluginExportMissing*>(&error) ||
                dynamic_cast<const PluginCrashed*>(&error))
        << error.what();
    failed.push_back(SourceName(path));
  };
  spis.Search(Plugin("*.spi"));
  std::sort(failed.begin(), failed.end());
  EXPECT_EQ(failed, (std::vector<std::string>{"crashall.spi", "nogetinfo.spi", "nopicture.spi"}));
  EXPECT_EQ(Names(spis), (std::vector<std::string>{"crasher.spi", "info2only.spi", "multi.spi", "ppm.spi",
                                                   "rawbmp.spi", "starfilter.spi", "widename.spi"}));
  for (const char* refused : {"archive.spi", "xn.spi", "lowercase.spi", "nogetinfo.spi", "nopicture.spi"})
    EXPECT_FALSE(IsLoaded(Plugin(refused))) << refused;

  std::string mask = PictureFormats::FileMask();
  std::printf("registered: %s\n", mask.c_str());
  for (const char* ext : {"ppm", "pnm", "pgm", "pic", "mag", "pi", "str"})
    EXPECT_EQ(PictureFormats::Find(ext), &PluginTestGraphic::kFormat) << ext;
  for (const char* ext : {"*", "sf", "tar", "xn", "low", "i2", "nop"})
    EXPECT_EQ(PictureFormats::Find(ext), nullptr) << ext;
  EXPECT_EQ(mask.find("*.*"), std::string::npos) << mask;

  // A second search of the same folder loads nothing again.
  spis.OnSearch = [&](PluginManager*, PluginModule* module, bool& accept) {
    EXPECT_EQ(spis.IndexOf(module->FileName()), -1) << module->FileName();
    AcceptImportFiltersOnly(module, accept);
  };
  spis.Search(Plugin("*.spi"));
  EXPECT_EQ(spis.Count(), 7) << "the seven held modules are skipped";
}

TEST_F(SpiSearchTest, WithoutOnLoadErrorAMisfitEndsTheSearch) {
  PluginManager spis;
  UseMainWindowHandlers(spis);
  // The first misfit met ends it: a missing export, or crashall.spi's crash.
  EXPECT_THROW(spis.Search(Plugin("*.spi")), Exception);
  EXPECT_LT(spis.Count(), 4);
}

TEST_F(SpiSearchTest, AMaskPicksTheFiles) {
  PluginManager spis;
  UseMainWindowHandlers(spis);
  spis.Search(Plugin("m*.spi"));
  EXPECT_EQ(Names(spis), (std::vector<std::string>{"multi.spi"}));
  spis.Search(Plugin("p*.spi"));
  std::vector<ImportModule*> found = spis.FindImportModules("photo.pgm");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(SourceName(found[0]->FileName()), "ppm.spi");
}

TEST_F(SpiSearchTest, TheSusieFolderSettingIsRead) {
  const wchar_t* key = L"Software\\Vantorel\\Susie\\Plug-in";
  HKEY h;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) == ERROR_SUCCESS) {
    RegCloseKey(h);
    GTEST_SKIP() << "a Susie folder is set in this prefix; it is left alone";
  }
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  std::wstring folder = Widen(PluginFolder().substr(0, PluginFolder().size() - 1));  // no final backslash
  RegSetValueExW(h, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  {
    PluginManager spis;
    UseMainWindowHandlers(spis);
    spis.OnLoadError = [](PluginManager*, const std::string&, const std::exception&) {};
    spis.SearchOptions = SearchOption(kSusieFolder);
    spis.Search(test::BuildPluginName("*.spi"));
    EXPECT_EQ(spis.Count(), 7);
  }
  DWORD number = 1;
  RegSetValueExW(h, L"Path", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  {
    PluginManager spis;
    spis.SearchOptions = SearchOption(kSusieFolder);
    EXPECT_NO_THROW(spis.Search(test::BuildPluginName("*.spi")));
    EXPECT_EQ(spis.Count(), 0);
  }
  RegCloseKey(h);
  RegDeleteKeyW(HKEY_CURRENT_USER, key);
}

}  // namespace
}  // namespace zeb::spi
