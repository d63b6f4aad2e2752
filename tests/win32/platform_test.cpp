// The Win32 services under Wine: the file system, the settings store, libraries, local memory, the
// desktop, text conversions and palettes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/strings.h"
#include "platform/core/streams.h"
#include "platform/graphics/canvas.h"
#include "platform/services/ansi.h"
#include "platform/services/desktop.h"
#include "platform/services/file_system.h"
#include "platform/services/library.h"
#include "platform/services/local_memory.h"
#include "platform/services/settings.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

namespace zeb {
namespace {

using win32::Narrow;
using win32::Widen;

const std::string kJapanese = "日本語の写真";  // 6 characters
const std::string kEmoji = "smile😀";           // a character outside the BMP

// A fresh folder under the temp folder, removed with everything in it afterwards.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path_ =
        Narrow(base) + "zeb-w32-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count_);
    CreateDirectoryW(Widen(path_).c_str(), nullptr);
  }
  ~TempFolder() {
    std::wstring from = Widen(path_);
    from.push_back(L'\0');  // a double-NUL list of one path
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
  // Creates a file with the raw W call, so the file system under test plays no part in making it.
  void MakeFile(const std::string& name, const std::string& contents = "x", DWORD attributes = 0) const {
    HANDLE h = CreateFileW(Widen(*this / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << name;
    DWORD written = 0;
    WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(h);
  }
  void MakeFolder(const std::string& name) const { CreateDirectoryW(Widen(*this / name).c_str(), nullptr); }

 private:
  std::string path_;
  static inline int count_ = 0;
};

std::vector<FindData> FindAll(const std::string& pattern) {
  std::vector<FindData> found;
  Files().Find(pattern, [&](const FindData& d) {
    found.push_back(d);
    return true;
  });
  return found;
}

std::vector<std::string> Names(const std::vector<FindData>& found) {
  std::vector<std::string> names;
  for (auto& f : found) names.push_back(f.name);
  return names;
}

std::string Slurp(const std::string& path) { return ReadWholeFile(path); }

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.MakeFile("a.jpg");
    dir.MakeFile("B.JPG");
    dir.MakeFile(kJapanese + ".jpg");
    dir.MakeFile(kEmoji + ".png");
    dir.MakeFile("secret.jpg", "x", FILE_ATTRIBUTE_HIDDEN);
    dir.MakeFile("fixed.jpg", "x", FILE_ATTRIBUTE_READONLY);
    dir.MakeFolder("sub");
  }
  TempFolder dir;
};

// The names the plain W search gives for Pattern, in its order.
std::vector<std::string> SystemSearch(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(Widen(pattern).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.push_back(Narrow(fd.cFileName));
  while (FindNextFileW(h, &fd));
  FindClose(h);
  return names;
}

TEST_F(FileSystemTest, FindListsInTheSystemsOrderWithAttributes) {
  // The order must be the system's own.
  std::vector<FindData> found = FindAll(dir / "*");
  EXPECT_EQ(Names(found), SystemSearch(dir / "*"));
  EXPECT_EQ(found.size(), 9u);  // six files, one folder, "." and ".."
  auto attributesOf = [&](const std::string& name) {
    for (auto& f : found)
      if (f.name == name) return f.attributes;
    ADD_FAILURE() << "not listed: " << name;
    return 0u;
  };
  EXPECT_TRUE(attributesOf("sub") & kAttrDirectory);
  EXPECT_TRUE(attributesOf(".") & kAttrDirectory);
  EXPECT_TRUE(attributesOf("..") & kAttrDirectory);
  EXPECT_TRUE(attributesOf("secret.jpg") & kAttrHidden);
  EXPECT_TRUE(attributesOf("fixed.jpg") & kAttrReadOnly);
  EXPECT_FALSE(attributesOf("a.jpg") & (kAttrDirectory | kAttrHidden | kAttrReadOnly));
  EXPECT_EQ(attributesOf(kJapanese + ".jpg") & kAttrDirectory, 0u);
  EXPECT_EQ(attributesOf(kEmoji + ".png") & kAttrDirectory, 0u);
}

// A folder is listed in blocks of 64 KB: 300 names of 200 characters take three.
TEST_F(FileSystemTest, AFolderOfManyLongNamesIsListedWhole) {
  dir.MakeFolder("many");
  for (int i = 0; i < 300; ++i) dir.MakeFile("many\\" + std::string(190, 'n') + std::to_string(i) + ".jpg");
  std::vector<std::string> names = Names(FindAll(dir / "many\\*"));
  EXPECT_EQ(names.size(), 302u);
  EXPECT_EQ(names, SystemSearch(dir / "many\\*"));
}

TEST_F(FileSystemTest, FindMasksIgnoreCaseAndTakeUnicode) {
  std::vector<std::string> jpgs = Names(FindAll(dir / "*.jpg"));
  std::sort(jpgs.begin(), jpgs.end());
  std::vector<std::string> expected = {"B.JPG", "a.jpg", "fixed.jpg", "secret.jpg", kJapanese + ".jpg"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(jpgs, expected);
  EXPECT_EQ(Names(FindAll(dir / "日本*")), std::vector<std::string>{kJapanese + ".jpg"});
  EXPECT_EQ(Names(FindAll(dir / "*😀*")), std::vector<std::string>{kEmoji + ".png"});
  EXPECT_EQ(Names(FindAll(dir / "?.JPG")).size(), 2u);
  EXPECT_TRUE(FindAll(dir / "*.gif").empty());
  EXPECT_TRUE(FindAll(dir / "missing\\*").empty());
}

TEST_F(FileSystemTest, FindStopsWhenAsked) {
  int calls = 0;
  Files().Find(dir / "*", [&](const FindData&) { return ++calls < 2; });
  EXPECT_EQ(calls, 2);
}

TEST_F(FileSystemTest, ReportedNamesOpenAgain) {
  for (const FindData& f : FindAll(dir / "*.png")) EXPECT_EQ(Slurp(dir / f.name), "x") << f.name;
  EXPECT_TRUE(Files().FileExists(dir / (kJapanese + ".jpg")));
}

TEST_F(FileSystemTest, Attributes) {
  uint32_t a = 0;
  ASSERT_TRUE(Files().Attributes(dir / "secret.jpg", a));
  EXPECT_TRUE(a & kAttrHidden);
  EXPECT_TRUE(Files().DirectoryExists(dir / "sub"));
  EXPECT_FALSE(Files().FileExists(dir / "sub"));
  EXPECT_TRUE(Files().FileExists(dir / (kEmoji + ".png")));
  EXPECT_FALSE(Files().Attributes(dir / "missing.jpg", a));
  EXPECT_FALSE(Files().Attributes(dir / "*.jpg", a));
}

TEST_F(FileSystemTest, ExpandFileNameAndCurrentDirectory) {
  EXPECT_EQ(Files().ExpandFileName(dir / "sub\\..\\.\\a.jpg"), dir / "a.jpg");
  wchar_t old[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, old);
  ASSERT_TRUE(SetCurrentDirectoryW(Widen(dir / "sub").c_str()));
  EXPECT_EQ(Files().CurrentDirectory(), dir / "sub");
  EXPECT_EQ(Files().ExpandFileName("..\\" + kJapanese + ".jpg"), dir / (kJapanese + ".jpg"));
  EXPECT_EQ(Files().ExpandFileName("x.jpg"), dir / "sub\\x.jpg");
  SetCurrentDirectoryW(old);
  EXPECT_EQ(Files().ExpandFileName(""), "");
}

TEST_F(FileSystemTest, OpenErrorsNameTheFile) {
  std::string missing = dir / "missing.zeb";
  try {
    FileStream stream(missing, FileMode::OpenRead);
    FAIL() << "opened a missing file";
  } catch (const FileOpenError& e) {
    std::string prefix = "Cannot open file \"" + missing + "\". ";
    EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix);
    EXPECT_GT(std::string(e.what()).size(), prefix.size()) << "the system's reason follows";
  }
  std::string nowhere = dir / "no folder\\list.zeb";
  try {
    FileStream stream(nowhere, FileMode::Create);
    FAIL() << "created a file in a missing folder";
  } catch (const FileCreateError& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot create file \"" + nowhere + "\". "), std::string::npos);
  }
  // A file another handle holds without sharing.
  HANDLE held =
      CreateFileW(Widen(dir / "a.jpg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(FileStream(dir / "a.jpg", FileMode::OpenRead), FileOpenError);
  EXPECT_THROW(FileStream(dir / "a.jpg", FileMode::Create), FileCreateError);
  CloseHandle(held);
  EXPECT_EQ(Slurp(dir / "a.jpg"), "x");
}

TEST_F(FileSystemTest, StreamsReadWriteSeekAndTruncate) {
  std::string name = dir / (kEmoji + kJapanese + ".zeb");
  {
    FileStream out(name, FileMode::Create);
    out.WriteBuffer("0123456789", 10);
    EXPECT_EQ(out.Seek(-4, SeekOrigin::End), 6);
    out.WriteBuffer("AB", 2);
    EXPECT_EQ(out.Size(), 10);
    out.SetSize(9);
    EXPECT_EQ(out.Position(), 8) << "a position inside the new size stays";
    out.SetSize(5);
    EXPECT_EQ(out.Position(), 5);
  }
  EXPECT_EQ(Slurp(name), "01234");
  FileStream in(name, FileMode::OpenRead);
  char buffer[16];
  EXPECT_EQ(in.Read(buffer, 16), 5);
  EXPECT_EQ(in.Read(buffer, 16), 0);
  EXPECT_EQ(in.Write("x", 1), 0) << "a file opened for reading takes no writes";
}

TEST_F(FileSystemTest, ReplaceAndDelete) {
  dir.MakeFile("new.zeb", "new");
  dir.MakeFile("old.zeb", "old");
  // The replacement is given the size and write time of the file it replaces; its stamp still differs.
  FileStamp before, after;
  ASSERT_TRUE(Files().Stamp(dir / "old.zeb", before));
  HANDLE h = CreateFileW(Widen(dir / "new.zeb").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  const FILETIME written{static_cast<DWORD>(before.writeTime), static_cast<DWORD>(before.writeTime >> 32)};
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &written));
  CloseHandle(h);
  EXPECT_TRUE(Files().ReplaceFile(dir / "new.zeb", dir / "old.zeb"));
  EXPECT_EQ(Slurp(dir / "old.zeb"), "new");
  ASSERT_TRUE(Files().Stamp(dir / "old.zeb", after));
  EXPECT_EQ(std::pair(after.size, after.writeTime), std::pair(before.size, before.writeTime));
  EXPECT_FALSE(after == before);
  EXPECT_FALSE(Files().FileExists(dir / "new.zeb"));
  EXPECT_FALSE(Files().ReplaceFile(dir / "new.zeb", dir / "old.zeb"));
  EXPECT_TRUE(Files().DeleteFile(dir / "old.zeb"));
  EXPECT_FALSE(Files().DeleteFile(dir / "old.zeb"));
}

TEST(SystemFolders, WindowsSystemAndProgram) {
  std::string windows = Files().WindowsDirectory(), system = Files().SystemDirectory();
  EXPECT_TRUE(Files().DirectoryExists(windows)) << windows;
  EXPECT_TRUE(Files().DirectoryExists(system)) << system;
  EXPECT_TRUE(SameTextAscii(system.substr(0, windows.size()), windows));
  std::string program = Files().ProgramFileName();
  EXPECT_TRUE(SameTextAscii(FileNamePart(program), "zeb_win32_platform_test.exe")) << program;
  EXPECT_TRUE(Files().FileExists(program));
}

// Settings.
class SettingsTest : public ::testing::Test {
 protected:
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZEB-W32-Test"); }
  const std::string key = "\\Software\\ZEB-W32-Test\\Plug-in";
};

TEST_F(SettingsTest, WriteCreatesTheKeyAndReadsBack) {
  EXPECT_FALSE(SettingsKeyExists(key));
  EXPECT_EQ(ReadSettingsString(key, "Path"), "");
  ASSERT_TRUE(WriteSettingsStrings(key, {{"Path", "C:\\" + kJapanese}, {"Empty", ""}, {kJapanese, kEmoji}}));
  EXPECT_TRUE(SettingsKeyExists(key));
  EXPECT_EQ(ReadSettingsString(key, "Path"), "C:\\" + kJapanese);
  EXPECT_EQ(ReadSettingsString(key, "Empty"), "");
  EXPECT_EQ(ReadSettingsString(key, kJapanese), kEmoji);
  EXPECT_EQ(ReadSettingsString(key, "Missing"), "");
  ASSERT_TRUE(WriteSettingsStrings(key, {{"Path", "D:\\x"}}));
  EXPECT_EQ(ReadSettingsString(key, "Path"), "D:\\x");
}

TEST_F(SettingsTest, ExpandableStringsAreNotExpandedAndOtherTypesRaise) {
  ASSERT_TRUE(WriteSettingsStrings(key, {}));
  HKEY k;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\ZEB-W32-Test\\Plug-in", 0, KEY_WRITE, &k),
            ERROR_SUCCESS);
  const wchar_t expand[] = L"%WINDIR%\\spi";
  RegSetValueExW(k, L"Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof(expand));
  DWORD number = 7;
  RegSetValueExW(k, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  // Stored without its terminating NUL, as some programs write strings.
  const wchar_t bare[] = {L'a', L'b'};
  RegSetValueExW(k, L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(bare), sizeof(bare));
  RegCloseKey(k);
  EXPECT_EQ(ReadSettingsString(key, "Expand"), "%WINDIR%\\spi");
  EXPECT_EQ(ReadSettingsString(key, "Bare"), "ab");
  try {
    ReadSettingsString(key, "Number");
    FAIL() << "a number read as a string";
  } catch (const SettingsTypeError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Number'");
  }
}

// Libraries, local memory, MulDiv, the desktop.
TEST(Libraries, LoadFindFreeAndName) {
  LibraryHandle kernel = LoadLibraryFile("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  EXPECT_NE(LibraryProc(kernel, "GetTickCount"), nullptr);
  EXPECT_EQ(LibraryProc(kernel, "NoSuchExport"), nullptr);
  std::string name = LibraryFileName(kernel);
  EXPECT_TRUE(SameTextAscii(FileNamePart(name), "kernel32.dll")) << name;
  FreeLibraryHandle(kernel);
  EXPECT_EQ(LoadLibraryFile("C:\\no such folder\\plugin.spi"), nullptr);
  TempFolder dir;
  dir.MakeFile("broken.spi", "not a library");
  EXPECT_EQ(LoadLibraryFile(dir / "broken.spi"), nullptr);
}

TEST(LocalMemory, MoveableZeroFilledBlocks) {
  LocalHandle h = LocalAllocate(1000);
  ASSERT_NE(h, nullptr);
  EXPECT_GE(LocalHandleSize(h), 1000u);
  auto* p = static_cast<uint8_t*>(LocalLockHandle(h));
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(std::all_of(p, p + 1000, [](uint8_t b) { return b == 0; }));
  p[999] = 42;
  EXPECT_FALSE(LocalUnlockHandle(h)) << "one lock, one unlock: no lock left";
  EXPECT_EQ(static_cast<uint8_t*>(LocalLockHandle(h))[999], 42);
  LocalUnlockHandle(h);
  LocalFreeHandle(h);
}

TEST(LocalMemory, MulDivRoundsAndReportsFailure) {
  EXPECT_EQ(MulDivInt(10, 3, 4), 8);
  EXPECT_EQ(MulDivInt(-10, 3, 4), -8);
  EXPECT_EQ(MulDivInt(100, 50, 100), 50);
  EXPECT_EQ(MulDivInt(0x7FFFFFFF, 2, 2), 0x7FFFFFFF);
  EXPECT_EQ(MulDivInt(1, 1, 0), -1);
  EXPECT_EQ(MulDivInt(0x7FFFFFFF, 4, 1), -1);
}

TEST(Desktop, ScreenAndTaskbarOfTheTestDisplay) {
  EXPECT_EQ(PrimaryScreenWidth(), 1024);
  EXPECT_EQ(PrimaryScreenHeight(), 768);
  TaskbarEdge edge;
  ScreenRect r;
  ASSERT_TRUE(TaskbarPosition(edge, r));
  EXPECT_EQ(edge, TaskbarEdge::Bottom);
  EXPECT_EQ(r.bottom, 768);
  EXPECT_EQ(r.right, 1024);
}

// Text.
TEST(Utf16, RoundTripsEveryKindOfCharacter) {
  for (const std::string& s :
       {std::string(), std::string("plain"), kJapanese, kEmoji, std::string("é\\ü\x7F")})
    EXPECT_EQ(Narrow(Widen(s)), s);
  EXPECT_EQ(Widen(kJapanese), L"日本語の写真");
  EXPECT_EQ(Widen(kEmoji), std::wstring(L"smile\xD83D\xDE00"));
  // A lone surrogate (possible in a Windows file name) survives the trip through UTF-8.
  std::wstring lone =
      L"a\xD800"
      L"b\xDC00";
  EXPECT_EQ(Widen(Narrow(lone)), lone);
  // Bytes that are not UTF-8 become replacement characters, one per bad byte.
  EXPECT_EQ(Widen("a\xFF\xC3"), std::wstring(L"a\xFFFD\xFFFD"));
  EXPECT_EQ(Widen("\xE0\x80\x80"), std::wstring(L"\xFFFD\xFFFD\xFFFD")) << "an overlong form";
}

TEST(Utf16, OffsetsBetweenTheEncodings) {
  std::string s = "a" + kEmoji + "日";  // a, s m i l e, 😀 (4 bytes, 2 units), 日 (3 bytes, 1 unit)
  EXPECT_EQ(win32::Utf16Offset(s, 6), 6u);
  EXPECT_EQ(win32::Utf16Offset(s, 10), 8u);
  EXPECT_EQ(win32::Utf16Offset(s, s.size()), 9u);
  std::wstring w = Widen(s);
  EXPECT_EQ(win32::Utf8Offset(w, 8), 10u);
  EXPECT_EQ(win32::Utf8Offset(w, w.size()), s.size());
}

TEST(Ansi, ConvertsThroughTheCodePageAndReportsLoss) {
  bool lossless = false;
  EXPECT_EQ(ToAnsi("C:\\pics\\a.jpg", &lossless), "C:\\pics\\a.jpg");
  EXPECT_TRUE(lossless);
  ToAnsi(kEmoji, &lossless);
  EXPECT_FALSE(lossless) << "no ANSI code page holds an emoji";
  ToAnsi("bad\xFF", &lossless);
  EXPECT_FALSE(lossless);
  EXPECT_EQ(FromAnsi(ToAnsi("plain text")), "plain text");
  if (GetACP() == 1252) {
    EXPECT_EQ(ToAnsi("é", &lossless), "\xE9");
    EXPECT_TRUE(lossless);
    EXPECT_EQ(FromAnsi("\xE9"), "é");
    ToAnsi("ł", &lossless);  // best fit would make it "l"
    EXPECT_FALSE(lossless);
  } else if (GetACP() == 932) {
    EXPECT_EQ(FromAnsi(ToAnsi(kJapanese, &lossless)), kJapanese);
    EXPECT_TRUE(lossless);
  }
}

TEST(Palettes, CreateReadAndFree) {
  std::vector<PaletteEntry> entries = {{255, 0, 0, 0}, {0, 128, 0, 0}, {1, 2, 3, 0}};
  PaletteHandle p = NewPalette(entries);
  ASSERT_NE(p, 0u);
  EXPECT_EQ(PaletteEntries(p), entries);
  FreePalette(p);
  EXPECT_TRUE(PaletteEntries(0).empty());
  EXPECT_EQ(NewPalette({}), 0u);
}

}  // namespace
}  // namespace zeb
