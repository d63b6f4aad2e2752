// The window layer under Wine: the list box, painting of picture controls, message boxes, the file
// dialogs and the application's message loop.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/graphics/bitmap.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_layer.h"
#include "tests/support/bmp_maker.h"
#include "tests/win32/common/ui_test_helpers.h"

namespace zeb {

// A picture of one colour that counts how often it is drawn.
class SolidGraphic : public Image {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
  void Draw(Canvas& canvas, const PixelRect& rect) override {
    ++draws;
    canvas.FillRect(rect, color);
  }
  bool GetEmpty() override { return false; }
  int32_t GetWidth() override { return 50; }
  int32_t GetHeight() override { return 40; }
  void SetWidth(int32_t) override {}
  void SetHeight(int32_t) override {}
  void LoadFromStream(Stream&) override { throw InvalidPicture("no"); }
  void SaveToStream(Stream&) override {}
  uint16_t DrawnBitCount() override { return drawnBits; }
  int draws = 0;
  uint32_t color = 0xFF0000;
  uint16_t drawnBits = 0;
};
const ImageFormat SolidGraphic::kFormat = {"SolidGraphic", &NewImage<SolidGraphic>};

namespace ui {
namespace {

using testing_ui::Chord;
using testing_ui::Focus;
using testing_ui::Hwnd;
using testing_ui::Pump;
using testing_ui::PumpUntil;

HWND ListHwnd(ListBox& box) { return box.impl().hwnd; }

int RowHeight(ListBox& box) {
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(ListHwnd(box), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  return row.bottom - row.top;
}

// The height of a line of the list's font: its characters and the room the font asks between lines.
int LineHeight(ListBox& box) {
  HDC dc = GetDC(ListHwnd(box));
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(ListHwnd(box), WM_GETFONT, 0, 0)));
  TEXTMETRICW text{};
  GetTextMetricsW(dc, &text);
  SelectObject(dc, old);
  ReleaseDC(ListHwnd(box), dc);
  return text.tmHeight + text.tmExternalLeading;
}

TEST(ListBox, FillsItsFormAndDrawsItemsFromTheSource) {
  Window form(BorderStyle::Sizeable, "List", 292, 373);
  ListBox box(form);
  std::set<int32_t> asked;
  box.SetItemSource([&](int32_t i) {
    asked.insert(i);
    return "C:\\写真\\" + std::to_string(i) + ".jpg";
  });
  box.SetCount(100000);
  EXPECT_EQ(box.Count(), 100000);
  form.Show();
  UpdateWindow(Hwnd(form));
  UpdateWindow(ListHwnd(box));
  RECT list;
  GetWindowRect(ListHwnd(box), &list);
  EXPECT_EQ(list.right - list.left, 292);
  EXPECT_EQ(list.bottom - list.top, 373);
  // Only what is visible is asked for: about 373 / RowHeight items.
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(*asked.begin(), 0);
  EXPECT_NEAR(*asked.rbegin(), 373 / RowHeight(box), 2);
  form.SetBounds(form.Left(), form.Top(), form.Width() + 100, form.Height() + 50);
  GetWindowRect(ListHwnd(box), &list);
  EXPECT_EQ(list.right - list.left, 392) << "the box follows the client area";
  EXPECT_EQ(list.bottom - list.top, 423);
}

TEST(ListBox, SelectionSurvivesACountThatStillHoldsIt) {
  Window form(BorderStyle::Sizeable, "List", 292, 373);
  ListBox box(form);
  box.SetItemSource([](int32_t i) { return std::to_string(i); });
  box.SetCount(100);
  EXPECT_EQ(box.ItemIndex(), -1);
  box.SetItemIndex(7);
  EXPECT_EQ(box.ItemIndex(), 7);
  box.SetItemIndex(100);
  EXPECT_EQ(box.ItemIndex(), -1);
  box.SetItemIndex(7);
  box.SetCount(50);
  EXPECT_EQ(box.ItemIndex(), 7);
  box.SetCount(3);
  EXPECT_EQ(box.ItemIndex(), -1);
  box.SetCount(0);
  EXPECT_EQ(box.Count(), 0);
}

TEST(ListBox, KeysGoToOnKeyDownAndASelectionChangeIsAClick) {
  Window form(BorderStyle::Sizeable, "List", 292, 373);
  ListBox box(form);
  box.SetItemSource([](int32_t i) { return std::to_string(i); });
  box.SetCount(10);
  box.SetItemIndex(0);
  std::vector<std::pair<uint16_t, ModifierKeys>> keys;
  bool take = false;
  int clicks = 0;
  box.OnKeyDown = [&](uint16_t& key, ModifierKeys shift) {
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return;
    keys.emplace_back(key, shift);
    if (take) key = 0;
  };
  box.OnClick = [&] { ++clicks; };
  form.Show();
  Focus(form);
  EXPECT_EQ(GetFocus(), ListHwnd(box)) << "activating the form focuses its list box";
  Chord({}, VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
  EXPECT_EQ(box.ItemIndex(), 1);
  take = true;
  Chord({}, VK_DOWN);
  Chord({VK_MENU}, 'N');
  ASSERT_TRUE(PumpUntil([&] { return keys.size() == 3; }));
  Pump(50);
  EXPECT_EQ(box.ItemIndex(), 1) << "a key the handler took does not move the selection";
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(keys[0].first, VK_DOWN);
  EXPECT_EQ(keys[2], std::make_pair(uint16_t{'N'}, ModifierKeys{kAlt}));
  box.SetItemIndex(5);
  Pump(50);
  EXPECT_EQ(clicks, 1) << "setting the index is no click";
}

COLORREF PixelOf(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return c;
}

// A picture held in the window's own 32 bits is drawn straight into it first, and rendered for the
// repaints once a repaint comes; others are rendered at once.
class PaintingTest : public ::testing::TestWithParam<uint16_t> {};

TEST_P(PaintingTest, PicturesAreDrawnOnceAndRepaintedFromTheRendering) {
  Window form(BorderStyle::Single, "paint", 200, 150);
  PictureControl image(form);
  PictureControl blank(form);  // a hidden picture control made later must not paint over the first
  blank.SetVisible(false);
  auto owned = std::make_unique<SolidGraphic>();
  SolidGraphic* graphic = owned.get();
  graphic->drawnBits = GetParam();
  image.Content().SetGraphic(std::move(owned));
  image.SetBounds(0, 0, 50, 40);
  form.Show();
  UpdateWindow(Hwnd(form));
  EXPECT_EQ(graphic->draws, 1);
  EXPECT_EQ(PixelOf(Hwnd(form), 10, 10), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(Hwnd(form), 100, 100), RGB(0, 0, 0)) << "black around the picture";

  const int rendered = GetParam() == 32 ? 2 : 1;
  for (int expose = 0; expose < 2; ++expose) {
    form.SetBounds(300 + expose, 200, form.Width(), form.Height());
    InvalidateRect(Hwnd(form), nullptr, TRUE);
    UpdateWindow(Hwnd(form));
    EXPECT_EQ(graphic->draws, rendered) << "moving and exposing reuse the rendering";
    EXPECT_EQ(PixelOf(Hwnd(form), 10, 10), RGB(255, 0, 0));
  }

  image.SetBounds(100, 100, 50, 40);
  UpdateWindow(Hwnd(form));
  EXPECT_EQ(graphic->draws, rendered + 1);
  EXPECT_EQ(PixelOf(Hwnd(form), 110, 110), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(Hwnd(form), 10, 10), RGB(0, 0, 0));

  image.SetStretch(true);
  image.SetAlignClient(true);
  UpdateWindow(Hwnd(form));
  EXPECT_EQ(PixelOf(Hwnd(form), 190, 140), RGB(255, 0, 0)) << "stretched over the client area";
  int before = graphic->draws;
  form.SetBounds(form.Left(), form.Top(), form.Width() + 20, form.Height());
  UpdateWindow(Hwnd(form));
  EXPECT_EQ(graphic->draws, before + 1) << "a new client size renders again";
  EXPECT_EQ(PixelOf(Hwnd(form), 215, 140), RGB(255, 0, 0));

  image.SetVisible(false);
  UpdateWindow(Hwnd(form));
  EXPECT_EQ(PixelOf(Hwnd(form), 100, 100), RGB(0, 0, 0)) << "no visible picture: the form's black";
}
INSTANTIATE_TEST_SUITE_P(DrawnBits, PaintingTest, ::testing::Values(0, 32));

TEST(Painting, BitmapsOfEachDepthShowStretched) {
  for (uint16_t bits : {8, 24, 32}) {
    Window form(BorderStyle::Single, "paint", 120, 90);
    PictureControl image(form);
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->SetSize(2, 1, bits);
    if (bits == 8) {
      const uint8_t table[8] = {0, 0, 255, 0, 255, 0, 0, 0};  // red, blue
      bitmap->SetColorTable(table, 2);
      bitmap->ScanLine(0)[1] = 1;
    } else {
      uint8_t* row = bitmap->ScanLine(0);
      row[2] = 255;         // red
      row[bits / 8] = 255;  // blue
    }
    image.Content().SetGraphic(std::move(bitmap));
    image.SetAlignClient(true);
    image.SetStretch(true);
    form.Show();
    UpdateWindow(Hwnd(form));
    EXPECT_EQ(PixelOf(Hwnd(form), 5, 80), RGB(255, 0, 0)) << bits;
    EXPECT_EQ(PixelOf(Hwnd(form), 115, 5), RGB(0, 0, 255)) << bits;
  }
}

TEST(Painting, TransparentPartsShowACheckerboardAndOpaquePicturesDoNot) {
  for (bool transparent : {true, false}) {
    Window form(BorderStyle::Single, "paint", 120, 90);
    PictureControl image(form);
    // The left half transparent (or, with all fourth bytes 0, opaque black), the right half red.
    std::vector<uint32_t> pixels(32 * 16, transparent ? 0xFFFF0000 : 0x00FF0000);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) pixels[y * 32 + x] = 0;
    MemoryStream bmp;
    test::BmpRecipe recipe;
    recipe.width = 32;
    recipe.height = 16;
    recipe.bitCount = 32;
    recipe.rawPixelValues = true;
    recipe.pixels = pixels;
    const std::string bytes = test::MakeBmp(recipe);
    bmp.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    bmp.SetPosition(0);
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->LoadFromStream(bmp);
    image.Content().SetGraphic(std::move(bitmap));
    image.SetBounds(0, 0, 32, 16);
    form.Show();
    UpdateWindow(Hwnd(form));
    const COLORREF light = transparent ? RGB(0x99, 0x99, 0x99) : 0,
                   dark = transparent ? RGB(0x66, 0x66, 0x66) : 0;
    EXPECT_EQ(PixelOf(Hwnd(form), 2, 2), light) << transparent;
    EXPECT_EQ(PixelOf(Hwnd(form), 10, 2), dark) << transparent;
    EXPECT_EQ(PixelOf(Hwnd(form), 10, 10), light) << transparent;
    EXPECT_EQ(PixelOf(Hwnd(form), 20, 2), RGB(255, 0, 0)) << transparent;
    EXPECT_EQ(PixelOf(Hwnd(form), 60, 40), RGB(0, 0, 0)) << "black around the picture";
  }
}

TEST(Painting, DialogFormsHaveTheButtonFaceAndTheFontSetOnThem) {
  Window form(BorderStyle::Dialog, "Jump", 115, 39);
  EditBox edit(form, 8, 8, 89, 20);
  form.SetFont({"ＭＳ Ｐゴシック", 12, ui::FontCharset::ShiftJis});  // after the control was made
  form.Show();
  UpdateWindow(Hwnd(form));
  EXPECT_EQ(PixelOf(Hwnd(form), 2, 2), GetSysColor(COLOR_BTNFACE));
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(edit.impl().hwnd, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW lf;
  GetObjectW(font, sizeof(lf), &lf);
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(win32::Narrow(lf.lfFaceName), "ＭＳ Ｐゴシック");
}

// The system's message font names a face the system has, and a list box's rows are at least as high as
// its font's lines.
TEST(Painting, TheMessageFontSetsTheListRowsHeight) {
  const ui::FontSpec font = ui::SystemMessageFont(ui::SystemDpi());
  EXPECT_FALSE(font.name.empty());
  ASSERT_GT(font.height, 0);
  Window form(BorderStyle::Sizeable, "List", 292, 373);
  ListBox box(form);
  box.SetCount(1);
  form.SetFont(font);
  EXPECT_GE(RowHeight(box), LineHeight(box));
  EXPECT_GT(LineHeight(box), font.height) << "descenders and underscores sit below the font's height";
  Window bigger(BorderStyle::Sizeable, "List", 292, 373);
  bigger.SetFont({font.name, font.height * 3 / 2, ui::FontCharset::Default});
  ListBox later(bigger);  // made after the font was set
  later.SetCount(1);
  EXPECT_GE(RowHeight(later), LineHeight(later));
  EXPECT_GT(RowHeight(later), RowHeight(box));
}

// Answers the first top-level dialog box with this caption: records its texts and presses Button.
struct BoxAnswer {
  std::wstring caption;
  int button;
  std::string text{};
  bool answered = false;
};
BoxAnswer* pending = nullptr;

BOOL CALLBACK CollectText(HWND child, LPARAM) {
  wchar_t buffer[512];
  if (GetWindowTextW(child, buffer, 512) > 0) pending->text += win32::Narrow(buffer) + "|";
  return TRUE;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR id, DWORD) {
  if (!pending || pending->answered) return;
  HWND box = FindWindowW(L"#32770", pending->caption.c_str());
  if (!box) return;
  EnumChildWindows(box, CollectText, 0);
  pending->answered = true;
  KillTimer(nullptr, id);
  PostMessageW(box, WM_COMMAND, pending->button, 0);
}

DialogResult AskAnswered(BoxAnswer& answer, const std::string& text, MessageKind type,
                         MessageButtons buttons) {
  pending = &answer;
  SetTimer(nullptr, 0, 50, AnswerBox);
  DialogResult r = ShowMessageBox(text, type, buttons);
  pending = nullptr;
  return r;
}

TEST(Dialogs, MessageBoxesCarryTheApplicationTitleAndReturnTheButton) {
  App().SetTitle("ZEB ver.1.00β");
  BoxAnswer yes{L"ZEB ver.1.00β", IDYES};
  std::string question = "C:\\a.zeb はすでに存在します。\r\n上書きしてもよろしいですか？";
  EXPECT_EQ(AskAnswered(yes, question, MessageKind::Warning, MessageButtons::YesNo), DialogResult::Yes);
  ASSERT_TRUE(yes.answered);
  EXPECT_NE(yes.text.find("はすでに存在します。"), std::string::npos) << yes.text;
  BoxAnswer no{L"ZEB ver.1.00β", IDNO};
  EXPECT_EQ(AskAnswered(no, question, MessageKind::Warning, MessageButtons::YesNo), DialogResult::No);
  BoxAnswer ok{L"ZEB ver.1.00β", IDOK};
  EXPECT_EQ(AskAnswered(ok, "Width指定が異常です。(800x)", MessageKind::Error, MessageButtons::Ok),
            DialogResult::Ok);
  EXPECT_NE(ok.text.find("Width指定が異常です。(800x)"), std::string::npos) << ok.text;
}

TEST(Dialogs, ApplicationErrorHandlerShowsTheMessageAndSkipsAborts) {
  App().SetTitle("ZEB ver.1.00β");
  BoxAnswer ok{L"ZEB ver.1.00β", IDOK};
  pending = &ok;
  SetTimer(nullptr, 0, 50, AnswerBox);
  App().Guard([] { throw FileOpenError("Cannot open file \"C:\\x.zeb\". 見つかりません"); });
  App().Guard([] { throw SilentAbort(""); });
  pending = nullptr;
  ASSERT_TRUE(ok.answered);
  EXPECT_NE(ok.text.find("Cannot open file \"C:\\x.zeb\". 見つかりません"), std::string::npos) << ok.text;
}

// Types a name into the first file dialog that appears and presses OK (or Cancel).
std::wstring typedName;
bool pressCancel = false;
void CALLBACK AnswerFileDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowW(L"#32770", nullptr);
  if (!dialog || !IsWindowVisible(dialog)) return;
  KillTimer(nullptr, id);
  if (pressCancel) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  HWND name = GetDlgItem(dialog, 0x47C);  // the file-name box of the Explorer-style dialog
  if (!name) name = GetDlgItem(dialog, 0x480);
  SetWindowTextW(name, typedName.c_str());
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST(Dialogs, FileDialogsAddTheDefaultExtensionAndAskNothingMore) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::string folder = win32::Narrow(temp);
  SaveFileDialog save;
  save.Filter = "ImageList(*.zeb)|*.zeb";
  save.DefaultExt = "zeb";
  typedName = win32::Widen(folder + "リスト");
  SetTimer(nullptr, 0, 100, AnswerFileDialog);
  ASSERT_TRUE(save.Execute());
  EXPECT_TRUE(SameTextAscii(save.FileName, folder + "リスト.zeb")) << save.FileName;

  // Opening does not test that the file exists.
  OpenFileDialog open;
  open.Filter = save.Filter;
  open.DefaultExt = save.DefaultExt;
  typedName = win32::Widen(folder + "missing.zeb");
  SetTimer(nullptr, 0, 100, AnswerFileDialog);
  ASSERT_TRUE(open.Execute());
  EXPECT_TRUE(SameTextAscii(open.FileName, folder + "missing.zeb")) << open.FileName;

  pressCancel = true;
  SetTimer(nullptr, 0, 100, AnswerFileDialog);
  EXPECT_FALSE(open.Execute());
  pressCancel = false;
  EXPECT_TRUE(SameTextAscii(open.FileName, folder + "missing.zeb")) << "a cancel keeps the name";
}

// Last: ending the loop terminates the application for the rest of the process.
TEST(Application, RunEndsWhenTheMainFormCloses) {
  Window form(BorderStyle::Single, "main", 100, 100);
  App().MainForm = &form;
  form.Show();
  int ticks = 0;
  Timer timer(form);
  timer.SetInterval(10);
  timer.OnTimer = [&] {
    if (++ticks == 3) PostMessageW(Hwnd(form), WM_CLOSE, 0, 0);
  };
  timer.SetEnabled(true);
  App().Run();
  EXPECT_GE(ticks, 3);
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(form.Visible());
  App().MainForm = nullptr;
}

}  // namespace
}  // namespace ui
}  // namespace zeb
