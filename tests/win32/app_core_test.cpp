// The viewer core's platform services under Wine: list files in the ANSI code page (UTF-8 with a
// byte-order mark when a name does not fit it), the collation order and folder identities.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "app/list_file.h"
#include "platform/services/collation.h"
#include "platform/services/file_system.h"
#include "platform/services/folder_identity.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

namespace zeb::app {
namespace {

using win32::Narrow;
using win32::Widen;

std::string TempFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::string path = Narrow(base) + "zeb-app-core-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryW(Widen(path).c_str(), nullptr);
  return path;
}

std::string RawContents(const std::string& path) {
  HANDLE h =
      CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<none>";
  std::string data(4096, '\0');
  DWORD read = 0;
  ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
  CloseHandle(h);
  data.resize(read);
  return data;
}

TEST(ListFileEncodingTest, AnsiWhenEveryNameFitsUtf8WithAMarkOtherwise) {
  if (GetACP() != 1252) GTEST_SKIP() << "written for the Western code page, this system has " << GetACP();
  const std::string folder = TempFolder();
  const std::string ansi = folder + "\\ansi.zeb", wide = folder + "\\wide.zeb";
  WriteListFile(ansi, {"C:\\pics\\café.jpg"});
  EXPECT_EQ(RawContents(ansi), "C:\\pics\\caf\xE9.jpg\r\n");
  EXPECT_EQ(ReadListFile(ansi), std::vector<std::string>{"C:\\pics\\café.jpg"});

  const std::vector<std::string> names{"C:\\pics\\café.jpg", "C:\\写真\\猫.jpg", "C:\\smile😀.png"};
  WriteListFile(wide, names);
  EXPECT_EQ(RawContents(wide).substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(ReadListFile(wide), names);
  // Nothing is left beside the list files.
  EXPECT_EQ(RawContents(ansi + ".~zeb"), "<none>");
  EXPECT_EQ(RawContents(wide + ".~zeb"), "<none>");
  DeleteFileW(Widen(ansi).c_str());
  DeleteFileW(Widen(wide).c_str());
  RemoveDirectoryW(Widen(folder).c_str());
}

TEST(CollationTest, KeysOrderAsTheLocaleComparesWithoutCase) {
  std::vector<std::string> texts{"C:\\p\\c.bmp",  "C:\\p\\B.JPG",  "C:\\p\\a.jpg",      "C:\\p\\a-b.jpg",
                                 "C:\\p\\ab.jpg", "C:\\p\\Äb.jpg", "C:\\p\\_x.jpg",     "C:\\p\\10.jpg",
                                 "C:\\p\\9.jpg",  "C:\\q\\a.jpg",  "C:\\p\\sub\\a.jpg", "C:\\p\\写真.jpg",
                                 "C:\\p\\z.jpg"};
  for (const auto& a : texts) {
    for (const auto& b : texts) {
      std::wstring wa = Widen(a), wb = Widen(b);
      int compared = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(), -1, wb.c_str(),
                                     -1, nullptr, nullptr, 0);
      std::string ka = CollationKey(a), kb = CollationKey(b);
      int byKeys = ka < kb ? CSTR_LESS_THAN : ka == kb ? CSTR_EQUAL : CSTR_GREATER_THAN;
      EXPECT_EQ(byKeys, compared) << a << " / " << b;
    }
  }
  EXPECT_LT(CollationKey("C:\\p\\a.jpg"), CollationKey("C:\\p\\B.JPG"));
  EXPECT_LT(CollationKey("C:\\p\\B.JPG"), CollationKey("C:\\p\\c.bmp"));
  EXPECT_EQ(CollationKey("C:\\P\\A.JPG"), CollationKey("c:\\p\\a.jpg"));
}

// A long list's keys are made on two threads at once: each key is the one a lone thread makes.
TEST(CollationTest, TwoThreadsMakeTheKeysOneWould) {
  std::vector<std::string> names;
  for (int i = 0; i < 20000; ++i)
    names.push_back("C:\\pics\\Folder " + std::to_string(i % 97) + "\\Ä" + std::to_string(i) + ".jpg");
  std::vector<std::string> alone(names.size()), together(names.size());
  for (size_t i = 0; i < names.size(); ++i) alone[i] = CollationKey(names[i]);
  auto half = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) together[i] = CollationKey(names[i]);
  };
  std::thread other(half, names.size() / 2, names.size());
  half(0, names.size() / 2);
  other.join();
  EXPECT_EQ(together, alone);
}

TEST(FolderIdentityTest, OneFolderOneIdentityWhateverTheSpelling) {
  const std::string folder = TempFolder();
  CreateDirectoryW(Widen(folder + "\\sub").c_str(), nullptr);
  const std::string id = FolderIdentity(folder + "\\");
  EXPECT_EQ(FolderIdentity(folder), id);
  std::string upper = folder;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
  EXPECT_EQ(FolderIdentity(upper + "\\"), id);
  EXPECT_EQ(FolderIdentity(folder + "\\sub\\..\\"), id);
  EXPECT_NE(FolderIdentity(folder + "\\sub\\"), id);
  // A folder that cannot be opened is known by its path.
  EXPECT_EQ(FolderIdentity("C:\\no\\such\\folder\\"), "C:\\NO\\SUCH\\FOLDER");
  RemoveDirectoryW(Widen(folder + "\\sub").c_str());
  RemoveDirectoryW(Widen(folder).c_str());
}

}  // namespace
}  // namespace zeb::app
