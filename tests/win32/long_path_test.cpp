// Paths past 260 characters under Wine, through the same layers the viewer uses: folders are made and
// scanned, a picture is read, a list file is written and read back, and files are replaced and removed.
// No path handed back carries the \\?\ form the file layer uses inside.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/list_file.h"
#include "platform/graphics/graphic.h"
#include "platform/services/file_stream.h"
#include "platform/services/file_system.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"
#include "tests/support/bmp_maker.h"

namespace zeb {
namespace {

TEST(LongPathTest, FoldersPicturesAndListFilesPast260Characters) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::string folder = win32::Narrow(base) + "zeb-long-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(Files().CreateFolder(folder));
  for (int level = 0; level < 5; ++level) {
    folder += "\\" + std::string(60, static_cast<char>('a' + level));
    ASSERT_TRUE(Files().CreateFolder(folder)) << folder.size();
  }
  ASSERT_GT(folder.size(), 300u);
  const std::string picture = folder + "\\picture.bmp";
  {
    const std::string bmp = test::SimpleBmp(6, 4, 24, std::vector<uint32_t>(24, 0x336699));
    FileStream file(picture, FileMode::Create);
    file.WriteBuffer(bmp.data(), static_cast<int64_t>(bmp.size()));
  }
  EXPECT_TRUE(Files().FileExists(picture));
  FileStamp stamp;
  EXPECT_TRUE(Files().Stamp(picture, stamp));
  std::vector<std::string> found;
  Files().Find(folder + "\\*", [&](const FindData& d) {
    found.push_back(d.name);
    return true;
  });
  EXPECT_NE(std::find(found.begin(), found.end(), "picture.bmp"), found.end());
  EXPECT_EQ(Files().ExpandFileName(picture), picture);

  Picture shown;
  shown.LoadFromFile(picture);
  EXPECT_EQ(shown.Width(), 6);

  const std::string list = folder + "\\pictures.zeb";
  app::WriteListFile(list, {picture});
  EXPECT_EQ(app::ReadListFile(list), std::vector<std::string>{picture});
  app::WriteListFile(list, {picture, picture});  // through a temporary name and ReplaceFile
  EXPECT_EQ(app::ReadListFile(list).size(), 2u);
  EXPECT_TRUE(Files().DeleteFile(list));
  EXPECT_TRUE(Files().DeleteFile(picture));
  EXPECT_FALSE(Files().FileExists(picture));
}

}  // namespace
}  // namespace zeb
