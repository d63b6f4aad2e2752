// The real zeb.exe with a plug-in that crashes (tests/plugins/crasher.c): the crashing entries leave the
// list like unreadable pictures, the good ones show, the crash is told once (and never during a slide
// show), and the viewer goes on until Escape ends it, also while a plug-in hangs.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tests/e2e/common/test_folder.h"
#include "tests/support/plugin_name.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

std::string Ppm(int width, int height) {
  return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" +
         std::string(static_cast<size_t>(width * height * 3), '\x60');
}

// How many plug-in hosts (zeb_spihost.exe, zeb_spihost64.exe) the process Parent started are running.
int HostsOf(DWORD parent) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int hosts = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    hosts += entry.th32ParentProcessID == parent && _wcsnicmp(entry.szExeFile, L"zeb_spihost", 11) == 0;
  CloseHandle(snapshot);
  return hosts;
}

class PluginCrashTest : public testing::Test {
 protected:
  // zeb.exe in a folder of its own with crasher.spi and ppm.spi beside it.
  std::string InstallViewer() {
    return folder.InstallViewer({PluginFolder() + "\\crasher.spi", PluginFolder() + "\\ppm.spi"});
  }

  // Waits for the one crash message, checks it names the plug-in and the picture, and closes it.
  void AcknowledgeCrash(const std::string& picture) {
    HWND box = zeb.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << zeb.failure();
    std::string text = zeb.MessageBoxText(box);
    EXPECT_NE(text.find(test::BuildPluginName("crasher.spi")), std::string::npos) << text;
    EXPECT_NE(text.find(picture), std::string::npos) << text;
    ASSERT_TRUE(zeb.PressMessageBoxButton(box, IDOK)) << zeb.failure();
  }
  void EndWithEscape() {
    ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
    DWORD code = 1;
    ASSERT_TRUE(zeb.WaitForExit(ZebProcess::kTimeoutMs, &code)) << zeb.failure();
    EXPECT_EQ(code, 0u);
  }

  TestFolder folder;
  ZebProcess zeb;
};

TEST_F(PluginCrashTest, CrashingEntriesLeaveTheListAndTheCrashIsToldOnce) {
  std::string exe = InstallViewer();
  folder.WriteFile("pics/a.crash", "ZEBCRASH nullwrite GetPicture\n");
  folder.WriteFile("pics/b.ppm", Ppm(120, 90));
  folder.WriteFile("pics/c.crash", "ZEBCRASH divzero IsSupported\n");
  folder.WriteBmp("pics/d.bmp", 130, 100);
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();

  AcknowledgeCrash("a.crash");
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/3) b.ppm 120x90 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();

  // The second crash of the same plug-in is silent.
  ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (2/2) d.bmp 130x100 100%")) << zeb.failure();
  EXPECT_EQ(zeb.FindMessageBox(), nullptr);
  ASSERT_TRUE(zeb.PressKey('P')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[B] (1/2) b.ppm 120x90 100%")) << zeb.failure();
  EXPECT_EQ(zeb.FindMessageBox(), nullptr);
  EndWithEscape();
}

TEST_F(PluginCrashTest, ASlideShowPassesCrashingEntriesAndTheMessageWaitsUntilItStops) {
  std::string exe = InstallViewer();
  folder.WriteBmp("pics/a.bmp", 110, 80);
  folder.WriteFile("pics/b.crash", "ZEBCRASH illegal GetPicture\n");
  folder.WriteFile("pics/c.ppm", Ppm(120, 90));
  folder.WriteFile("pics/d.crash", "ZEBCRASH recurse GetPicture\n");
  folder.WriteBmp("pics/e.bmp", 130, 100);
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/5) a.bmp 110x80 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();

  // A short interval, then the show.
  ASSERT_TRUE(zeb.PressKey('I')) << zeb.failure();
  HWND dialog = zeb.WaitForWindowWithCaption("Interval");
  ASSERT_NE(dialog, nullptr) << zeb.failure();
  ASSERT_TRUE(zeb.TypeText(dialog, "300")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForEditText(dialog, "300")) << zeb.failure();
  ASSERT_TRUE(zeb.PressKeyIn(dialog, VK_RETURN)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForWindowGone(dialog)) << zeb.failure();
  ASSERT_TRUE(zeb.PressKey('S')) << zeb.failure();

  bool boxDuringShow = false;
  ASSERT_TRUE(zeb.WaitForTitle(
      [&](const std::string& t) {
        if (t.starts_with("<") && zeb.FindMessageBox() != nullptr) boxDuringShow = true;
        return t == "[F] (3/3) e.bmp 130x100 100%";
      },
      "of the show stopped at the last picture"))
      << zeb.failure();
  EXPECT_FALSE(boxDuringShow) << "a message box appeared while the show ran";
  AcknowledgeCrash("b.crash");
  EXPECT_EQ(zeb.FindMessageBox(), nullptr) << "one message for the plug-in";
  ASSERT_TRUE(zeb.PressKey('P')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[B] (2/3) c.ppm 120x90 100%")) << zeb.failure();
  EndWithEscape();
}

// A plug-in that never returns keeps the viewer waiting, but Escape still ends the wait and the viewer
// at once: had it waited for the time limit, the plug-in's failure would be told in a message box and
// the viewer would still run.
TEST_F(PluginCrashTest, EscapeWhileAPluginHangsEndsTheWaitAndTheViewer) {
  std::string exe = InstallViewer();
  folder.WriteFile("pics/a.ppm", Ppm(120, 90));
  folder.WriteFile("pics/b.crash", "ZEBCRASH loop GetPicture\n");
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/2) a.ppm 120x90 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  DWORD code = 1;
  ASSERT_TRUE(zeb.WaitForExit(ZebProcess::kTimeoutMs, &code)) << zeb.failure();
  EXPECT_EQ(code, 0u);
}

// A viewer that is killed while a plug-in hangs takes the plug-in host with it.
TEST_F(PluginCrashTest, AViewerKilledWhileAPluginHangsTakesItsHostWithIt) {
  std::string exe = InstallViewer();
  folder.WriteFile("pics/a.crash", "ZEBCRASH loop GetPicture\n");
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();
  for (int i = 0; i < 100 && HostsOf(zeb.pid()) == 0; ++i) Sleep(100);
  ASSERT_EQ(HostsOf(zeb.pid()), 1);
  Sleep(500);                            // the call for a.crash now waits
  TerminateProcess(zeb.process(), 255);  // the viewer alone, as a crash would end it
  for (int i = 0; i < 50 && HostsOf(zeb.pid()) > 0; ++i) Sleep(100);
  EXPECT_EQ(HostsOf(zeb.pid()), 0);
}

// A drop while a plug-in call waits is not lost: it is made once the call has ended (here at its time
// limit, which costs the hanging picture).
TEST_F(PluginCrashTest, ADropWhileAPluginHangsIsMadeOnceTheCallHasEnded) {
  std::string exe = InstallViewer();
  folder.WriteFile("pics/a.ppm", Ppm(120, 90));
  folder.WriteFile("pics/b.crash", "ZEBCRASH loop GetPicture\n");
  folder.WriteFile("c.ppm", Ppm(40, 30));
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/2) a.ppm 120x90 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
  Sleep(500);  // the call for b.crash now waits
  ASSERT_TRUE(zeb.DropFiles({folder.Path("c.ppm")})) << zeb.failure();
  AcknowledgeCrash("b.crash");
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) c.ppm 40x30 100%")) << zeb.failure();
  EndWithEscape();
}

}  // namespace
}  // namespace zeb::e2e
