// Folder scans on the in-memory file system: order, recursion, list files, attributes, the abort by
// Escape in the middle of a scan, and links that lead back into their own ancestors.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/core/errors.h"
#include "platform/core/strings.h"
#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;
using Strings = std::vector<std::string>;

class FolderScanTest : public AppTest {
 protected:
  // A main window ready to scan, as during start-up: pumping before every file.
  MainWindow& Scanner() {
    MainWindow& f = Make();
    f.pumpInterval = std::chrono::milliseconds(0);
    f.titleInterval = std::chrono::milliseconds(0);
    f.run.building = true;
    return f;
  }
  static void PressEscape(MainWindow& f) {
    uint16_t key = ui::VK_ESCAPE_;
    f.OnKey(key, 0);
  }
};

TEST_F(FolderScanTest, ExtensionsComeFromTheRegistryLatestFirstWithZebLast) {
  RegisterFake();
  MainWindow& f = Make();
  ASSERT_GE(f.PictureExtensions().size(), 3u);
  EXPECT_EQ(f.PictureExtensions().front(), ".FAK");
  EXPECT_EQ(f.PictureExtensions().back(), ".ZEB");
  for (const char* e : {".BMP", ".JPG", ".JPEG", ".ICO", ".EMF", ".WMF"})
    EXPECT_NE(std::find(f.PictureExtensions().begin(), f.PictureExtensions().end(), e),
              f.PictureExtensions().end())
        << e;
}

TEST_F(FolderScanTest, AFolderGivesItsPicturesSorted) {
  Fs().AddFile("C:\\p\\c.bmp", "");
  Fs().AddFile("C:\\p\\B.JPG", "");
  Fs().AddFile("C:\\p\\a.jpg", "");
  Fs().AddFile("C:\\p\\notes.txt", "");
  Scanner().AddFolder("C:\\p\\", true);
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\a.jpg", "C:\\p\\B.JPG", "C:\\p\\c.bmp"}));
}

// Each folder is listed once, and the names matched as the searches "*" + extension would: a
// plug-in's wildcard keeps its meaning, and a name matching two extensions is added for each.
TEST_F(FolderScanTest, OneListingPerFolderMatchesEveryExtensionItsWildcardsIncluded) {
  PictureFormats::Register("pi?", "Wildcard picture", &test::FakeImage::kFormat);
  PictureFormats::Register("pic", "Fake picture", &test::FakeImage::kFormat);
  for (const char* name : {"a.pic", "b.pi", "c.PIX", "d.jpg", "e.jpgx", "f.pict"})
    Fs().AddFile(std::string("C:\\p\\") + name, "");
  Fs().AddFile("C:\\p\\sub\\g.bmp", "");
  Fs().AddFile("C:\\p\\sub\\deeper\\h.bmp", "");
  MainWindow& f = Scanner();
  Fs().findCalls = 0;
  f.AddFolder("C:\\p\\", true);
  PictureFormats::UnregisterFormat(&test::FakeImage::kFormat);
  EXPECT_EQ(Fs().findCalls, 3);
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\a.pic", "C:\\p\\a.pic", "C:\\p\\b.pi", "C:\\p\\c.PIX", "C:\\p\\d.jpg",
                                "C:\\p\\sub\\deeper\\h.bmp", "C:\\p\\sub\\g.bmp"}));
}

TEST_F(FolderScanTest, EveryFileAttributeCountsButHiddenFoldersAreNotEntered) {
  Fs().AddFile("C:\\p\\h.jpg", "", kAttrHidden);
  Fs().AddFile("C:\\p\\s.jpg", "", kAttrSystem | kAttrReadOnly);
  Fs().AddFolder("C:\\p\\hid", kAttrDirectory | kAttrHidden);
  Fs().AddFile("C:\\p\\hid\\x.jpg", "");
  Fs().AddFolder("C:\\p\\sys", kAttrDirectory | kAttrSystem);
  Fs().AddFile("C:\\p\\sys\\y.jpg", "");
  Fs().AddFolder("C:\\p\\dir.jpg");
  Fs().AddFile("C:\\p\\dir.jpg\\z.jpg", "");
  Scanner().AddFolder("C:\\p\\", true);
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\dir.jpg\\z.jpg", "C:\\p\\h.jpg", "C:\\p\\s.jpg"}));
}

TEST_F(FolderScanTest, OwnPicturesComeBeforeSubfoldersAndRecursionIsOptional) {
  Fs().AddFile("C:\\p\\sub\\deep\\d.jpg", "");
  Fs().AddFile("C:\\p\\sub\\s.jpg", "");
  Fs().AddFile("C:\\p\\z.jpg", "");
  MainWindow& f = Scanner();
  Strings added;
  // The title shows each file as it is added.
  headless::OnProcessMessages() = [&] { added.push_back(f.Caption()); };
  f.AddFolder("C:\\p\\", false);
  EXPECT_EQ(Entries(), Strings{"C:\\p\\z.jpg"});
  f.Model().list.Clear();
  added.clear();
  f.AddFolder("C:\\p\\", true);
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\sub\\deep\\d.jpg", "C:\\p\\sub\\s.jpg", "C:\\p\\z.jpg"}));
  ASSERT_EQ(added.size(), 3u);
  EXPECT_EQ(f.Caption(), "C:\\p\\sub\\deep\\d.jpg");
  EXPECT_EQ(added[1], "C:\\p\\z.jpg");  // the caption before the second file was the first one
}

TEST_F(FolderScanTest, ListFilesInAFolderAddTheirPictures) {
  Fs().AddFile("C:\\p\\list.zeb",
               "D:\\x\\one.jpg\r\nrel\\two.BMP\r\n\r\nD:\\x\\other.zeb\r\nD:\\x\\t.txt\r\nnoext");
  Fs().AddFile("C:\\p\\a.jpg", "");
  Scanner().AddFolder("C:\\p\\", true);
  // Lines are taken as they stand: not expanded, the non-pictures gone.
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\a.jpg", "D:\\x\\one.jpg", "rel\\two.BMP"}));
}

TEST_F(FolderScanTest, TheSameFileReachedTwiceEndsAsOneEntry) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  AddFake("C:\\p\\b.fak");
  MainWindow& f = Make({"C:\\p", "C:\\p\\a.fak", "C:\\P\\a.fak"});
  // The path in other letter case stays as a second entry.
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\a.fak", "C:\\P\\a.fak", "C:\\p\\b.fak"}));
  EXPECT_TRUE(f.Model().showFullPath);
}

TEST_F(FolderScanTest, EscapeInTheMiddleStopsTheScanButTheFirstOfEachExtensionIsAdded) {
  for (const char* n : {"a", "b", "c"}) Fs().AddFile(std::string("C:\\p\\") + n + ".jpg", "");
  for (const char* n : {"d", "e"}) Fs().AddFile(std::string("C:\\p\\") + n + ".bmp", "");
  Fs().AddFile("C:\\p\\sub\\f.jpg", "");
  MainWindow& f = Scanner();
  int pumps = 0;
  headless::OnProcessMessages() = [&] {
    if (++pumps == 2) headless::PostTask([&] { PressEscape(f); });
  };
  f.AddFolder("C:\\p\\", true);
  EXPECT_TRUE(f.run.abortRequested);
  EXPECT_FALSE(f.impl().closed);
  // Escape came while the second file was being reached: it went in with the first, then no more.
  EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(FolderScanTest, EscapeDuringStartUpEndsTheProgramAfterTheFileArguments) {
  RegisterFake();
  for (int i = 0; i < 5; ++i) AddFake("C:\\p\\" + std::to_string(i) + ".fak");
  AddFake("C:\\single.fak");
  Fs().AddFile("C:\\p\\sub\\s.fak", "FAKE 1 1");
  bool pressed = false;
  // The window being made is the application's main form from its first moment.
  headless::OnProcessMessages() = [&] {
    if (!pressed && ui::App().MainForm) {
      pressed = true;
      PressEscape(static_cast<MainWindow&>(*ui::App().MainForm));
    }
  };
  MainWindow& f = Make({"C:\\p", "C:\\single.fak"});
  EXPECT_TRUE(f.run.abortRequested);
  EXPECT_TRUE(ui::App().Terminated());
  // No picture was shown, but the single file after the folder was still added.
  EXPECT_EQ(f.Caption(), "C:\\single.fak");
  Strings entries = Entries();
  EXPECT_EQ(entries.back(), "C:\\single.fak");
  EXPECT_LT(entries.size(), 7u);
}

TEST_F(FolderScanTest, KeysPressedDuringAScanSeeTheListBuiltSoFar) {
  for (int i = 0; i < 4; ++i) Fs().AddFile("C:\\p\\" + std::string(1, char('d' - i)) + ".jpg", "");
  MainWindow& f = Scanner();
  Strings seen;
  headless::OnProcessMessages() = [&] {
    int32_t n = f.Model().list.Count();
    seen.push_back(n ? f.Model().list.Entry(0) + "/" + std::to_string(n) : "none");
  };
  f.AddFolder("C:\\p\\", false);
  EXPECT_EQ(seen, (Strings{"none", "C:\\p\\d.jpg/1", "C:\\p\\c.jpg/2", "C:\\p\\b.jpg/3"}));
}

TEST_F(FolderScanTest, MessagesAreLetThroughAtMostOncePerInterval) {
  for (int i = 0; i < 50; ++i) Fs().AddFile("C:\\p\\" + std::to_string(i) + ".jpg", "");
  MainWindow& f = Scanner();
  f.pumpInterval = std::chrono::hours(1);
  f.titleInterval = std::chrono::hours(1);
  int pumps = 0;
  headless::OnProcessMessages() = [&] { ++pumps; };
  f.AddFolder("C:\\p\\", true);
  EXPECT_EQ(Entries().size(), 50u);
  EXPECT_LE(pumps, 1);
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

TEST_F(FolderScanTest, ALinkBackIntoAnAncestorIsNotFollowed) {
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
  Scanner().AddFolder("C:\\p\\", true);
  SetFiles(nullptr);
  // A link to a folder outside the walk is followed like any folder.
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\a.jpg", "C:\\p\\other\\c.jpg", "C:\\p\\sub\\b.jpg"}));
  // Identities are asked for the links and their ancestors only, once each.
  EXPECT_EQ(identities,
            (Strings{"C:\\p\\loop\\", "C:\\p\\", "C:\\p\\sub\\loop\\", "C:\\p\\sub\\", "C:\\p\\other\\"}));
}

TEST_F(FolderScanTest, AListFileThatCannotBeReadStopsTheScan) {
  Fs().AddFile("C:\\p\\a.jpg", "");
  Fs().AddFile("C:\\p\\l.zeb", "");
  Fs().SetLocked("C:\\p\\l.zeb", true);
  Fs().AddFile("C:\\p\\sub\\b.jpg", "");
  EXPECT_THROW(Scanner().AddFolder("C:\\p\\", true), FileOpenError);
  EXPECT_EQ(Entries(), Strings{"C:\\p\\a.jpg"});
}

}  // namespace
}  // namespace zeb::app
