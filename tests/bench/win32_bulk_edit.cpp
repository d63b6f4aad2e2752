// How long the List window takes to open on 100,000 entries (made, as it is by its first opening, and
// drawn before the clock stops), and Ctrl+D
// to remove a folder of 50,000 entries from them, with the List window shut and open (the window's list
// box redrawn before the clock stops), and the picture that follows shown.
//
//   zeb_bench_win32_bulk_edit.exe
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/ui/forms.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"
#include "tests/support/bmp_maker.h"

namespace {

constexpr int kPerFolder = 50000;

double Seconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Entry(const std::string& folder, int i) {
  char name[32];
  std::snprintf(name, sizeof name, "%05d.bmp", i);
  return folder + name;
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  using namespace zeb::app;
  wchar_t temp[MAX_PATH + 1];
  const std::wstring root = std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp)) + L"zeb_bench_bulk";
  CreateDirectoryW(root.c_str(), nullptr);
  CreateDirectoryW((root + L"\\b").c_str(), nullptr);
  const std::string a = zeb::win32::Narrow(root) + "\\a\\", b = zeb::win32::Narrow(root) + "\\b\\";
  // The one entry that is shown after the removal is a real picture; the others are never opened.
  const std::string bmp = zeb::test::SimpleBmp(64, 48, 24, std::vector<uint32_t>(64 * 48, 0x336699));
  HANDLE h = CreateFileW(zeb::win32::Widen(Entry(b, 0)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(h, bmp.data(), static_cast<DWORD>(bmp.size()), &written, nullptr);
  CloseHandle(h);

  ViewerModel model;
  // The List window is made by its first opening, as in the program.
  auto form = std::make_unique<MainWindow>(model, nullptr, nullptr, std::vector<std::string>{});
  bool listShown = false;
  zeb::ui::Application& application = zeb::ui::App();
  bool ok = true;
  for (bool listOpen : {false, true}) {
    model.list.Clear();
    for (int i = 0; i < kPerFolder; ++i) {
      model.list.Add(Entry(a, i));
      model.list.Add(Entry(b, i));
    }
    model.list.Count();
    model.current = 0;
    const double opening = Seconds([&] {
      if (listOpen != listShown) form->Run(zeb::app::Command::ListWindow), listShown = listOpen;
      application.ProcessMessages();
    });
    if (listOpen)
      std::printf("open the List window on 100000 entries: %.3f s (at most 0.200 wanted)\n", opening);
    const double seconds = Seconds([&] {
      form->Run(zeb::app::Command::RemoveFolder);
      application.ProcessMessages();
    });
    ok = ok && model.list.Count() == kPerFolder && form->Shown().name == "00000.bmp";
    std::printf("remove %d of %d entries, List window %s: %.3f s (at most 0.500 wanted)\n", kPerFolder,
                2 * kPerFolder, listOpen ? "open" : "shut", seconds);
  }
  form.reset();
  return ok ? 0 : 1;
}
