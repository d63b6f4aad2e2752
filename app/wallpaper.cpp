// Wallpaper mode: every picture shown also becomes the desktop wallpaper.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/view/turned_bitmap.h"
#include "platform/core/errors.h"
#include "platform/core/strings.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/jpeg.h"
#include "platform/services/desktop.h"
#include "platform/services/file_system.h"
#include "platform/services/settings.h"
#include "platform/services/write_through_temporary.h"

namespace zeb::app {

namespace {

const char kWallpaperName[] = "zeb_wall.bmp";
const char kDesktopKey[] = "\\Control Panel\\desktop";

// Writes Bitmap as a BMP file at FileName. The bytes go to a name beside it that no file has yet and
// then replace the old wallpaper in one step, so a write that fails part-way never leaves a cut-off
// wallpaper behind. Raises FileCreateError when the file cannot be made.
void WriteWallpaperFile(Bitmap& bitmap, const std::string& fileName) {
  WriteFileThroughTemporary(fileName, [&](Stream& file) { bitmap.SaveToStream(file); });
}

std::string InFolder(std::string folder, const char* name) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder + name;
}

// Writes the wallpaper file and returns where: into the Windows folder where this user may write
// there, else into the user's own application-data folder (ZEB\zeb_wall.bmp, made when missing). A
// program with a manifest is not redirected elsewhere when the Windows folder refuses it.
std::string WriteWallpaper(Bitmap& bitmap) {
  const std::string windows = Files().WindowsDirectory();
  if (!windows.empty()) {
    try {
      const std::string file = InFolder(windows, kWallpaperName);
      WriteWallpaperFile(bitmap, file);
      return file;
    } catch (const FileCreateError&) {
      if (Files().LocalAppDataDirectory().empty()) throw;
    }
  }
  const std::string folder = InFolder(Files().LocalAppDataDirectory(), "ZEB");
  Files().CreateFolder(folder);
  const std::string file = InFolder(folder, kWallpaperName);
  WriteWallpaperFile(bitmap, file);
  return file;
}

// The desktop settings for a layout: TileWallpaper, then WallpaperStyle.
std::vector<std::pair<std::string, std::string>> LayoutValues(WallpaperLayout layout) {
  switch (layout) {
    case WallpaperLayout::Centre:
      return {{"TileWallpaper", "0"}, {"WallpaperStyle", "0"}};
    case WallpaperLayout::Stretch:
      return {{"TileWallpaper", "0"}, {"WallpaperStyle", "2"}};
    case WallpaperLayout::Tile:
      return {{"TileWallpaper", "1"}, {"WallpaperStyle", "0"}};
    case WallpaperLayout::Unchanged:
      break;
  }
  return {};
}

}  // namespace

void MainWindow::SetWallpaper() {
  if (model_.current < 0 || model_.current >= model_.list.Count()) return;
  const std::string entry = model_.list.Entry(model_.current);
  const std::string ext = UpperAscii(ExtensionPart(entry));
  const bool natural = !model_.modes.wallpaper.asShown || shown_.zoom == 1.0;
  // The wallpaper is the picture as it is viewed: a turned one is written turned.
  const PictureTurn turn = shown_.transform.turn;

  std::string wallpaperFile;
  if (natural && ext == ".BMP" && turn.Identity()) {
    // The desktop reads a BMP file itself: no copy is made. It is handed the full path (an entry of a
    // list file may be relative), unless that is longer than the desktop keeps: then it gets a copy.
    wallpaperFile = Files().ExpandFileName(entry);
    if (!DesktopTakesWallpaperPath(wallpaperFile)) wallpaperFile.clear();
  }
  if (wallpaperFile.empty()) {
    Image* graphic = picture.Content().Graphic();
    if (!graphic) return;
    // Without a folder for it there is no sound place for the wallpaper file, so nothing changes.
    if (Files().WindowsDirectory().empty() && Files().LocalAppDataDirectory().empty()) return;
    std::unique_ptr<Bitmap> drawn;
    Bitmap* bitmap = nullptr;
    if (natural && ext != ".ICO") {
      // A picture held as a bitmap (every plug-in picture is one) is written as it is; a JPEG gives its
      // full pixels (it may hold only those it is shown with).
      if (auto* held = dynamic_cast<Bitmap*>(graphic)) {
        bitmap = held;
      } else if (dynamic_cast<JpegImage*>(graphic)) {
        drawn = std::make_unique<Bitmap>();
        drawn->Assign(*graphic);
      } else {
        drawn = DrawToNewBitmap(*graphic, graphic->GetWidth(), graphic->GetHeight());
      }
    } else {
      // Icons, and pictures wanted as shown, are drawn at the size they have on screen (upright first).
      const view::Size upright = shown_.transform.Turned({picture.Width(), picture.Height()});
      drawn = DrawToNewBitmap(*graphic, upright.width, upright.height);
    }
    if (drawn) bitmap = drawn.get();
    if (!turn.Identity() && bitmap->GetWidth() > 0 && bitmap->GetHeight() > 0) {
      drawn = view::TurnedBitmap(*bitmap, turn);
      bitmap = drawn.get();
    }
    // A picture without pixels would make an empty file; the desktop keeps what it has.
    if (bitmap->GetWidth() <= 0 || bitmap->GetHeight() <= 0) return;
    wallpaperFile = WriteWallpaper(*bitmap);
  }

  // The style goes first, so that the desktop shows the new picture with it. A key that cannot be
  // opened is passed over: the wallpaper is still set.
  const auto values = LayoutValues(model_.modes.wallpaper.layout);
  if (!values.empty()) WriteSettingsStrings(kDesktopKey, values);
  SetDesktopWallpaper(wallpaperFile);
}

void MainWindow::ToggleWallpaperMode() {
  model_.modes.wallpaper.on = !model_.modes.wallpaper.on;
  if (model_.modes.wallpaper.on) SetWallpaper();
}

}  // namespace zeb::app
