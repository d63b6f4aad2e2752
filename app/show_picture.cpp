// Showing the current entry, and the slide show's pause while a picture loads.
#include <algorithm>

#include "app/dialogs/list_window.h"
#include "app/main_window.h"
#include "app/plugin_crash_report.h"
#include "platform/core/errors.h"
#include "platform/core/strings.h"

namespace zeb::app {

void MainWindow::ShowCurrent() {
  shown_.transform = {};  // each picture is first shown as it is stored
  std::string shownEntry;
  const bool shown = model_.SettleOnReadable([this, &shownEntry](const std::string& entry) {
    try {
      LoadPicture(entry);
    } catch (const InvalidPicture&) {
      return false;
    } catch (const FileOpenError&) {
      return false;
    }
    shownEntry = entry;
    return true;
  });
  // The plug-in crashes met on the way are told once the broken entries have left the list: a message
  // box lets keys and the List window in, and they must find the list whole.
  if (!shown) {
    SetCaption("<empty>");
    picture.Content().Assign(blankPicture_.Content());
    FitToPicture();
    ShowPluginCrashReports(plugins.get(), slideShow_.Running());
    return;
  }
  shown_.name = model_.showFullPath ? shownEntry : FileNamePart(shownEntry);
  ShowPluginCrashReports(plugins.get(), slideShow_.Running());
  if (listWindow_.Visible()) listWindow_.entryList.SetItemIndex(model_.current);
  FitToPicture();
  if (model_.modes.wallpaper.on) SetWallpaperOfShown();
  readAheadTimer.SetEnabled(false);
  readAheadTimer.SetEnabled(true);
  if (model_.modes.quitAtEnd && !slideShow_.Running() && model_.modes.wallpaper.on) Close();
}

void MainWindow::SetWallpaperOfShown() {
  try {
    SetWallpaper();
  } catch (const FileCreateError&) {
    // A running slide show reports a wallpaper it cannot write once, not at every tick.
    if (slideShow_.Running()) {
      if (slideShow_.wallpaperErrorShown) return;
      slideShow_.wallpaperErrorShown = true;
    }
    throw;
  }
}

void MainWindow::LoadPicture(const std::string& entry) {
  std::unique_ptr<Image> decoded = readAhead_.Take(entry);
  if (!decoded) {
    // A picture larger than the room it is fitted into may be read at no more than the size it is
    // shown at; drawn larger later, it reads itself again.
    const view::Size room = PictureRoom();
    picture.Content().SetLargestDrawSize(room.width, room.height);
    picture.Content().LoadFromFile(entry);
    return;
  }
  // Decoded beside the window's thread: its stages are told now, as a load tells them.
  Image* graphic = decoded.get();
  const PixelRect whole{0, 0, graphic->GetWidth(), graphic->GetHeight()};
  if (picture.OnProgress)
    picture.OnProgress(graphic, ProgressStage::Starting, 0, false, PixelRect{}, std::string());
  picture.Content().SetGraphic(std::move(decoded));
  if (picture.OnProgress)
    picture.OnProgress(graphic, ProgressStage::Ending, 100, false, whole, std::string());
}

void MainWindow::ReadNextAhead() {
  bool forward = run.walkingForward;
  if (slideShow_.Running()) {
    if (model_.modes.slideDirection == SlideDirection::Random) {
      readAhead_.Drop();
      return;
    }
    forward = model_.modes.slideDirection == SlideDirection::Forward;
  }
  const int32_t next = model_.NextIndex(forward);
  if (next < 0 || next == model_.current) {
    readAhead_.Drop();
    return;
  }
  // The next picture is first shown as it is stored: its room is the upright one.
  const view::Size room = view::PictureRoom(FitInputsNow());
  readAhead_.Start(model_.list.Entry(next), room.width, room.height);
}

void MainWindow::OnPictureProgress(ProgressStage stage) {
  if (!model_.modes.pauseWhileLoading) return;
  if (stage == ProgressStage::Starting) {
    run.showWasRunning = slideTimer.Enabled();
    slideTimer.SetEnabled(false);
  } else if (stage == ProgressStage::Ending) {
    if (run.showWasRunning) slideTimer.SetEnabled(true);
  }
}

}  // namespace zeb::app
