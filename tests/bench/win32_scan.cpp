// How long building the image list of a large folder tree takes, against one raw listing of each of the
// same folders that does nothing else, in the same run.
//
//   zeb_bench_win32_scan.exe [root folder]
// The tree (1,000 folders of 100 empty .jpg files) is made once in the temporary folder and reused.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/dialogs/jump_dialog.h"
#include "app/dialogs/list_window.h"
#include "app/main_window.h"
#include "platform/services/collation.h"
#include "platform/services/file_system.h"
#include "platform/services/folder_identity.h"
#include "platform/core/strings.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

namespace {

constexpr int kFolders = 1000, kFilesPerFolder = 100, kRuns = 5;

// The processor time of the whole process, every thread's, in seconds.
double ProcessorSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](FILETIME t) { return ((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) * 1e-7; };
  return seconds(kernel) + seconds(user);
}

double Seconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::wstring DefaultRoot() {
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp, n) + L"zeb_bench_scan";
}

bool MakeTree(const std::wstring& root) {
  const std::wstring done = root + L"\\complete.txt";
  if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::printf("making %d files in %d folders under %s ...\n", kFolders * kFilesPerFolder, kFolders,
              zeb::win32::Narrow(root).c_str());
  CreateDirectoryW(root.c_str(), nullptr);
  wchar_t name[64];
  for (int d = 0; d < kFolders; ++d) {
    std::swprintf(name, 64, L"\\folder%04d", d);
    std::wstring folder = root + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int f = 0; f < kFilesPerFolder; ++f) {
      std::swprintf(name, 64, L"\\picture%06d.jpg", d * kFilesPerFolder + f);
      HANDLE h = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h == INVALID_HANDLE_VALUE) return false;
      CloseHandle(h);
    }
  }
  HANDLE h =
      CreateFileW(done.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

// One listing of each folder with the same call as the platform's file listing, counting the files
// and keeping nothing but the subfolders' names.
size_t ListOnly(const std::wstring& folder) {
  size_t files = 0;
  WIN32_FIND_DATAW fd;
  std::vector<std::wstring> subfolders;
  HANDLE h = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const DWORD a = fd.dwFileAttributes;
      if (!(a & FILE_ATTRIBUTE_DIRECTORY))
        ++files;
      else if (!(a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) && std::wstring(fd.cFileName) != L"." &&
               std::wstring(fd.cFileName) != L"..")
        subfolders.push_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  for (const std::wstring& sub : subfolders) files += ListOnly(folder + sub + L"\\");
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  using namespace zeb::app;
  const std::wstring root = argc > 1 ? zeb::win32::Widen(argv[1]) : DefaultRoot();
  if (!MakeTree(root)) {
    std::printf("cannot make the folder tree under %s\n", zeb::win32::Narrow(root).c_str());
    return 1;
  }

  // The viewer's windows, as at start-up but with no file arguments.
  ViewerModel model;
  auto jump = std::make_unique<JumpDialog>();
  auto list = std::make_unique<ListWindow>(model);
  auto form = std::make_unique<MainWindow>(model, jump.get(), list.get(), std::vector<std::string>{});
  const std::string folder = zeb::win32::Narrow(root) + "\\";
  const std::wstring wideFolder = root + L"\\";

  size_t listed = ListOnly(wideFolder);  // warms the file system's caches
  double listBest = 1e300, buildBest = 1e300, scanPart = 0, listProcessor = 1e300, buildProcessor = 1e300;
  int32_t built = 0;
  for (int run = 0; run < kRuns; ++run) {
    double processor = ProcessorSeconds();
    listBest = std::min(listBest, Seconds([&] { listed = ListOnly(wideFolder); }));
    listProcessor = std::min(listProcessor, ProcessorSeconds() - processor);
    processor = ProcessorSeconds();
    buildBest = std::min(buildBest, Seconds([&] {
                           form->Model().list.Clear();
                           form->run.building = true;
                           form->run.abortRequested = false;
                           double scan = Seconds([&] { form->Builder().AddFolder(folder, true); });
                           if (run == kRuns - 1) scanPart = scan;
                           form->run.building = false;
                           form->Model().Tidy();
                           built = form->Model().list.Count();
                         }));
    buildProcessor = std::min(buildProcessor, ProcessorSeconds() - processor);
  }
  std::printf("list only:  %zu files   %.3f s, processor %.3f s\n", listed, listBest, listProcessor);
  std::printf("build list: %d entries %.3f s (sorted, tidied), processor %.3f s (all threads)\n", built,
              buildBest, buildProcessor);
  std::printf("  of which the scan %.3f s, sorting in and tidying the rest (last run)\n", scanPart);
  // The same scan with no window messages let through and no title shown.
  form->pacing.pump = std::chrono::hours(1);
  form->pacing.title = std::chrono::hours(1);
  form->Model().list.Clear();
  std::printf("  the scan without messages or title: %.3f s\n",
              Seconds([&] { form->Builder().AddFolder(folder, true); }));
  form->pacing.pump = std::chrono::milliseconds(30);
  form->pacing.title = std::chrono::milliseconds(30);
  std::printf("ratio: %.2f (at most 1.30 wanted)\n", buildBest / listBest);

  // What each file costs on top of the listing, one part at a time.
  const std::vector<std::string> entries = form->Model().list.Entries();
  size_t sink = 0;
  std::printf("per file: expand path %.2f us, collation key %.2f us, clock %.2f us\n",
              Seconds([&] {
                for (const auto& e : entries) sink += zeb::Files().ExpandFileName(e).size();
              }) * 1e6 /
                  entries.size(),
              Seconds([&] {
                for (const auto& e : entries) sink += zeb::CollationKey(e).size();
              }) * 1e6 /
                  entries.size(),
              Seconds([&] {
                for (size_t i = 0; i < entries.size(); ++i)
                  sink +=
                      static_cast<size_t>(std::chrono::steady_clock::now().time_since_epoch().count() & 1);
              }) * 1e6 /
                  entries.size());
  std::vector<std::string> folders;
  for (size_t i = 0; i < entries.size(); i += kFilesPerFolder) folders.push_back(zeb::FolderPart(entries[i]));
  std::printf("per folder: identity %.2f us\n", Seconds([&] {
                                                  for (const auto& f : folders)
                                                    sink += zeb::FolderIdentity(f).size();
                                                }) * 1e6 /
                                                    folders.size());
  if (sink == 0) std::printf("\n");
  form.reset();
  list.reset();
  jump.reset();
  return built == kFolders * kFilesPerFolder ? 0 : 1;
}
