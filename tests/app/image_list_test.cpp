// The image list model and the edits of the list: order, tidying, deleting and removing.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/core/errors.h"
#include "platform/services/collation.h"
#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;
using Strings = std::vector<std::string>;

TEST(ImageListTest, EntriesStandInCaseInsensitiveOrder) {
  ImageList list;
  list.Add("C:\\p\\c.bmp");
  list.Add("C:\\p\\B.JPG");
  list.Add("C:\\p\\a.jpg");
  EXPECT_EQ(list.Entries(), (Strings{"C:\\p\\a.jpg", "C:\\p\\B.JPG", "C:\\p\\c.bmp"}));
  // A later add is sorted in among the earlier ones.
  list.Add("C:\\p\\Ab.png");
  EXPECT_EQ(list.Entry(1), "C:\\p\\Ab.png");
  EXPECT_EQ(list.Count(), 4);
}

TEST(ImageListTest, ANewEntryGoesAfterEqualOnes) {
  ImageList list;
  list.Add("C:\\p\\A.jpg");
  EXPECT_EQ(list.Count(), 1);
  list.Add("C:\\p\\a.jpg");
  list.Add("C:\\p\\a.JPG");
  EXPECT_EQ(list.Entries(), (Strings{"C:\\p\\A.jpg", "C:\\p\\a.jpg", "C:\\p\\a.JPG"}));
}

// A long scan's entries are keyed and sorted a chunk at a time beside it, then merged: the order is one
// sort of them all, equal keys in the order they were added, whatever chunk they came in.
TEST(ImageListTest, ManyEntriesSortAsOneWithEqualKeysInTheOrderAdded) {
  Strings added;
  for (int i = 0; i < 3 * 4096 + 100; ++i)
    added.push_back("C:\\p\\" + std::to_string(i * 7919 % 5000) + (i % 2 ? "A" : "a") + ".jpg");
  ImageList list;
  for (const std::string& path : added) list.Add(path);
  Strings expected = added;
  std::stable_sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
    return CollationKey(a) < CollationKey(b);
  });
  EXPECT_EQ(list.Entries(), expected);
}

TEST(ImageListTest, ASubfolderSortsAmongItsParentsFilesByName) {
  ImageList list;
  for (const char* p : {"C:\\p\\z.jpg", "C:\\p\\m\\a.jpg", "C:\\p\\a.jpg"}) list.Add(p);
  EXPECT_EQ(list.Entries(), (Strings{"C:\\p\\a.jpg", "C:\\p\\m\\a.jpg", "C:\\p\\z.jpg"}));
}

TEST(ImageListTest, EveryReadSeesTheWholeListAndTheListBoxIsToldItsCount) {
  ImageList list;
  std::vector<int32_t> told;
  list.OnChange = [&](int32_t count) { told.push_back(count); };
  for (int i = 0; i < 3; ++i) list.Add("C:\\" + std::to_string(i) + ".jpg");
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(list.Count(), 3);
  list.Add("C:\\9.jpg");
  EXPECT_EQ(list.Entry(3), "C:\\9.jpg");
  list.Delete(0);
  list.Clear();
  EXPECT_EQ(told, (std::vector<int32_t>{3, 4, 3, 0}));
}

TEST(ImageListTest, OutOfRangeIndexesRaise) {
  ImageList list;
  list.Add("C:\\a.jpg");
  EXPECT_THROW(list.Entry(1), IndexError);
  EXPECT_THROW(list.Entry(-1), IndexError);
  EXPECT_THROW(list.Delete(1), IndexError);
}

TEST(ImageListTest, AdjacentDuplicatesAreExactMatches) {
  ImageList list;
  for (const char* p : {"C:\\a.jpg", "C:\\A.jpg", "C:\\a.jpg", "C:\\b.jpg", "C:\\b.jpg", "C:\\b.jpg"})
    list.Add(p);
  // Equal keys keep the order they came in, so the two a.jpg are not neighbours.
  EXPECT_EQ(list.RemoveAdjacentDuplicates(), 2);
  EXPECT_EQ(list.Entries(), (Strings{"C:\\a.jpg", "C:\\A.jpg", "C:\\a.jpg", "C:\\b.jpg"}));
}

class ListEditTest : public AppTest {
 protected:
  MainWindow& WithEntries(const Strings& entries) {
    MainWindow& f = Make();
    for (const auto& e : entries) f.Model().list.Add(e);
    return f;
  }
};

TEST_F(ListEditTest, TidyListReducesDuplicatesAndNoticesSeveralFolders) {
  MainWindow& f = WithEntries({"C:\\p\\a.jpg", "C:\\p\\a.jpg", "C:\\p\\A.jpg", "C:\\p\\b.jpg"});
  f.Model().Tidy();
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\a.jpg", "C:\\p\\A.jpg", "C:\\p\\b.jpg"}));
  EXPECT_FALSE(f.Model().showFullPath);
  f.Model().list.Add("C:\\q\\c.jpg");
  f.Model().Tidy();
  EXPECT_TRUE(f.Model().showFullPath);
  // It never turns it off again.
  f.Model().list.Delete(3);
  f.Model().Tidy();
  EXPECT_TRUE(f.Model().showFullPath);
}

TEST_F(ListEditTest, FolderPartsCompareExactly) {
  MainWindow& f = WithEntries({"C:\\P\\b.jpg", "C:\\p\\a.jpg"});
  f.Model().Tidy();
  EXPECT_TRUE(f.Model().showFullPath);
}

TEST_F(ListEditTest, DeletingKeepsTheBookmarkOnItsPicture) {
  MainWindow& f = WithEntries({"C:\\a.jpg", "C:\\b.jpg", "C:\\c.jpg", "C:\\d.jpg"});
  f.Model().mark = 2;
  f.Model().current = 3;
  f.Model().Delete(1);
  EXPECT_EQ(f.Model().mark, 1);
  EXPECT_EQ(Entries()[f.Model().mark], "C:\\c.jpg");
  // CurrentIndex stays although an entry before it went; it now equals the count and steps back.
  EXPECT_EQ(f.Model().current, 2);
  f.Model().current = 0;
  f.Model().Delete(1);
  EXPECT_EQ(f.Model().mark, -1);
  EXPECT_EQ(f.Model().current, 0);
  f.Model().Delete(1);
  EXPECT_EQ(f.Model().mark, -1);
}

TEST_F(ListEditTest, DeletingTheOnlyEntryLeavesNoCurrentEntry) {
  MainWindow& f = WithEntries({"C:\\a.jpg"});
  f.Model().current = 0;
  f.Run(Command::Remove, {.index = 0});
  EXPECT_EQ(f.Model().current, -1);
  EXPECT_EQ(f.Caption(), "<empty>");
  // An empty list is left alone.
  f.Run(Command::Remove, {.index = 0});
  EXPECT_EQ(f.Model().current, -1);
}

// An Alt-drop takes entries out; the title names what goes while it goes.
TEST_F(ListEditTest, AltDropsTakeOutAFolderWithItsSubfoldersAFileOrWhatAListFileNames) {
  struct Case {
    Strings entries;
    std::string dropped;
    Strings left;
    std::string titleWhileRemoving;
  } cases[] = {
      {{"C:\\p\\a.jpg", "C:\\p\\s\\b.jpg", "C:\\P\\c.jpg", "C:\\pq\\d.jpg", "C:\\q\\e.jpg"},
       "C:\\p",
       {"C:\\P\\c.jpg", "C:\\pq\\d.jpg", "C:\\q\\e.jpg"},
       "C:\\p\\..."},
      {{"C:\\p\\a.jpg", "C:\\p\\A.jpg", "C:\\p\\b.jpg"},
       "C:\\P\\A.JPG",
       {"C:\\p\\a.jpg", "C:\\p\\b.jpg"},
       "C:\\P\\A.JPG"},
      {{"C:\\p\\a.jpg", "C:\\p\\b.jpg", "C:\\p\\c.jpg"}, "C:\\l.zeb", {"C:\\p\\b.jpg"}, "C:\\l.zeb"},
  };
  Fs().AddFolder("C:\\p");
  Fs().AddFile("C:\\P\\A.JPG", "");
  Fs().AddFile("C:\\l.zeb", "c:\\p\\A.jpg\r\nC:\\p\\c.jpg\r\nC:\\p\\zzz.jpg\r\n");
  for (const Case& c : cases) {
    MainWindow& f = WithEntries(c.entries);
    f.Model().list.Count();
    // What the removal left, before the entries that are no pictures leave as they are shown.
    std::string title;
    Strings left;
    f.Model().list.OnChange = [&](int32_t) {
      if (!title.empty()) return;
      title = f.Caption();
      left = Entries();
    };
    ui::App().Guard([&] { f.OnDropFiles({c.dropped}, ui::kAlt); });
    EXPECT_EQ(left, c.left) << c.dropped;
    EXPECT_EQ(title, c.titleWhileRemoving) << c.dropped;
  }
}

TEST_F(ListEditTest, RemoveCurrentFolderShowsWhatFollowed) {
  RegisterFake();
  for (const char* p : {"C:\\a\\1.fak", "C:\\a\\2.fak", "C:\\b\\3.fak", "C:\\b\\4.fak", "C:\\c\\5.fak"})
    AddFake(p);
  MainWindow& f = Make({"C:\\a", "C:\\b", "C:\\c"});
  f.Model().current = 0;
  f.Run(Command::RemoveFolder);
  EXPECT_EQ(Entries().size(), 3u);
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_EQ(f.Shown().name, "C:\\b\\3.fak");
  f.Model().current = 2;  // the last folder
  f.Run(Command::RemoveFolder);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(f.Shown().name, "C:\\b\\4.fak");
  f.Model().current = 1;  // the middle of the only folder left
  f.Run(Command::RemoveFolder);
  EXPECT_EQ(f.Model().current, -1);
  EXPECT_EQ(f.Caption(), "<empty>");
}

}  // namespace
}  // namespace zeb::app
