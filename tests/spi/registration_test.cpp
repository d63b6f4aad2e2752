// The plug-in manager's extension registration, FindModules and the main window's two handlers.
#include <gtest/gtest.h>

#include "spi/spi_handlers.h"
#include "tests/spi/manager_fixture.h"

namespace zeb::spi::testing_support {
namespace {

using test::InstallFakePlugin;

struct Registered {
  std::string extension, description;
  const ImageFormat* cls;
  bool operator==(const Registered&) const = default;
};

// Records every OnPictureRegister call (with the class it came with) and lets Change alter the class.
class RegistrationTest : public ManagerTest {
 protected:
  void Watch(PluginManager& spis,
             std::function<void(const std::string&, const ImageFormat*&)> change = nullptr) {
    spis.OnPictureRegister = [this, &spis, change](PluginManager* sender, ImportModule* module,
                                                   const std::string& ext, const std::string& description,
                                                   const ImageFormat*& cls) {
      EXPECT_EQ(sender, &spis);
      EXPECT_NE(module, nullptr);
      offered.push_back({ext, description, cls});
      if (change) change(ext, cls);
    };
  }
  std::unique_ptr<PluginModule> Module(const std::string& path,
                                       std::vector<std::pair<std::string, std::string>> filters) {
    Import(path, std::move(filters));
    return CreatePluginModule(path);
  }
  std::vector<Registered> offered;
};

TEST_F(RegistrationTest, EachItemOfEachEntryIsRegisteredWithItsEntrysDescription) {
  PluginManager spis;
  Watch(spis);
  spis.Add(Module("C:\\p\\m.spi", {{"*.pic;*.mag;*.pi", "Japanese"}, {"*.q0", "Q0"}}));
  std::vector<Registered> expected = {{"pic", "Japanese", &TestGraphic::kFormat},
                                      {"mag", "Japanese", &TestGraphic::kFormat},
                                      {"pi", "Japanese", &TestGraphic::kFormat},
                                      {"q0", "Q0", &TestGraphic::kFormat}};
  EXPECT_EQ(offered, expected);
  for (const char* ext : {"pic", "MAG", ".pi", "q0"})
    EXPECT_EQ(PictureFormats::Find(ext), &TestGraphic::kFormat) << ext;
  // The registry lists the latest registration first.
  EXPECT_EQ(PictureFormats::FileMask().rfind("*.q0;*.pi;*.mag;*.pic", 0), 0u) << PictureFormats::FileMask();
}

TEST_F(RegistrationTest, TheExtensionIsTheItemAfterItsFirstDot) {
  PluginManager spis;
  Watch(spis);
  spis.Add(Module("C:\\p\\m.spi", {{"*.tar.gz;pic;*.*; *.sp", "Mixed"}}));
  std::vector<std::string> extensions;
  for (auto& r : offered) extensions.push_back(r.extension);
  EXPECT_EQ(extensions, (std::vector<std::string>{"tar.gz", "pic", "*", "sp"}));
  EXPECT_EQ(PictureFormats::Find("tar.gz"), &TestGraphic::kFormat);
  EXPECT_EQ(PictureFormats::Find("*"), &TestGraphic::kFormat) << "no handler refuses it here";
}

TEST_F(RegistrationTest, ItemsWithoutAnExtensionAreNotRegistered) {
  PluginManager spis;
  Watch(spis);
  spis.Add(Module("C:\\p\\m.spi", {{"*.aa;;*.bb;*.;", "Gaps"}}));
  std::vector<std::string> extensions;
  for (auto& r : offered) extensions.push_back(r.extension);
  EXPECT_EQ(extensions, (std::vector<std::string>{"aa", "bb"}));
  EXPECT_EQ(PictureFormats::Find(""), nullptr);
}

TEST_F(RegistrationTest, AClassChangedByTheHandlerCarriesOverWithinItsEntryOnly) {
  PluginManager spis;
  Watch(spis, [](const std::string& ext, const ImageFormat*& cls) {
    if (ext == "bb") cls = nullptr;
    if (ext == "xx") cls = &OtherTestGraphic::kFormat;
  });
  spis.Add(Module("C:\\p\\m.spi",
                  {{"*.aa;*.bb;*.cc", "One"}, {"*.dd", "Two"}, {"*.xx;*.yy", "Three"}, {"*.zz", "4"}}));
  std::vector<Registered> expected = {{"aa", "One", &TestGraphic::kFormat},
                                      {"bb", "One", &TestGraphic::kFormat},
                                      {"cc", "One", nullptr},
                                      {"dd", "Two", &TestGraphic::kFormat},
                                      {"xx", "Three", &TestGraphic::kFormat},
                                      {"yy", "Three", &OtherTestGraphic::kFormat},
                                      {"zz", "4", &TestGraphic::kFormat}};
  EXPECT_EQ(offered, expected);
  EXPECT_EQ(PictureFormats::Find("aa"), &TestGraphic::kFormat);
  EXPECT_EQ(PictureFormats::Find("bb"), nullptr);
  EXPECT_EQ(PictureFormats::Find("cc"), nullptr);
  EXPECT_EQ(PictureFormats::Find("dd"), &TestGraphic::kFormat);
  EXPECT_EQ(PictureFormats::Find("xx"), &OtherTestGraphic::kFormat);
  EXPECT_EQ(PictureFormats::Find("yy"), &OtherTestGraphic::kFormat);
  EXPECT_EQ(PictureFormats::Find("zz"), &TestGraphic::kFormat);
}

TEST_F(RegistrationTest, WithoutADefaultClassOnlyAHandlerSuppliedClassIsRegistered) {
  PluginManager::SetDefaultFormat(nullptr);
  EXPECT_EQ(PluginManager::DefaultFormat(), nullptr);
  PluginManager spis;
  spis.Add(Module("C:\\p\\m.spi", {{"*.aa", "A"}}));
  EXPECT_EQ(PictureFormats::Find("aa"), nullptr);
  Watch(spis, [](const std::string& ext, const ImageFormat*& cls) {
    if (ext == "bb") cls = &TestGraphic::kFormat;
  });
  spis.Add(Module("C:\\p\\n.spi", {{"*.bb;*.cc", "B"}}));
  EXPECT_EQ(PictureFormats::Find("bb"), &TestGraphic::kFormat);
  EXPECT_EQ(PictureFormats::Find("cc"), &TestGraphic::kFormat);
  EXPECT_EQ(offered.front().cls, nullptr);
}

TEST_F(RegistrationTest, OnlyImportFiltersRegisterExtensions) {
  PluginManager spis;
  Watch(spis);
  const std::set<std::string> archive = {"GetArchiveInfo", "GetFileInfo", "GetFile"};
  InstallFakePlugin("C:\\p\\am.spi", {.apiVersion = "00AM", .filters = {{"*.lzh", "LZH"}}, .extra = archive});
  InstallFakePlugin("C:\\p\\xn.spi", {.apiVersion = "00XN", .filters = {{"*.xn", "XN"}}});
  InstallFakePlugin("C:\\p\\lc.spi", {.apiVersion = "00in", .filters = {{"*.lc", "LC"}}});
  spis.Add(CreatePluginModule("C:\\p\\am.spi"));
  spis.Add(CreatePluginModule("C:\\p\\xn.spi"));
  spis.Add(CreatePluginModule("C:\\p\\lc.spi"));
  EXPECT_EQ(spis.Count(), 3);
  EXPECT_TRUE(offered.empty());
  for (const char* ext : {"lzh", "xn", "lc"}) EXPECT_EQ(PictureFormats::Find(ext), nullptr) << ext;
}

TEST_F(RegistrationTest, RegistrationsOutliveTheirModule) {
  {
    PluginManager spis;
    spis.Add(Module("C:\\p\\m.spi", {{"*.aa", "A"}}));
    spis.Add(Module("C:\\p\\n.spi", {{"*.bb", "B"}}));
    spis.Delete(0);
    EXPECT_EQ(PictureFormats::Find("aa"), &TestGraphic::kFormat);
  }
  EXPECT_EQ(PictureFormats::Find("aa"), &TestGraphic::kFormat);
  EXPECT_EQ(PictureFormats::Find("bb"), &TestGraphic::kFormat);
}

TEST_F(RegistrationTest, AnInsertWhoseRegistrationFailsHoldsNothing) {
  PluginManager spis;
  spis.Add(Module("C:\\p\\m.spi", {{"*.aa", "A"}}));
  spis.OnPictureRegister = [](PluginManager*, ImportModule*, const std::string& ext, const std::string&,
                              const ImageFormat*&) {
    if (ext == "bb") throw Exception("cannot register");
  };
  EXPECT_THROW(spis.Insert(0, Module("C:\\p\\n.spi", {{"*.bb", "B"}})), Exception);
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\p\\m.spi"}));
  EXPECT_EQ(headless::LibraryLoadCount("C:\\p\\n.spi"), 0);
}

// FindModules.

class FindSPIsTest : public ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    Import("C:\\p\\A.spi", {{"*.pic;*.mag", "A"}});
    Import("C:\\p\\B.spi", {{"*.mag", "B"}});
    Import("C:\\p\\C.spi", {{"*.jpg", "C"}});
    InstallFakePlugin("C:\\p\\D.spi", {.apiVersion = "00AM",
                                       .filters = {{"*.mag", "D"}},
                                       .extra = {"GetArchiveInfo", "GetFileInfo", "GetFile"}});
    for (const char* name : {"A", "B", "C", "D"})
      spis.Add(CreatePluginModule(std::string("C:\\p\\") + name + ".spi"));
  }
  // The import filters asked for FileName, in order; the archive module D never takes part.
  std::string Find(const std::string& fileName) {
    std::string names;
    for (ImportModule* m : spis.FindImportModules(fileName)) names += m->Descriptions().at(0);
    return names;
  }
  PluginManager spis;
};

TEST_F(FindSPIsTest, ModulesThatNameTheExtensionComeFirstInReverseOrder) {
  EXPECT_EQ(Find("photo.mag"), "BAC");
  EXPECT_EQ(Find("photo.pic"), "ABC") << "only the last pattern of an entry counts";
  EXPECT_EQ(Find("photo.jpg"), "CAB");
  EXPECT_EQ(Find("photo"), "ABC");
  EXPECT_EQ(Find("PHOTO.MAG"), "BAC");
  EXPECT_EQ(Find(".mag"), "BAC");
  EXPECT_EQ(Find("C:\\dir.mag\\photo"), "ABC") << "a dot in the folder is no extension";
  EXPECT_EQ(Find("photo.ma"), "ABC");
}

// The main window's handlers.

TEST_F(ManagerTest, TheSearchHandlerKeepsImportFiltersOnly) {
  const std::set<std::string> archive = {"GetArchiveInfo", "GetFileInfo", "GetFile"};
  InstallFakePlugin("C:\\p\\in.spi", {});
  InstallFakePlugin("C:\\p\\am.spi", {.apiVersion = "00AM", .extra = archive});
  InstallFakePlugin("C:\\p\\xn.spi", {.apiVersion = "00XN"});
  InstallFakePlugin("C:\\p\\plain.spi", {.apiVersion = "00in"});
  for (const char* name : {"in", "am", "xn", "plain"}) {
    std::unique_ptr<PluginModule> module = CreatePluginModule(std::string("C:\\p\\") + name + ".spi");
    bool accept = true;
    AcceptImportFiltersOnly(module.get(), accept);
    EXPECT_EQ(accept, std::string(name) == "in") << name;
    accept = false;
    AcceptImportFiltersOnly(module.get(), accept);
    EXPECT_EQ(accept, std::string(name) == "in") << name;
  }
}

TEST_F(ManagerTest, TheRegisterHandlerRefusesOnlyTheExtensionStar) {
  for (const char* ext : {"*", "pic", "**", "*.*", "", " *"}) {
    const ImageFormat* cls = &TestGraphic::kFormat;
    RefuseStarExtension(ext, cls);
    EXPECT_EQ(cls, std::string(ext) == "*" ? nullptr : &TestGraphic::kFormat) << ext;
  }
  const ImageFormat* none = nullptr;
  RefuseStarExtension("pic", none);
  EXPECT_EQ(none, nullptr);
}

TEST_F(ManagerTest, WithTheMainWindowsHandlersTheSearchKeepsImportFiltersAndSkipsStar) {
  const std::set<std::string> archive = {"GetArchiveInfo", "GetFileInfo", "GetFile"};
  InstallFakePlugin("C:\\zeb\\arc.spi",
                    {.apiVersion = "00AM", .filters = {{"*.lzh", "LZH"}}, .extra = archive});
  Import("C:\\zeb\\star.spi", {{"*.*;*.st", "All"}, {"*.s2", "S2"}});
  Import("C:\\zeb\\ppm.spi", {{"*.ppm;*.pnm", "PPM"}});
  PluginManager spis;
  spis.OnSearch = [](PluginManager*, PluginModule* module, bool& accept) {
    AcceptImportFiltersOnly(module, accept);
  };
  spis.OnPictureRegister = [](PluginManager*, ImportModule*, const std::string& ext, const std::string&,
                              const ImageFormat*& cls) { RefuseStarExtension(ext, cls); };
  spis.Loaded();
  EXPECT_EQ(FileNames(spis), (std::vector<std::string>{"C:\\zeb\\star.spi", "C:\\zeb\\ppm.spi"}));
  EXPECT_EQ(headless::LibraryLoadCount("C:\\zeb\\arc.spi"), 0);
  EXPECT_EQ(PictureFormats::Find("lzh"), nullptr);
  EXPECT_EQ(PictureFormats::Find("*"), nullptr);
  EXPECT_EQ(PictureFormats::Find("st"), nullptr) << "refusing \"*\" also refuses the rest of its entry";
  EXPECT_EQ(PictureFormats::Find("s2"), &TestGraphic::kFormat);
  EXPECT_EQ(PictureFormats::Find("pnm"), &TestGraphic::kFormat);
  std::string mask = PictureFormats::FileMask();
  EXPECT_NE(mask.find("*.ppm"), std::string::npos) << mask;
  EXPECT_EQ(mask.find("*.*"), std::string::npos) << mask;
}

}  // namespace
}  // namespace zeb::spi::testing_support
