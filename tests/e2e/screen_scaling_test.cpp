// The real zeb.exe on a scaled screen. The test command runs this program twice: on the normal display
// and on one scaled to 150% (144 DPI, ZEB_E2E_DPI tells which). At any scaling a picture at 100% fills
// a client area of exactly its own size in screen pixels, and the dialogs grow with the scaling.
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tests/e2e/common/test_folder.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// What a screen reader asks a list-view control of another process about its first row. The control
// reads and writes the structures in its own process, so they are put there.
struct RemoteRow {
  LVITEMW item;
  RECT rect;
  wchar_t text[512];
};
RemoteRow AskFirstRow(HANDLE process, HWND list, UINT message, size_t at, LRESULT& result) {
  RemoteRow row{},
      *remote =
          static_cast<RemoteRow*>(VirtualAllocEx(process, nullptr, sizeof row, MEM_COMMIT, PAGE_READWRITE));
  row.item.pszText = remote->text, row.item.cchTextMax = 512, row.rect.left = LVIR_BOUNDS;
  WriteProcessMemory(process, remote, &row, sizeof row, nullptr);
  result = SendMessageW(list, message, 0, reinterpret_cast<LPARAM>(reinterpret_cast<char*>(remote) + at));
  ReadProcessMemory(process, remote, &row, sizeof row, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return row;
}

// The test sees screen pixels as they are, like the viewer (a program unaware of the scaling is shown
// every size scaled back to 96 DPI).
int AwareSystemDpi() {
  static const int dpi = [] {
    auto aware = User32Function<BOOL(WINAPI*)(HANDLE)>("SetProcessDpiAwarenessContext");
    if (aware) aware(reinterpret_cast<HANDLE>(-4));  // per monitor, version 2
    auto forSystem = User32Function<UINT(WINAPI*)()>("GetDpiForSystem");
    return forSystem ? static_cast<int>(forSystem()) : 0;
  }();
  return dpi;
}

int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

TEST(ScreenScalingTest, APictureAt100PercentIsOneScreenPixelPerPixelAndTheDialogsScale) {
  const char* asked = std::getenv("ZEB_E2E_DPI");
  const int dpi = AwareSystemDpi();
  ASSERT_EQ(dpi, asked ? std::atoi(asked) : 96) << "the display is not scaled as this run expects";

  TestFolder folder;
  folder.WriteBmp("pics/a.bmp", 300, 200);
  ZebProcess zeb;
  ASSERT_TRUE(zeb.Start(ZebExe(), {folder.Path("pics")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) a.bmp 300x200 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({300, 200})) << zeb.failure();

  // The List window's rows are at least as high as the lines of this screen's message font, and
  // another program reads its entries.
  ASSERT_TRUE(zeb.PressKey('V')) << zeb.failure();
  HWND list = zeb.WaitForWindowWithCaption("List");
  ASSERT_NE(list, nullptr) << zeb.failure();
  HWND box = FindWindowExW(list, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(box, nullptr);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, CreateFontIndirectW(&metrics.lfMessageFont));
  TEXTMETRICW text{};
  GetTextMetricsW(screen, &text);
  DeleteObject(SelectObject(screen, old));
  ReleaseDC(nullptr, screen);
  LRESULT found = 0, length = 0;
  const RemoteRow row = AskFirstRow(zeb.process(), box, LVM_GETITEMRECT, offsetof(RemoteRow, rect), found);
  EXPECT_GE(row.rect.bottom - row.rect.top, text.tmHeight + text.tmExternalLeading);
  const RemoteRow entry =
      AskFirstRow(zeb.process(), box, LVM_GETITEMTEXTW, offsetof(RemoteRow, item), length);
  EXPECT_EQ(std::wstring(entry.text, length), Utf8ToWide(folder.Path("pics/a.bmp")));
  RECT listRect{};
  GetWindowRect(list, &listRect);
  EXPECT_EQ(listRect.right - listRect.left, Scaled(300, dpi));

  // The Jump dialog's client area is designed at 115 x 39 pixels for 96 DPI.
  ASSERT_TRUE(zeb.PressKey('J')) << zeb.failure();
  HWND jump = zeb.WaitForWindowWithCaption("Jump");
  ASSERT_NE(jump, nullptr) << zeb.failure();
  RECT client{};
  GetClientRect(jump, &client);
  EXPECT_EQ(client.right, Scaled(115, dpi));
  EXPECT_EQ(client.bottom, Scaled(39, dpi));
  ASSERT_TRUE(zeb.PressKeyIn(jump, VK_ESCAPE)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForWindowGone(jump)) << zeb.failure();

  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForExit()) << zeb.failure();
}

}  // namespace
}  // namespace zeb::e2e
