// Wallpaper mode: which file the desktop is given, the size it is written at, the desktop style
// settings, and what a failure leaves behind.
#include <gtest/gtest.h>

#include "tests/support/bmp_maker.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/jpeg.h"
#include "platform/headless/headless.h"
#include "tests/app/command_fixture.h"
#include "tests/support/jpeg_maker.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;

constexpr char kWall[] = "C:\\windows\\zeb_wall.bmp";
constexpr char kDesktopKey[] = "\\Control Panel\\desktop";

struct Size {
  int32_t width = 0, height = 0;
  bool operator==(const Size&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Size& s) { return out << s.width << "x" << s.height; }

class WallpaperTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    Fs().AddFolder("C:\\windows");
  }

  // A main window showing the one file at Path (already in the file system), wallpaper mode off.
  MainWindow& Showing(const std::string& path) {
    MainWindow& f = Make();
    f.Model().list.Add(path);
    f.Model().Tidy();
    f.Model().current = 0;
    f.Run(Command::Reload);
    return f;
  }
  // The size a BMP file's header gives (its height whatever the row order).
  static Size BmpSize(const std::string& path) {
    const std::string bytes = Fs().Contents(path);
    if (bytes.size() < 26 || bytes.compare(0, 2, "BM") != 0) return {};
    auto at = [&bytes](size_t i) {
      uint32_t v = 0;
      for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<uint8_t>(bytes[i + k]);
      return static_cast<int32_t>(v);
    };
    return {at(18), std::abs(at(22))};
  }
  // The blue, green, red bytes of a 24- or 32-bit bitmap's pixel.
  static const uint8_t* PixelAt(Bitmap& bitmap, int32_t x, int32_t y) {
    return bitmap.ScanLine(y) + static_cast<size_t>(x) * (bitmap.BitCount() / 8);
  }
  // The wallpaper file's pixel at (X, Y) is the JPEG's, within the decoder's rounding.
  static void ExpectWallpaperPixel(const test::JpegRecipe& recipe, int x, int y) {
    Bitmap wall;
    wall.LoadFromFile(kWall);
    const uint8_t* px = PixelAt(wall, x, y);
    const test::Rgb want = test::JpegExpected(recipe, x, y);
    EXPECT_NEAR(px[2], want.r, 8);
    EXPECT_NEAR(px[1], want.g, 8);
    EXPECT_NEAR(px[0], want.b, 8);
  }

  static Size Displayed(MainWindow& f) { return {f.picture.Width(), f.picture.Height()}; }
  static std::vector<std::string>& Wallpapers() { return headless::Desktop().wallpapers; }
  static bool HasDesktopSettings() { return headless::Settings().count(kDesktopKey) != 0; }
  static std::string DesktopSetting(const std::string& name) {
    auto& values = headless::Settings()[kDesktopKey];
    auto it = values.find(name);
    return it == values.end() ? "<none>" : it->second.value;
  }
  // Names in the Windows folder other than the wallpaper (a left-over temporary file).
  static std::vector<std::string> StrayFiles() {
    std::vector<std::string> names;
    Fs().Find("C:\\windows\\*", [&names](const FindData& d) {
      if (!(d.attributes & kAttrDirectory) && d.name != "zeb_wall.bmp") names.push_back(d.name);
      return true;
    });
    return names;
  }
};

TEST_F(WallpaperTest, ABmpAtItsOwnSizeIsHandedToTheDesktopAsItIs) {
  AddBmp("C:\\p\\photo.bmp", 200, 120);
  MainWindow& f = Showing("C:\\p\\photo.bmp");
  f.Run(Command::SetWallpaper);
  EXPECT_EQ(Wallpapers(), std::vector<std::string>{"C:\\p\\photo.bmp"});
  EXPECT_FALSE(Fs().FileExists(kWall));

  // As-shown changes nothing while the picture is at 100 %; the extension's case does not matter.
  AddBmp("C:\\p\\UPPER.BMP", 20, 10);
  MainWindow& g = Showing("C:\\p\\UPPER.BMP");
  g.Model().modes.wallpaper.asShown = true;
  g.Run(Command::SetWallpaper);
  EXPECT_EQ(Wallpapers().back(), "C:\\p\\UPPER.BMP");
  EXPECT_FALSE(Fs().FileExists(kWall));
}

// The desktop keeps a path of fewer than 260 characters: a BMP at a longer path goes as a copy.
TEST_F(WallpaperTest, ABmpWhosePathTheDesktopCannotKeepIsCopied) {
  for (size_t length : {259u, 260u, 400u}) {
    SCOPED_TRACE(length);
    const std::string folder = "C:\\p\\" + std::string(length - 11, 'x');  // 11: C:\p\ and \w.bmp
    const std::string path = folder + "\\w.bmp";
    ASSERT_EQ(path.size(), length);
    Fs().AddFolder(folder);
    AddBmp(path, 30, 20);
    Fs().DeleteFile(kWall);
    MainWindow& f = Showing(path);
    f.Run(Command::SetWallpaper);
    EXPECT_EQ(Wallpapers().back(), length < 260 ? path : kWall);
    EXPECT_EQ(BmpSize(kWall), (length < 260 ? Size{} : Size{30, 20}));
  }
}

TEST_F(WallpaperTest, AZoomedBmpWantedAsShownIsWrittenAtTheDisplayedSize) {
  AddBmp("C:\\p\\photo.bmp", 200, 120);
  MainWindow& f = Make();
  f.Model().modes.box.fixedWidth = f.Model().modes.box.fixedHeight = true;
  f.Model().modes.box.width = f.Model().modes.box.height = 100;
  f.Model().list.Add("C:\\p\\photo.bmp");
  f.Model().current = 0;
  f.Run(Command::Reload);
  ASSERT_EQ(f.Shown().zoom, 0.5);
  ASSERT_EQ(Displayed(f), (Size{100, 60}));

  f.Model().modes.wallpaper.asShown = true;
  f.Run(Command::SetWallpaper);
  EXPECT_EQ(Wallpapers(), std::vector<std::string>{kWall});
  EXPECT_EQ(BmpSize(kWall), (Size{100, 60}));
  // The picture was drawn, not left blank: its colour is everywhere.
  Bitmap wall;
  wall.LoadFromFile(kWall);
  const uint8_t* px = PixelAt(wall, 50, 30);
  EXPECT_EQ(px[2], 0x33);
  EXPECT_EQ(px[1], 0x66);
  EXPECT_EQ(px[0], 0x99);
  EXPECT_TRUE(StrayFiles().empty());

  // Without as-shown the same picture is the file itself again.
  f.Model().modes.wallpaper.asShown = false;
  f.Run(Command::SetWallpaper);
  EXPECT_EQ(Wallpapers().back(), "C:\\p\\photo.bmp");
}

TEST_F(WallpaperTest, AnIconIsAlwaysDrawnAtTheDisplayedSize) {
  Fs().AddFile("C:\\p\\app.ico", test::SmallIcon());
  MainWindow& f = Make();
  f.Model().modes.box.fixedWidth = f.Model().modes.box.fixedHeight = f.Model().modes.enlargeSmall = true;
  f.Model().modes.box.width = f.Model().modes.box.height = 64;
  f.Model().list.Add("C:\\p\\app.ico");
  f.Model().current = 0;
  f.Run(Command::Reload);
  ASSERT_EQ(f.Shown().zoom, 2.0);

  // WallpaperAsShown is off: an icon still goes at the size it has on screen.
  f.Run(Command::SetWallpaper);
  EXPECT_EQ(Wallpapers(), std::vector<std::string>{kWall});
  EXPECT_EQ(BmpSize(kWall), (Size{64, 64}));
}

TEST_F(WallpaperTest, AJpegAt100PercentIsWrittenAtItsNaturalSizeAndStaysOnScreen) {
  const test::JpegRecipe recipe{.width = 40, .height = 30};
  Fs().AddFile("C:\\p\\photo.jpg", test::MakeJpeg(recipe));
  MainWindow& f = Showing("C:\\p\\photo.jpg");
  Image* shown = f.picture.Content().Graphic();
  ASSERT_NE(dynamic_cast<JpegImage*>(shown), nullptr);
  f.Model().modes.wallpaper.asShown = true;  // at 100 % the natural size is the shown one
  f.Run(Command::SetWallpaper);

  EXPECT_EQ(Wallpapers(), std::vector<std::string>{kWall});
  EXPECT_EQ(BmpSize(kWall), (Size{40, 30}));
  ExpectWallpaperPixel(recipe, 20, 15);
  // The picture on screen is the same object at the same size.
  EXPECT_EQ(f.picture.Content().Graphic(), shown);
  EXPECT_EQ(Displayed(f), (Size{40, 30}));
  EXPECT_EQ(f.Shown().zoom, 1.0);
}

TEST_F(WallpaperTest, AJpegShownReducedIsWrittenAtItsFullSizeAndStaysReducedOnScreen) {
  const test::JpegRecipe recipe{.width = 800, .height = 600};
  Fs().AddFile("C:\\p\\photo.jpg", test::MakeJpeg(recipe));
  MainWindow& f = Make();
  f.Model().modes.box = {.width = 200, .height = 200, .fixedWidth = true, .fixedHeight = true};
  f.Model().list.Add("C:\\p\\photo.jpg");
  f.Model().current = 0;
  f.Run(Command::Reload);
  auto* shown = dynamic_cast<JpegImage*>(f.picture.Content().Graphic());
  ASSERT_NE(shown, nullptr);
  ASSERT_EQ(f.Shown().zoom, 0.25);

  f.Run(Command::SetWallpaper);
  EXPECT_EQ(BmpSize(kWall), (Size{800, 600}));
  ExpectWallpaperPixel(recipe, 700, 500);
  EXPECT_EQ(const_cast<Bitmap*>(shown->DecodedBitmap())->GetWidth(), 200);

  // As shown, it is drawn at the size it has on screen.
  f.Model().modes.wallpaper.asShown = true;
  f.Run(Command::SetWallpaper);
  EXPECT_EQ(BmpSize(kWall), (Size{200, 150}));
}

TEST_F(WallpaperTest, AnExistingWallpaperFileIsOverwrittenAndTheFolderSeparatorIsAddedOnce) {
  Fs().AddFile(kWall, "the previous wallpaper");
  Fs().AddFile("C:\\p\\photo.jpg", test::MakeJpeg({.width = 12, .height = 8}));
  MainWindow& f = Showing("C:\\p\\photo.jpg");
  f.Run(Command::SetWallpaper);
  EXPECT_EQ(BmpSize(kWall), (Size{12, 8}));

  Fs().SetWindowsDirectory("C:\\windows\\");
  f.Run(Command::SetWallpaper);
  EXPECT_EQ(Wallpapers(), (std::vector<std::string>{kWall, kWall}));
  EXPECT_TRUE(StrayFiles().empty());
}

TEST_F(WallpaperTest, TheLayoutDecidesTheDesktopSettings) {
  AddBmp("C:\\p\\photo.bmp");
  MainWindow& f = Showing("C:\\p\\photo.bmp");
  ASSERT_EQ(f.Model().modes.wallpaper.layout, WallpaperLayout::Unchanged);
  f.Run(Command::SetWallpaper);
  EXPECT_FALSE(HasDesktopSettings());
  EXPECT_EQ(Wallpapers().size(), 1u);

  struct Row {
    WallpaperLayout layout;
    const char* tile;
    const char* style;
  };
  for (Row row : {Row{WallpaperLayout::Centre, "0", "0"}, Row{WallpaperLayout::Stretch, "0", "2"},
                  Row{WallpaperLayout::Tile, "1", "0"}}) {
    SCOPED_TRACE(static_cast<int>(row.layout));
    headless::Settings()[kDesktopKey]["TileWallpaper"] = {true, "x"};
    headless::Settings()[kDesktopKey]["WallpaperStyle"] = {true, "x"};
    f.Model().modes.wallpaper.layout = row.layout;
    f.Run(Command::SetWallpaper);
    EXPECT_EQ(DesktopSetting("TileWallpaper"), row.tile);
    EXPECT_EQ(DesktopSetting("WallpaperStyle"), row.style);
  }
  // Back at 3 the last settings stay as they were.
  f.Model().modes.wallpaper.layout = WallpaperLayout::Unchanged;
  f.Run(Command::SetWallpaper);
  EXPECT_EQ(DesktopSetting("TileWallpaper"), "1");
  EXPECT_EQ(Wallpapers().size(), 5u);
}

TEST_F(WallpaperTest, ADesktopKeyThatCannotBeOpenedIsPassedOver) {
  AddBmp("C:\\p\\photo.bmp");
  MainWindow& f = Showing("C:\\p\\photo.bmp");
  headless::ReadOnlySettingsKeys().push_back(kDesktopKey);
  f.Model().modes.wallpaper.layout = WallpaperLayout::Stretch;
  ui::App().Guard([&] { f.Run(Command::SetWallpaper); });
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(HasDesktopSettings());
  EXPECT_EQ(Wallpapers(), std::vector<std::string>{"C:\\p\\photo.bmp"});
}

TEST_F(WallpaperTest, AnUnwritableWindowsFolderWithoutAUserFolderIsReportedAndChangesNothing) {
  Fs().SetLocalAppDataDirectory("");
  Fs().AddFile("C:\\p\\a.jpg", test::MakeJpeg({.width = 12, .height = 8}));
  Fs().AddFile("C:\\p\\b.jpg", test::MakeJpeg({.width = 14, .height = 9}));
  Fs().SetLocked("C:\\windows", true);
  MainWindow& f = Showing("C:\\p\\a.jpg");
  f.Model().list.Add("C:\\p\\b.jpg");
  f.Model().modes.wallpaper.on = true;
  f.Model().modes.wallpaper.layout = WallpaperLayout::Tile;

  // Showing the next picture makes the wallpaper, which fails: the error reaches the message box.
  Press(ui::VK_SPACE_);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("zeb_wall.bmp"), std::string::npos) << Messages()[0];
  EXPECT_EQ(Messages()[0].find(".~zeb"), std::string::npos) << Messages()[0];
  EXPECT_FALSE(HasDesktopSettings());
  EXPECT_TRUE(Wallpapers().empty());
  EXPECT_FALSE(Fs().FileExists(kWall));
  // The picture is shown and stays in the list.
  EXPECT_EQ(Entries(), (std::vector<std::string>{"C:\\p\\a.jpg", "C:\\p\\b.jpg"}));
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(f.Shown().name, "b.jpg");
}

TEST_F(WallpaperTest, AWallpaperThatCannotBeReplacedKeepsItsOldContents) {
  Fs().SetLocalAppDataDirectory("");
  Fs().AddFile(kWall, "the previous wallpaper");
  Fs().SetLocked(kWall, true);
  Fs().AddFile("C:\\p\\a.jpg", test::MakeJpeg({.width = 12, .height = 8}));
  MainWindow& f = Showing("C:\\p\\a.jpg");
  f.Model().modes.wallpaper.layout = WallpaperLayout::Centre;
  EXPECT_THROW(f.Run(Command::SetWallpaper), FileCreateError);
  EXPECT_EQ(Fs().Contents(kWall), "the previous wallpaper");
  EXPECT_TRUE(StrayFiles().empty());
  EXPECT_FALSE(HasDesktopSettings());
  EXPECT_TRUE(Wallpapers().empty());
}

// A normal user cannot write the Windows folder: the wallpaper goes to the user's own folder, made when
// missing, and the desktop gets that file's full path. Without either folder only a BMP file can be it.
TEST_F(WallpaperTest, WhereTheWindowsFolderRefusesTheUsersOwnFolderTakesTheWallpaper) {
  constexpr char kOwn[] = "C:\\users\\user\\AppData\\Local\\ZEB\\zeb_wall.bmp";
  Fs().AddFile("C:\\p\\a.jpg", test::MakeJpeg({.width = 12, .height = 8}));
  AddBmp("C:\\p\\b.bmp");
  for (bool windowsFolder : {true, false}) {
    SCOPED_TRACE(windowsFolder);
    if (windowsFolder)
      Fs().SetLocked("C:\\windows", true);
    else
      Fs().SetWindowsDirectory("");
    MainWindow& f = Showing("C:\\p\\a.jpg");
    f.Run(Command::SetWallpaper);
    EXPECT_EQ(Wallpapers().back(), kOwn);
    EXPECT_TRUE(Fs().FileExists(kOwn));
    EXPECT_FALSE(Fs().FileExists(kWall));
  }
  Fs().SetLocalAppDataDirectory("");
  MainWindow& f = Showing("C:\\p\\a.jpg");
  const size_t before = Wallpapers().size();
  f.Run(Command::SetWallpaper);
  EXPECT_EQ(Wallpapers().size(), before);
  // A BMP named relative to the current folder (as a list file may hold it) is handed over in full.
  Fs().SetCurrentDirectory("C:\\p\\");
  MainWindow& g = Showing("b.bmp");
  g.Run(Command::SetWallpaper);
  EXPECT_EQ(Wallpapers().back(), "C:\\p\\b.bmp");
}

TEST_F(WallpaperTest, ASlideShowReportsAWallpaperItCannotWriteOncePerShow) {
  Fs().SetLocked("C:\\windows", true);
  Fs().SetLocalAppDataDirectory("");
  for (int i = 0; i < 4; ++i)
    Fs().AddFile("C:\\p\\" + std::to_string(i) + ".jpg", test::MakeJpeg({.width = 12, .height = 8}));
  MainWindow& f = Showing("C:\\p\\0.jpg");
  for (int i = 1; i < 4; ++i) f.Model().list.Add("C:\\p\\" + std::to_string(i) + ".jpg");
  f.Model().modes.wallpaper.on = true;
  f.Model().modes.loop = true;
  Press('S');
  for (int tick = 0; tick < 5; ++tick) ui::App().Guard([&] { f.slideTimer.Tick(); });
  EXPECT_EQ(Messages().size(), 1u);
  Press('S');  // stopped: each step by hand is reported
  Press('N');
  EXPECT_EQ(Messages().size(), 2u);
  Press('S');  // a new show reports once again
  for (int tick = 0; tick < 3; ++tick) ui::App().Guard([&] { f.slideTimer.Tick(); });
  EXPECT_EQ(Messages().size(), 3u);
}

TEST_F(WallpaperTest, CtrlWSetsTheWallpaperWhenItTurnsOnAndLeavesItWhenItTurnsOff) {
  Fs().AddFile("C:\\p\\a.jpg", test::MakeJpeg({.width = 12, .height = 8}));
  MainWindow& f = Showing("C:\\p\\a.jpg");
  Press('Z');  // any key without Ctrl rebuilds the title
  Press('W', kCtrl);
  ASSERT_TRUE(f.Model().modes.wallpaper.on);
  EXPECT_EQ(Wallpapers(), std::vector<std::string>{kWall});
  const std::string written = Fs().Contents(kWall);

  // The settings keys change nothing until the wallpaper is next made.
  Press('Z', kShift);
  EXPECT_EQ(f.Model().modes.wallpaper.layout, WallpaperLayout::Stretch);
  EXPECT_FALSE(HasDesktopSettings());
  Press('Z');
  const std::string title = Title();
  ASSERT_EQ(title.substr(0, 3), "[WZ");

  Press('W', kCtrl);
  EXPECT_FALSE(f.Model().modes.wallpaper.on);
  EXPECT_EQ(Wallpapers().size(), 1u);
  EXPECT_EQ(Fs().Contents(kWall), written);
  EXPECT_FALSE(HasDesktopSettings());
  EXPECT_EQ(Title(), title);  // rebuilt only with the next picture

  // On again: the new layout takes effect.
  Press('W', kCtrl);
  EXPECT_EQ(Wallpapers().size(), 2u);
  EXPECT_EQ(DesktopSetting("WallpaperStyle"), "2");
}

TEST_F(WallpaperTest, WallpaperSwitchWithQuitSetsTheFirstPictureAndEnds) {
  Fs().AddFile("C:\\p\\photo.jpg", test::MakeJpeg({.width = 24, .height = 16}));
  MainWindow& f = Make({"-Wz", "-q", "C:\\p\\photo.jpg"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Wallpapers(), std::vector<std::string>{kWall});
  EXPECT_EQ(BmpSize(kWall), (Size{24, 16}));
  EXPECT_EQ(DesktopSetting("TileWallpaper"), "0");
  EXPECT_EQ(DesktopSetting("WallpaperStyle"), "2");
  EXPECT_TRUE(f.impl().closed);
  EXPECT_TRUE(ui::App().Terminated());
}

TEST_F(WallpaperTest, EveryPictureShownInWallpaperModeBecomesTheWallpaper) {
  MainWindow& f = WithNumbered(3);
  f.Model().modes.wallpaper.on = true;
  Press(ui::VK_SPACE_);
  Press(ui::VK_SPACE_);
  EXPECT_EQ(Wallpapers(), (std::vector<std::string>{"C:\\p\\1.bmp", "C:\\p\\2.bmp"}));
  EXPECT_FALSE(f.impl().closed);
}

}  // namespace
}  // namespace zeb::app
