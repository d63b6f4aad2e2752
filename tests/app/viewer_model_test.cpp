// The model's list rules with no window, the order in which broken entries are tried, and the key
// table read as data.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/dialogs/help_window.h"
#include "app/key_table.h"
#include "app/model/viewer_model.h"
#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using Strings = std::vector<std::string>;

ViewerModel With(const Strings& paths) {
  ViewerModel model;
  for (const std::string& p : paths) model.list.Add(p);
  return model;
}

TEST(ViewerModelTest, ARangeDeleteMovesTheMarkAndCurrentAsSingleDeletesWould) {
  struct Row {
    int32_t first, count, mark, current;
    int32_t markAfter, currentAfter;
  };
  const Row rows[] = {
      {1, 2, 0, 0, 0, 0},    // before both: unchanged
      {1, 2, 1, 0, -1, 0},   // the mark's picture goes
      {1, 2, 2, 0, -1, 0},   // the last of the range
      {1, 2, 4, 4, 2, 2},    // after: the mark follows its picture, the index stays in the list
      {3, 2, 0, 4, 0, 2},    // the current entry at the end goes: the new last one
      {0, 5, 3, 3, -1, -1},  // everything: no current entry
  };
  for (const Row& r : rows) {
    ViewerModel model = With({"C:\\a", "C:\\b", "C:\\c", "C:\\d", "C:\\e"});
    model.mark = r.mark;
    model.current = r.current;
    model.DeleteRange(r.first, r.count);
    EXPECT_EQ(model.mark, r.markAfter) << r.first << "+" << r.count << " mark " << r.mark;
    EXPECT_EQ(model.current, r.currentAfter) << r.first << "+" << r.count;
    EXPECT_EQ(model.list.Count(), 5 - r.count);
  }
}

TEST(ViewerModelTest, RemovingAFolderTakesEveryPathUnderItWhereverItStands) {
  ViewerModel model =
      With({"C:\\a\\1.jpg", "C:\\a\\sub\\2.jpg", "C:\\a\\z.jpg", "C:\\ab\\3.jpg", "C:\\b\\4.jpg"});
  model.mark = 4;
  model.RemoveFolder("C:\\a\\");
  EXPECT_EQ(model.list.Entries(), (Strings{"C:\\ab\\3.jpg", "C:\\b\\4.jpg"}));
  EXPECT_EQ(model.mark, 1);
}

TEST(ViewerModelTest, EachNameTakesTheLastEqualEntryLeft) {
  ViewerModel model = With({"C:\\a.jpg", "C:\\b.jpg", "C:\\b.jpg", "C:\\B.JPG", "C:\\c.jpg"});
  model.list.Count();
  model.mark = 1;
  int changes = 0;
  model.list.OnChange = [&](int32_t) { ++changes; };
  model.RemoveNames({"c:\\b.jpg", "C:\\B.jpg", "C:\\none.jpg", "C:\\a.jpg"});
  EXPECT_EQ(model.list.Entries(), (Strings{"C:\\b.jpg", "C:\\c.jpg"}));
  EXPECT_EQ(model.mark, 0);
  EXPECT_EQ(changes, 1);
}

TEST(ViewerModelTest, HalfOfALongListLeavesInOneChange) {
  ViewerModel model;
  for (int i = 0; i < 100000; ++i) model.list.Add((i % 2 ? "C:\\odd\\" : "C:\\even\\") + std::to_string(i));
  model.list.Count();
  model.current = 99999;
  int changes = 0;
  model.list.OnChange = [&](int32_t) { ++changes; };
  model.RemoveFolder("C:\\odd\\");
  EXPECT_EQ(model.list.Count(), 50000);
  EXPECT_EQ(model.current, 49999);
  EXPECT_EQ(changes, 1);
}

TEST(ViewerModelTest, StepsStopAtTheEndsOrWrapWithLoop) {
  ViewerModel model = With({"C:\\a", "C:\\b", "C:\\c"});
  EXPECT_TRUE(model.Step(5, true));
  EXPECT_EQ(model.current, 2);
  EXPECT_FALSE(model.Step(1, true));
  model.modes.loop = true;
  EXPECT_TRUE(model.Step(2, true));
  EXPECT_EQ(model.current, 1);
  EXPECT_TRUE(model.Step(3, false));
  EXPECT_EQ(model.current, 1);
}

class BrokenEntriesTest : public testing_support::AppTest {};

// Broken entries leave in one step, but are tried in the order single deletes gave: on forward, then
// back from the end; the bookmark follows its picture.
TEST_F(BrokenEntriesTest, ARunIsTriedForwardThenBackAndLeavesAtOnce) {
  RegisterFake();
  for (const char* name : {"a", "c", "f"}) AddFake(std::string("C:\\p\\") + name + ".fak");
  MainWindow& f = Make();
  for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h"})
    f.Model().list.Add(std::string("C:\\p\\") + name + ".fak");
  f.Model().list.Count();  // the entries sorted in
  int changes = 0;
  f.Model().list.OnChange = [&](int32_t) { ++changes; };

  f.Model().current = 3;  // d, e broken, then f
  f.Model().mark = 7;
  f.Run(Command::Reload);
  EXPECT_EQ(f.Shown().name, "f.fak");
  EXPECT_EQ(f.Model().current, 3);
  EXPECT_EQ(f.Model().mark, 5);
  EXPECT_EQ(changes, 1);

  f.Model().current = 4;  // g, h broken to the end, then back to f
  f.Run(Command::Reload);
  EXPECT_EQ(f.Shown().name, "f.fak");
  EXPECT_EQ(f.Model().current, 3);
  EXPECT_EQ(f.Model().mark, -1);
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\a.fak", "C:\\p\\b.fak", "C:\\p\\c.fak", "C:\\p\\f.fak"}));
}

std::vector<Command> CommandsFor(uint16_t key, KeyPress press) {
  std::vector<Command> commands;
  press.key = key;
  for (const KeyBinding& row : KeyTable())
    if (Matches(row, press)) commands.push_back(row.command);
  return commands;
}

TEST(KeyTableTest, OnePressMayRunSeveralRowsInTableOrder) {
  using C = Command;
  const KeyPress plain{0, false, false, false}, shift{0, true, false, false}, ctrl{0, false, false, true};
  EXPECT_EQ(CommandsFor('N', plain), (std::vector<C>{C::SlideForward, C::Next}));
  EXPECT_EQ(CommandsFor('S', shift), (std::vector<C>{C::ToggleEnlargeSmall, C::ShowEnlarged}));
  EXPECT_EQ(CommandsFor('N', ctrl), (std::vector<C>{C::NextFolder}));
  EXPECT_EQ(CommandsFor(ui::VK_ESCAPE_, ctrl), (std::vector<C>{C::StopBuild, C::Quit}));
  // Alt does not change which rows a letter reaches.
  EXPECT_EQ(CommandsFor('P', {0, false, true, false}), CommandsFor('P', plain));
}

TEST(KeyTableTest, NoTwoRowsShareKeyModifiersAndConditions) {
  const auto table = KeyTable();
  for (size_t i = 0; i < table.size(); ++i)
    for (size_t j = i + 1; j < table.size(); ++j)
      EXPECT_FALSE(table[i].key == table[j].key && table[i].modifiers == table[j].modifiers &&
                   table[i].conditions == table[j].conditions)
          << KeyName(table[i]) << ": " << CommandText(table[i].command);
}

// The words of a text, split at spaces, commas, slashes and brackets.
std::set<std::string> Words(const std::string& text) {
  std::set<std::string> words;
  std::string word;
  for (char c : text + " ") {
    if (std::string(" ,/()\n.").find(c) == std::string::npos) {
      word += c;
    } else if (!word.empty()) {
      words.insert(word);
      word.clear();
    }
  }
  return words;
}

// The help window and the README's key list are checked against the table, so neither can drift.
TEST(KeyTableTest, TheHelpAndTheReadmeNameEveryKeyOfTheTable) {
  std::string help;
  for (const std::string& line : HelpLines()) help += line + "\n";
  std::ifstream readme(ZEB_SOURCE_DIR "/README.md");
  std::stringstream text;
  text << readme.rdbuf();
  const std::string all = text.str();
  const size_t keys = all.find("Keys: ");
  ASSERT_NE(keys, std::string::npos);
  const std::set<std::string> helpWords = Words(help);
  const std::set<std::string> readmeWords = Words(all.substr(keys, all.find("\n\n", keys) - keys));
  for (const KeyBinding& row : KeyTable()) {
    EXPECT_TRUE(helpWords.count(KeyName(row))) << KeyName(row) << " is not in the help";
    EXPECT_TRUE(readmeWords.count(KeyName(row))) << KeyName(row) << " is not in the README";
  }
}

}  // namespace
}  // namespace zeb::app
