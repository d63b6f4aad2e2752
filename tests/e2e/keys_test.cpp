// The key commands of the real zeb.exe, pressed through the system's input queue: walking the list,
// the bookmark, removing entries, moving the window, the slide show and the number dialog.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tools/driver/status_title.h"
#include "tests/e2e/common/test_folder.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

struct Picture {
  const char* name;
  int width, height;
};

// Wider than the smallest window the system allows, so that every client area follows its picture.
const Picture kA{"a.bmp", 160, 120}, kB{"b.jpg", 170, 130}, kC{"c.bmp", 180, 140}, kD{"d.bmp", 190, 150},
    kE{"e.jpg", 200, 160};

std::string TitleOf(const Picture& p, int position, int count, const std::string& modes = "F") {
  return "[" + modes + "] (" + std::to_string(position) + "/" + std::to_string(count) + ") " + p.name + " " +
         std::to_string(p.width) + "x" + std::to_string(p.height) + " 100%";
}

class KeysTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const Picture* p : {&kA, &kB, &kC, &kD, &kE}) {
      std::string name = p->name;
      if (name.ends_with(".jpg"))
        folder.WriteJpeg("pics/" + name, p->width, p->height);
      else
        folder.WriteBmp("pics/" + name, p->width, p->height, p == &kC ? 8 : 24);
    }
    ASSERT_TRUE(zeb.Start(ZebExe(), {folder.Path("pics")}, folder.root())) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForTitleEq(TitleOf(kA, 1, 5))) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  }

  // Presses a key and waits for the title it should bring.
  void PressAndExpect(UINT vk, unsigned modifiers, const std::string& title) {
    ASSERT_TRUE(zeb.PressKey(vk, modifiers)) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForTitleEq(title)) << zeb.failure() << " (after key " << vk << ")";
    EXPECT_TRUE(zeb.WaitForClient(ClientFor(title))) << zeb.failure();
  }
  void PressAndExpect(UINT vk, const std::string& title) { PressAndExpect(vk, kNoModifier, title); }

  static ClientSize ClientFor(const std::string& title) {
    auto s = ParseStatusTitle(title);
    return s ? ClientSize{s->width, s->height} : ClientSize{};
  }

  // Waits until every key pressed so far has been handled: L toggles the loop letter in the title
  // and a second L restores it, and keys are handled in order.
  void Settle() {
    std::string before = zeb.Title();
    auto status = ParseStatusTitle(before);
    ASSERT_TRUE(status) << "no status line to settle on: " << before;
    bool looping = status->modes.find('L') != std::string::npos;
    ASSERT_TRUE(zeb.PressKey('L')) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForTitle(
        [&](const std::string& t) {
          auto s = ParseStatusTitle(t);
          return s && (s->modes.find('L') != std::string::npos) != looping;
        },
        "with the loop letter toggled"))
        << zeb.failure();
    ASSERT_TRUE(zeb.PressKey('L')) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForTitleEq(before)) << zeb.failure();
  }

  // Presses a key that must change nothing the title shows.
  void PressAndExpectNoChange(UINT vk, unsigned modifiers = kNoModifier) {
    std::string before = zeb.Title();
    ASSERT_TRUE(zeb.PressKey(vk, modifiers)) << zeb.failure();
    Settle();
    EXPECT_EQ(zeb.Title(), before) << "after key " << vk;
  }

  // Opens the number dialog with KEY, checks its preset, types TEXT and presses FINISH (Enter or
  // Escape).
  void AnswerDialog(UINT key, const std::string& caption, const std::string& preset, const std::string& text,
                    UINT finish = VK_RETURN) {
    ASSERT_TRUE(zeb.PressKey(key)) << zeb.failure();
    HWND dialog = zeb.WaitForWindowWithCaption(caption);
    ASSERT_NE(dialog, nullptr) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForEditText(dialog, preset)) << zeb.failure();
    // The preset is selected, so typing replaces it.
    ASSERT_TRUE(zeb.TypeText(dialog, text)) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForEditText(dialog, text.empty() ? preset : text)) << zeb.failure();
    ASSERT_TRUE(zeb.PressKeyIn(dialog, finish)) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForWindowGone(dialog)) << zeb.failure();
  }

  void SetInterval(const std::string& ms) { AnswerDialog('I', "Interval", "2500", ms); }

  TestFolder folder;
  ZebProcess zeb;
};

TEST_F(KeysTest, StepKeysWalkTheListAndStopAtItsEnds) {
  PressAndExpect('N', TitleOf(kB, 2, 5));
  PressAndExpect(VK_SPACE, TitleOf(kC, 3, 5));
  // P also turns the slide direction backward, which the title shows.
  PressAndExpect('P', TitleOf(kB, 2, 5, "B"));
  PressAndExpect(VK_BACK, TitleOf(kA, 1, 5, "B"));
  PressAndExpectNoChange('P');
  PressAndExpectNoChange(VK_BACK);
  PressAndExpect('E', TitleOf(kE, 5, 5, "B"));
  // N at the end only turns the direction forward.
  PressAndExpect('N', TitleOf(kE, 5, 5));
  PressAndExpectNoChange('N');
  PressAndExpectNoChange(VK_SPACE);
  PressAndExpect('A', TitleOf(kA, 1, 5));
  PressAndExpect(VK_SPACE, TitleOf(kB, 2, 5));
}

TEST_F(KeysTest, LoopModeWrapsAtBothEnds) {
  PressAndExpect('L', TitleOf(kA, 1, 5, "FL"));
  PressAndExpect('P', TitleOf(kE, 5, 5, "BL"));
  PressAndExpect('N', TitleOf(kA, 1, 5, "FL"));
  PressAndExpect(VK_BACK, TitleOf(kE, 5, 5, "FL"));
  PressAndExpect(VK_SPACE, TitleOf(kA, 1, 5, "FL"));
  PressAndExpect('L', TitleOf(kA, 1, 5));
  PressAndExpect('P', TitleOf(kA, 1, 5, "B"));
}

TEST_F(KeysTest, MarkGoAndSwap) {
  // The mark starts on the first entry.
  PressAndExpect('E', TitleOf(kE, 5, 5));
  PressAndExpect('G', TitleOf(kA, 1, 5));
  PressAndExpect('N', TitleOf(kB, 2, 5));
  ASSERT_TRUE(zeb.PressKey('M')) << zeb.failure();
  PressAndExpect('E', TitleOf(kE, 5, 5));
  PressAndExpect('G', TitleOf(kB, 2, 5));
  PressAndExpectNoChange('G');
  PressAndExpect('E', TitleOf(kE, 5, 5));
  // X alternates between the mark and where it was pressed.
  PressAndExpect('X', TitleOf(kB, 2, 5));
  PressAndExpect('X', TitleOf(kE, 5, 5));
  PressAndExpect('X', TitleOf(kB, 2, 5));
}

TEST_F(KeysTest, DeleteRemovesTheEntryButNeverTheFile) {
  PressAndExpect('N', TitleOf(kB, 2, 5));
  PressAndExpect('N', TitleOf(kC, 3, 5));
  PressAndExpect('D', TitleOf(kD, 3, 4));
  EXPECT_TRUE(folder.Exists("pics/c.bmp"));
  // Removing the last entry shows the new last one.
  PressAndExpect('E', TitleOf(kE, 4, 4));
  PressAndExpect('D', TitleOf(kD, 3, 3));
  EXPECT_TRUE(folder.Exists("pics/e.jpg"));
  PressAndExpect('A', TitleOf(kA, 1, 3));
  PressAndExpect('D', TitleOf(kB, 1, 2));
  PressAndExpect('D', TitleOf(kD, 1, 1));
  // The last entry goes too: the empty state.
  ASSERT_TRUE(zeb.PressKey('D')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("<empty>")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({200, 200})) << zeb.failure();
}

TEST_F(KeysTest, CtrlArrowsHoldTheWindowAtTheWorkAreaEdges) {
  const ScreenRect area = WorkArea();
  ASSERT_TRUE(zeb.PressKey(VK_LEFT, kCtrl)) << zeb.failure();
  ASSERT_TRUE(
      zeb.WaitForWindowRect([&](const ScreenRect& r) { return r.left == area.left; }, "at the left edge"))
      << zeb.failure();
  ASSERT_TRUE(zeb.PressKey(VK_UP, kCtrl)) << zeb.failure();
  ASSERT_TRUE(
      zeb.WaitForWindowRect([&](const ScreenRect& r) { return r.top == area.top && r.left == area.left; },
                            "in the top-left corner"))
      << zeb.failure();
  // The next picture, of another size, stays in the corner.
  PressAndExpect('E', TitleOf(kE, 5, 5));
  ScreenRect rect = zeb.WindowRect();
  EXPECT_EQ(rect.left, area.left) << Describe(rect);
  EXPECT_EQ(rect.top, area.top) << Describe(rect);

  ASSERT_TRUE(zeb.PressKey(VK_RIGHT, kCtrl)) << zeb.failure();
  ASSERT_TRUE(zeb.PressKey(VK_DOWN, kCtrl)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForWindowRect(
      [&](const ScreenRect& r) { return r.right == area.right && r.bottom == area.bottom; },
      "in the bottom-right corner"))
      << zeb.failure();
  PressAndExpect('A', TitleOf(kA, 1, 5));
  rect = zeb.WindowRect();
  EXPECT_EQ(rect.right, area.right) << Describe(rect);
  EXPECT_EQ(rect.bottom, area.bottom) << Describe(rect);
}

TEST_F(KeysTest, ArrowsMoveTheWindowByTheirStepWithoutResizingIt) {
  const ScreenRect area = WorkArea();
  ASSERT_TRUE(zeb.PressKey('C')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForWindowRect(
      [&](const ScreenRect& r) {
        return r.left == (area.width() - r.width()) / 2 + area.left &&
               r.top == (area.height() - r.height()) / 2 + area.top;
      },
      "centred"))
      << zeb.failure();
  const ScreenRect start = zeb.WindowRect();

  struct Move {
    UINT vk;
    unsigned modifiers;
    int dx, dy;
  };
  const Move moves[] = {{VK_LEFT, kNoModifier, -20, 0}, {VK_LEFT, kShift, -50, 0},
                        {VK_LEFT, kAlt, -1, 0},         {VK_RIGHT, kNoModifier, 20, 0},
                        {VK_UP, kNoModifier, 0, -20},   {VK_DOWN, kShift, 0, 50},
                        {VK_UP, kAlt, 0, -1},           {VK_LEFT, kShift | kAlt, -50, 0}};
  ScreenRect expected = start;
  for (const Move& m : moves) {
    expected.left += m.dx;
    expected.right += m.dx;
    expected.top += m.dy;
    expected.bottom += m.dy;
    ASSERT_TRUE(zeb.PressKey(m.vk, m.modifiers)) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForWindowRect([&](const ScreenRect& r) { return r == expected; }, Describe(expected)))
        << zeb.failure() << " (key " << m.vk << ", modifiers " << m.modifiers << ")";
  }
  EXPECT_EQ(zeb.Client(), (ClientSize{kA.width, kA.height}));
  EXPECT_EQ(zeb.Title(), TitleOf(kA, 1, 5));
}

TEST_F(KeysTest, MaximiseKeyFillsTheWorkAreaAndRestoresThePictureSize) {
  const ScreenRect area = WorkArea();
  ASSERT_TRUE(zeb.PressKey('F')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForWindowRect(
      [&](const ScreenRect& r) {
        // A maximised window's frame may lie outside the work area; it covers all of it.
        return r.left <= area.left && r.top <= area.top && r.right >= area.right && r.bottom >= area.bottom;
      },
      "covering the work area " + Describe(area)))
      << zeb.failure();
  EXPECT_EQ(zeb.Title(), TitleOf(kA, 1, 5));  // shown at 100 %, centred
  ASSERT_TRUE(zeb.PressKey('F')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForClient({kA.width, kA.height})) << zeb.failure();
}

TEST_F(KeysTest, EnterShowsTheCurrentFileAgainAsItIsNow) {
  folder.WriteBmp("pics/a.bmp", 250, 150);
  PressAndExpect(VK_RETURN, "[F] (1/5) a.bmp 250x150 100%");
  folder.WriteBmp("pics/a.bmp", 260, 170);
  PressAndExpect(VK_DELETE, "[F] (1/5) a.bmp 260x170 100%");
}

TEST_F(KeysTest, SlideShowWithAShortIntervalStopsAtTheEndOfTheList) {
  SetInterval("300");
  ASSERT_TRUE(zeb.PressKey('S')) << zeb.failure();
  ASSERT_TRUE(
      zeb.WaitForTitle([](const std::string& t) { return t.starts_with("<F> ("); }, "of a running show"))
      << zeb.failure();
  ULONGLONG started = GetTickCount64();
  std::vector<int> positions;
  ASSERT_TRUE(zeb.WaitForTitle(
      [&](const std::string& t) {
        auto s = ParseStatusTitle(t);
        if (s && (positions.empty() || positions.back() != s->position)) positions.push_back(s->position);
        return t == TitleOf(kE, 5, 5);
      },
      "of the stopped show at the last picture"))
      << zeb.failure();
  ULONGLONG took = GetTickCount64() - started;
  // Four steps of 300 ms; the form's own 2500 ms would take ten seconds.
  EXPECT_GE(took, 1100u);
  EXPECT_LT(took, 8000u);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_EQ(positions.back(), 5);
  // Stopped: the title keeps the last picture and a step key moves again.
  PressAndExpect(VK_BACK, TitleOf(kD, 4, 5));
}

TEST_F(KeysTest, DirectionKeysTurnARunningShowAndTheBookmarkStillWorks) {
  SetInterval("400");
  PressAndExpect('N', TitleOf(kB, 2, 5));
  ASSERT_TRUE(zeb.PressKey('M')) << zeb.failure();
  PressAndExpect('L', TitleOf(kB, 2, 5, "FL"));
  ASSERT_TRUE(zeb.PressKey('S')) << zeb.failure();
  ASSERT_TRUE(
      zeb.WaitForTitle([](const std::string& t) { return t.starts_with("<FL> ("); }, "of a running show"))
      << zeb.failure();
  // P while the show runs only turns it backward: it passes the first picture and wraps to the last.
  ASSERT_TRUE(zeb.PressKey('P')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitle([](const std::string& t) { return t.starts_with("<BL> (5/5) e.jpg"); },
                               "of the backward show wrapping to the last picture"))
      << zeb.failure();
  // S stops the show; the bookmark set before it still holds.
  ASSERT_TRUE(zeb.PressKey('S')) << zeb.failure();
  ASSERT_TRUE(
      zeb.WaitForTitle([](const std::string& t) { return t.starts_with("[BL] ("); }, "of a stopped show"))
      << zeb.failure();
  PressAndExpect('E', TitleOf(kE, 5, 5, "BL"));
  PressAndExpect('G', TitleOf(kB, 2, 5, "BL"));
}

TEST_F(KeysTest, QuitModeEndsTheProgramWhenTheShowReachesTheEnd) {
  SetInterval("200");
  PressAndExpect('E', TitleOf(kE, 5, 5));
  PressAndExpect(VK_BACK, TitleOf(kD, 4, 5));
  PressAndExpect('Q', TitleOf(kD, 4, 5, "FQ"));
  // N chooses the forward direction and, with the show stopped, steps at once.
  PressAndExpect('N', TitleOf(kE, 5, 5, "FQ"));
  ASSERT_TRUE(zeb.PressKey('S')) << zeb.failure();
  DWORD code = 1;
  ASSERT_TRUE(zeb.WaitForExit(ZebProcess::kTimeoutMs, &code)) << zeb.failure();
  EXPECT_EQ(code, 0u);
}

TEST_F(KeysTest, JumpDialogShowsTheNumberTyped) {
  AnswerDialog('J', "Jump", "1", "4");
  ASSERT_TRUE(zeb.WaitForTitleEq(TitleOf(kD, 4, 5))) << zeb.failure();
  // Cancelled with Escape: nothing moves.
  AnswerDialog('J', "Jump", "4", "2", VK_ESCAPE);
  Settle();
  EXPECT_EQ(zeb.Title(), TitleOf(kD, 4, 5));
  // Letters and signs are dropped; the digit typed after them replaces the selected preset alone.
  ASSERT_TRUE(zeb.PressKey('J')) << zeb.failure();
  HWND dialog = zeb.WaitForWindowWithCaption("Jump");
  ASSERT_NE(dialog, nullptr) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForEditText(dialog, "4")) << zeb.failure();
  ASSERT_TRUE(zeb.TypeText(dialog, "x-2")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForEditText(dialog, "2")) << zeb.failure();
  ASSERT_TRUE(zeb.PressKeyIn(dialog, VK_RETURN)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq(TitleOf(kB, 2, 5))) << zeb.failure();
}

TEST_F(KeysTest, JumpPastTheEndShowsSomePictureOfTheList) {
  AnswerDialog('J', "Jump", "1", "99");
  ASSERT_TRUE(zeb.WaitForTitle(
      [](const std::string& t) {
        auto s = ParseStatusTitle(t);
        return s && s->count == 5 && s->position >= 1 && s->position <= 5;
      },
      "of a picture of the list"))
      << zeb.failure();
  EXPECT_TRUE(zeb.Running());
}

TEST_F(KeysTest, WidthDialogFixesTheClientWidthAndShiftFReleasesIt) {
  AnswerDialog('W', "Width", "160", "300");
  ASSERT_TRUE(zeb.WaitForClient({300, kA.height})) << zeb.failure();
  EXPECT_EQ(zeb.Title(), TitleOf(kA, 1, 5));
  ASSERT_TRUE(zeb.PressKey('F', kShift)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForClient({kA.width, kA.height})) << zeb.failure();
  // Shift+F again fixes both sides at the stored box (300 wide, 480 high).
  ASSERT_TRUE(zeb.PressKey('F', kShift)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForClient({300, 480})) << zeb.failure();
}

}  // namespace
}  // namespace zeb::e2e
