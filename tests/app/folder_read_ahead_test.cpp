// Folders listed ahead of a walk: every folder is listed once, whether a worker got to it first, is
// listing it now, or never started; and a stop forgets what was listed ahead.
#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "app/folder_read_ahead.h"
#include "platform/headless/headless.h"

namespace zeb::app {
namespace {

// The names of the entries, without "." and "..".
std::vector<std::string> Names(const std::vector<FindData>& entries) {
  std::vector<std::string> names;
  for (const FindData& entry : entries)
    if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
  return names;
}

// Counts the listings of each folder; can hold the listing of one folder until it is let go, and can
// fail the first listing of another.
class WatchedFileSystem : public headless::MemoryFileSystem {
 public:
  void Find(const std::string& pattern, const std::function<bool(const FindData&)>& each) override {
    {
      std::unique_lock lock(mutex);
      ++listings[pattern];
      changed.notify_all();
      if (pattern == failOnce) {
        failOnce.clear();
        throw std::runtime_error("listing failed");
      }
      if (pattern == held) {
        holding = true;
        changed.notify_all();
        changed.wait(lock, [&] { return held.empty(); });
      }
    }
    MemoryFileSystem::Find(pattern, each);
  }
  void WaitUntilHolding() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return holding; });
  }
  int Listings(const std::string& pattern) {
    std::lock_guard lock(mutex);
    return listings[pattern];
  }
  bool WaitUntilListed(const std::string& pattern) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), [&] { return listings[pattern] > 0; });
  }
  void LetGo() {
    std::lock_guard lock(mutex);
    held.clear();
    changed.notify_all();
  }

  std::mutex mutex;
  std::condition_variable changed;
  std::map<std::string, int> listings;
  std::string held, failOnce;
  bool holding = false;
};

class FolderReadAheadTest : public ::testing::Test {
 protected:
  // The workers run on threads of their own, as on Windows, whatever the headless platform does with
  // other background work.
  void SetUp() override {
    for (const char* path : {"C:\\a\\1.jpg", "C:\\b\\2.jpg", "C:\\c\\3.jpg", "C:\\c\\4.jpg"})
      fs.AddFile(path, "");
    SetFiles(&fs);
    headless::Background().threads = true;
  }
  // A worker a stop left behind still lists in FS: it goes before FS does.
  void TearDown() override {
    fs.LetGo();
    EXPECT_TRUE(WaitForBackgroundJobs(std::chrono::seconds(10)));
    headless::Background().threads = headless::BackgroundSettings::kBackgroundThreadsByDefault;
    SetFiles(nullptr);
  }
  WatchedFileSystem fs;
};

TEST_F(FolderReadAheadTest, EachFolderIsListedOnceWhoeverListsIt) {
  for (unsigned threads : {0u, 1u, 2u}) {
    fs.listings.clear();
    FolderReadAhead ahead(threads);
    ahead.Expect({"C:\\a\\", "C:\\b\\", "C:\\c\\"});
    EXPECT_EQ(Names(ahead.List("C:\\a\\")), std::vector<std::string>{"1.jpg"});
    EXPECT_EQ(Names(ahead.List("C:\\c\\")), (std::vector<std::string>{"3.jpg", "4.jpg"}));
    EXPECT_EQ(Names(ahead.List("C:\\b\\")), std::vector<std::string>{"2.jpg"});
    ahead.Stop();
    EXPECT_EQ(fs.listings, (std::map<std::string, int>{{"C:\\a\\*", 1}, {"C:\\b\\*", 1}, {"C:\\c\\*", 1}}))
        << threads << " threads";
  }
}

// What a worker lists leads it on into the subfolders the walk will enter, but not into links, hidden or
// system folders, and not into a folder already expected.
TEST_F(FolderReadAheadTest, WorkersGoOnIntoTheSubfoldersAWalkEnters) {
  fs.AddFile("C:\\t\\x\\y\\deep.jpg", "");
  fs.AddFolder("C:\\t\\hidden", kAttrDirectory | kAttrHidden);
  fs.AddFolder("C:\\t\\system", kAttrDirectory | kAttrSystem);
  fs.AddFolder("C:\\t\\link", kAttrDirectory | kAttrReparsePoint);
  FolderReadAhead ahead(1);
  ahead.Expect({"C:\\t\\"});
  fs.WaitUntilListed("C:\\t\\x\\y\\*");
  ahead.Expect({"C:\\t\\x\\"});  // as the walk does on entering C:\t
  EXPECT_EQ(Names(ahead.List("C:\\t\\x\\y\\")), std::vector<std::string>{"deep.jpg"});
  ahead.Stop();
  EXPECT_EQ(fs.listings,
            (std::map<std::string, int>{{"C:\\t\\*", 1}, {"C:\\t\\x\\*", 1}, {"C:\\t\\x\\y\\*", 1}}));
}

// Subfolders a worker finds wake the others: one slow folder does not hold up its siblings.
TEST_F(FolderReadAheadTest, SubfoldersFoundByOneWorkerAreListedByAnother) {
  fs.AddFile("C:\\t\\x\\1.jpg", "");
  fs.AddFile("C:\\t\\y\\2.jpg", "");
  fs.held = "C:\\t\\x\\*";
  FolderReadAhead ahead(2);
  ahead.Expect({"C:\\t\\"});
  EXPECT_TRUE(fs.WaitUntilListed("C:\\t\\y\\*"));
  fs.LetGo();
}

TEST_F(FolderReadAheadTest, AListingUnderWayIsWaitedForNotRepeated) {
  fs.held = "C:\\a\\*";
  FolderReadAhead ahead(1);
  ahead.Expect({"C:\\a\\"});
  fs.WaitUntilHolding();
  auto taken = std::async(std::launch::async, [&] { return Names(ahead.List("C:\\a\\")); });
  EXPECT_EQ(taken.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  fs.AddFile("C:\\a\\late.jpg", "");  // the worker has not read the folder yet
  fs.LetGo();
  EXPECT_EQ(taken.get(), (std::vector<std::string>{"1.jpg", "late.jpg"}));
  EXPECT_EQ(fs.listings["C:\\a\\*"], 1);
}

TEST_F(FolderReadAheadTest, AFailedListingAheadIsMadeAgainByTheWalk) {
  fs.failOnce = "C:\\b\\*";
  FolderReadAhead ahead(1);
  ahead.Expect({"C:\\b\\"});
  fs.WaitUntilListed("C:\\b\\*");
  EXPECT_EQ(Names(ahead.List("C:\\b\\")), std::vector<std::string>{"2.jpg"});
  EXPECT_EQ(fs.listings["C:\\b\\*"], 2);
}

TEST_F(FolderReadAheadTest, WorkersWaitWhileEnoughEntriesAreListedAhead) {
  FolderReadAhead ahead(1, 2);
  ahead.Expect({"C:\\c\\", "C:\\a\\"});
  fs.WaitUntilListed("C:\\c\\*");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(fs.Listings("C:\\a\\*"), 0);
  ahead.List("C:\\c\\");
  fs.WaitUntilListed("C:\\a\\*");
}

// A stop does not wait for a worker inside a slow listing (the window's thread would freeze with it):
// the worker ends on its own later and its listing is thrown away.
TEST_F(FolderReadAheadTest, AStopLeavesASlowListingBehind) {
  fs.held = "C:\\a\\*";
  FolderReadAhead ahead(1);
  ahead.Expect({"C:\\a\\"});
  fs.WaitUntilHolding();
  std::thread letGo([&] {
    std::this_thread::sleep_for(std::chrono::seconds(2));
    fs.LetGo();
  });
  const auto start = std::chrono::steady_clock::now();
  ahead.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  fs.AddFile("C:\\a\\new.jpg", "");
  letGo.join();
  EXPECT_TRUE(WaitForBackgroundJobs(std::chrono::seconds(10)));
  EXPECT_EQ(Names(ahead.List("C:\\a\\")), (std::vector<std::string>{"1.jpg", "new.jpg"}));
}

TEST_F(FolderReadAheadTest, AStopForgetsWhatWasListedAhead) {
  FolderReadAhead ahead(2);
  ahead.Expect({"C:\\a\\", "C:\\b\\"});
  fs.WaitUntilListed("C:\\a\\*");
  ahead.Stop();
  fs.AddFile("C:\\a\\new.jpg", "");
  EXPECT_EQ(Names(ahead.List("C:\\a\\")), (std::vector<std::string>{"1.jpg", "new.jpg"}));
}

}  // namespace
}  // namespace zeb::app
