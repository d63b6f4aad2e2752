// The list builder on the in-memory file system, with no window: the entries that folder walks, file
// arguments, drops and list files give, and the extensions that make a file a picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/list/list_builder.h"
#include "platform/core/errors.h"
#include "platform/core/strings.h"
#include "platform/headless/folder_identity.h"
#include "platform/headless/headless.h"
#include "tests/support/fake_graphic.h"

namespace zeb::app {
namespace {

using Strings = std::vector<std::string>;
using Build = std::function<void(ListBuilder&)>;

struct File {
  std::string path;
  std::string contents = {};
  uint32_t attributes = kAttrArchive;  // kAttrDirectory: a folder
};

class ListBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override { headless::ResetAll(); }
  void TearDown() override {
    SetFiles(nullptr);
    headless::FolderIdentityRule() = nullptr;
    headless::ResetAll();
  }
  static headless::MemoryFileSystem& Fs() { return headless::DefaultFiles(); }
  static void Make(const std::vector<File>& files) {
    for (const File& f : files)
      if (f.attributes & kAttrDirectory)
        Fs().AddFolder(f.path, f.attributes);
      else
        Fs().AddFile(f.path, f.contents, f.attributes);
  }
  // The entries a build gives with the extensions of Mask (folders listed on the walk's own thread).
  static Strings Built(const Build& build, const std::string& mask = "*.jpg;*.bmp") {
    ImageList list;
    ExtensionSet extensions(mask);
    FolderReadAhead folders(0);
    ListBuilder builder(list, extensions, {}, folders);
    build(builder);
    return list.Entries();
  }
};

// What each way in gives, as the list sorts it (duplicates are the tidying's to remove).
TEST_F(ListBuilderTest, WhatEachBuildAdds) {
  auto folder = [](bool recursive) { return [=](ListBuilder& b) { b.AddFolder("C:\\p\\", recursive); }; };
  auto arguments = [](Strings args, bool openInFolder = false) {
    return [=](ListBuilder& b) { b.AddArguments(args, 0, openInFolder); };
  };
  auto drop = [](Strings paths) {
    return [=](ListBuilder& b) {
      for (const std::string& p : paths) b.AddDropped(b.Classify(p));
    };
  };
  const std::vector<File> tree = {{"C:\\p\\sub\\deep\\d.jpg"}, {"C:\\p\\sub\\s.jpg"}, {"C:\\p\\z.jpg"}};
  const struct {
    const char* what;
    std::vector<File> files;
    Build build;
    Strings entries;
  } cases[] = {
      {"a folder's pictures, sorted",
       {{"C:\\p\\c.bmp"}, {"C:\\p\\B.JPG"}, {"C:\\p\\a.jpg"}, {"C:\\p\\notes.txt"}},
       folder(true),
       {"C:\\p\\a.jpg", "C:\\p\\B.JPG", "C:\\p\\c.bmp"}},
      {"every file attribute counts; hidden and system folders are not entered",
       {{"C:\\p\\h.jpg", "", kAttrHidden},
        {"C:\\p\\s.jpg", "", kAttrSystem | kAttrReadOnly},
        {"C:\\p\\hid", "", kAttrDirectory | kAttrHidden},
        {"C:\\p\\hid\\x.jpg"},
        {"C:\\p\\sys", "", kAttrDirectory | kAttrSystem},
        {"C:\\p\\sys\\y.jpg"},
        {"C:\\p\\dir.jpg", "", kAttrDirectory},
        {"C:\\p\\dir.jpg\\z.jpg"}},
       folder(true),
       {"C:\\p\\dir.jpg\\z.jpg", "C:\\p\\h.jpg", "C:\\p\\s.jpg"}},
      {"a walk without subfolders", tree, folder(false), {"C:\\p\\z.jpg"}},
      {"a walk with subfolders",
       tree,
       folder(true),
       {"C:\\p\\sub\\deep\\d.jpg", "C:\\p\\sub\\s.jpg", "C:\\p\\z.jpg"}},
      {"a list file in a folder adds its pictures' lines as they stand",
       {{"C:\\p\\list.zeb",
         "D:\\x\\one.jpg\r\nrel\\two.BMP\r\n\r\nD:\\x\\other.zeb\r\nD:\\x\\t.txt\r\nnoext"},
        {"C:\\p\\a.jpg"}},
       folder(true),
       {"C:\\p\\a.jpg", "D:\\x\\one.jpg", "rel\\two.BMP"}},
      {"missing, wildcard and foreign arguments add nothing",
       {{"C:\\p\\a.jpg"}, {"C:\\p\\notes.txt"}, {"C:\\800"}},
       arguments({"C:\\p\\missing.jpg", "C:\\p\\*.jpg", "C:\\p\\notes.txt", "C:\\800", ""}),
       {}},
      {"a folder argument is walked with its subfolders",
       tree,
       arguments({"C:\\p"}),
       {"C:\\p\\sub\\deep\\d.jpg", "C:\\p\\sub\\s.jpg", "C:\\p\\z.jpg"}},
      {"a file argument, twice, and a list file",
       {{"C:\\p\\a.jpg"}, {"C:\\l.zeb", "C:\\q\\b.bmp\r\n"}},
       arguments({"C:\\p\\a.jpg", "C:\\l.zeb", "C:\\P\\A.jpg"}),
       {"C:\\p\\a.jpg", "C:\\P\\a.jpg", "C:\\q\\b.bmp"}},
      {"opening in the folder adds the folder alone",
       tree,
       arguments({"C:\\p\\z.jpg"}, true),
       {"C:\\p\\z.jpg"}},
      {"a relative argument is expanded",
       {{"C:\\work\\p\\a.jpg"}},
       [](ListBuilder& b) {
         Fs().SetCurrentDirectory("C:\\work");
         b.AddArguments({"p\\a.jpg"}, 0, false);
       },
       {"C:\\work\\p\\a.jpg"}},
      {"a dropped list file merges its pictures",
       {{"C:\\l\\some.zeb", "C:\\q\\a.bmp\r\nC:\\q\\b.txt\r\nC:\\l\\other.zeb\r\n"}},
       drop({"C:\\l\\some.zeb"}),
       {"C:\\q\\a.bmp"}},
      {"a dropped drive root is walked without a doubled separator",
       {{"D:\\r.bmp"}, {"D:\\sub\\s.bmp"}},
       drop({"D:\\"}),
       {"D:\\r.bmp", "D:\\sub\\s.bmp"}},
      {"other files and vanished paths are dropped in vain",
       {{"C:\\p\\notes.txt"}},
       drop({"C:\\p\\notes.txt", "C:\\nothere.bmp", "C:\\nothere"}),
       {}},
  };
  for (const auto& c : cases) {
    headless::ResetAll();
    Make(c.files);
    EXPECT_EQ(Built(c.build), c.entries) << c.what;
  }
}

// Each folder is listed once, and the names matched as the searches "*" + extension would: a
// plug-in's wildcard keeps its meaning, and a name matching two extensions is added for each.
TEST_F(ListBuilderTest, OneListingPerFolderMatchesEveryExtensionItsWildcardsIncluded) {
  for (const char* name : {"a.pic", "b.pi", "c.PIX", "d.jpg", "e.jpgx", "f.pict"})
    Fs().AddFile(std::string("C:\\p\\") + name, "");
  Fs().AddFile("C:\\p\\sub\\g.bmp", "");
  Fs().AddFile("C:\\p\\sub\\deeper\\h.bmp", "");
  const Strings entries =
      Built([](ListBuilder& b) { b.AddFolder("C:\\p\\", true); }, "*.pic;*.pi?;*.jpg;*.bmp");
  EXPECT_EQ(Fs().findCalls, 3);
  EXPECT_EQ(entries, (Strings{"C:\\p\\a.pic", "C:\\p\\a.pic", "C:\\p\\b.pi", "C:\\p\\c.PIX", "C:\\p\\d.jpg",
                              "C:\\p\\sub\\deeper\\h.bmp", "C:\\p\\sub\\g.bmp"}));
}

TEST_F(ListBuilderTest, AListFileThatCannotBeReadStopsTheWalk) {
  Fs().AddFile("C:\\p\\a.jpg", "");
  Fs().AddFile("C:\\p\\l.zeb", "");
  Fs().SetLocked("C:\\p\\l.zeb", true);
  Fs().AddFile("C:\\p\\sub\\b.jpg", "");
  ImageList list;
  ExtensionSet extensions("*.jpg");
  FolderReadAhead folders(0);
  ListBuilder builder(list, extensions, {}, folders);
  EXPECT_THROW(builder.AddFolder("C:\\p\\", true), FileOpenError);
  EXPECT_EQ(list.Entries(), Strings{"C:\\p\\a.jpg"});
}

// A file system with a folder link: C:\p\loop leads back to C:\p, C:\p\other to C:\q.
class LinkingFileSystem : public headless::MemoryFileSystem {
 public:
  static std::string Resolve(std::string path) {
    for (;;) {
      std::string upper = UpperAscii(path);
      size_t at = upper.find("\\LOOP");
      size_t to = upper.find("\\OTHER");
      if (at != std::string::npos && (at + 5 == upper.size() || upper[at + 5] == '\\'))
        path = path.substr(0, at) + path.substr(at + 5);
      else if (to != std::string::npos && (to + 6 == upper.size() || upper[to + 6] == '\\'))
        path = "C:\\q" + path.substr(to + 6);
      else
        return path;
    }
  }
  void Find(const std::string& pattern, const std::function<bool(const FindData&)>& each) override {
    MemoryFileSystem::Find(Resolve(pattern), each);
  }
};

TEST_F(ListBuilderTest, ALinkBackIntoAnAncestorIsNotFollowed) {
  LinkingFileSystem fs;
  fs.AddFile("C:\\p\\a.jpg", "");
  fs.AddFolder("C:\\p\\loop", kAttrDirectory | kAttrReparsePoint);
  fs.AddFile("C:\\p\\sub\\b.jpg", "");
  fs.AddFolder("C:\\p\\sub\\loop", kAttrDirectory | kAttrReparsePoint);
  fs.AddFolder("C:\\p\\other", kAttrDirectory | kAttrReparsePoint);
  fs.AddFile("C:\\q\\c.jpg", "");
  SetFiles(&fs);
  Strings identities;
  headless::FolderIdentityRule() = [&](const std::string& folder) {
    identities.push_back(folder);
    std::string path = UpperAscii(LinkingFileSystem::Resolve(folder));
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
  };
  // A link to a folder outside the walk is followed like any folder.
  EXPECT_EQ(Built([](ListBuilder& b) { b.AddFolder("C:\\p\\", true); }),
            (Strings{"C:\\p\\a.jpg", "C:\\p\\other\\c.jpg", "C:\\p\\sub\\b.jpg"}));
  // Identities are asked for the links and their ancestors only, once each.
  EXPECT_EQ(identities,
            (Strings{"C:\\p\\loop\\", "C:\\p\\", "C:\\p\\sub\\loop\\", "C:\\p\\sub\\", "C:\\p\\other\\"}));
}

// A file system that knows one short (8.3) name, as Windows reports the long name for it.
class ShortNameFileSystem : public headless::MemoryFileSystem {
 public:
  void Find(const std::string& pattern, const std::function<bool(const FindData&)>& each) override {
    if (SameTextAscii(pattern, "C:\\pics\\LONGPI~1.JPG")) {
      each({"Long picture name.jpg", kAttrArchive});
      return;
    }
    MemoryFileSystem::Find(pattern, each);
  }
};

TEST_F(ListBuilderTest, AShortNameArgumentBecomesTheLongNameTheFileSystemReports) {
  ShortNameFileSystem fs;
  fs.AddFile("C:\\pics\\Long picture name.jpg", "");
  SetFiles(&fs);
  EXPECT_EQ(Built([](ListBuilder& b) { b.AddArguments({"C:\\pics\\LONGPI~1.JPG"}, 0, false); }),
            Strings{"C:\\pics\\Long picture name.jpg"});
}

TEST_F(ListBuilderTest, ExtensionsComeFromTheRegistryLatestFirstWithZebLast) {
  PictureFormats::Register("fak", "Fake picture", &test::FakeImage::kFormat);
  const Strings all = ExtensionSet::Registered().All();
  PictureFormats::UnregisterFormat(&test::FakeImage::kFormat);
  ASSERT_GE(all.size(), 3u);
  EXPECT_EQ(all.front(), ".FAK");
  EXPECT_EQ(all.back(), ".ZEB");
  for (const char* e : {".BMP", ".JPG", ".JPEG", ".ICO", ".EMF", ".WMF"})
    EXPECT_NE(std::find(all.begin(), all.end(), e), all.end()) << e;
}

TEST_F(ListBuilderTest, FilterPicturesKeepsPicturesOnly) {
  Strings lines{"C:\\a.FAK",     "",          "C:\\noext",     "C:\\nested.zeb",
                "C:\\notes.txt", "C:\\b.bmp", "C:\\dir.fak\\x"};
  ExtensionSet("*.fak;*.bmp").FilterPictures(lines);
  EXPECT_EQ(lines, (Strings{"C:\\a.FAK", "C:\\b.bmp"}));
}

}  // namespace
}  // namespace zeb::app
