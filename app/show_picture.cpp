// Showing the current entry, and the slide show's pause while a picture loads.
#include <algorithm>

#include "app/dialogs/list_window.h"
#include "app/main_window.h"
#include "app/plugin_crash_report.h"
#include "platform/core/errors.h"
#include "platform/core/strings.h"

namespace zeb::app {

void MainWindow::ShowCurrent() {
  ImageList& list = model_.list;
  // Entries that cannot be read are tried in the order deleting them one by one would give (on
  // forward, then back from the end of the list), but they leave the list in one step once one loads:
  // a long run of broken entries costs one pass, and no stack.
  int32_t brokenFirst = 0, brokenCount = 0;
  // Deletes the broken run and makes Index (counted before the deletion) the current entry.
  auto dropBrokenAndSelect = [&](int32_t index) {
    if (brokenCount == 0) return;
    model_.DeleteRange(brokenFirst, brokenCount);
    if (index >= brokenFirst) index -= brokenCount;
    if (index >= 0 && index < list.Count()) model_.current = index;
    brokenCount = 0;
  };
  shown_.transform = {};  // each picture is first shown as it is stored
  for (;;) {
    const int32_t count = list.Count() - brokenCount;
    if (count == 0) {
      dropBrokenAndSelect(-1);
      SetCaption("<empty>");
      picture.Content().Assign(blankPicture_.Content());
      FitToPicture();
      ShowPluginCrashReports(plugins.get(), slideShow_.Running());
      return;
    }
    int32_t index;
    if (brokenCount == 0) {
      // An index left outside the list (a cleared bookmark, say) shows the nearest entry.
      index = model_.current = std::clamp(model_.current, 0, count - 1);
    } else {
      // The entry that moves into the broken run's place, or the one before the run at the list's end.
      index = brokenFirst + brokenCount < list.Count() ? brokenFirst + brokenCount : brokenFirst - 1;
    }
    try {
      const std::string entry = list.Entry(index);
      LoadPicture(entry);
      dropBrokenAndSelect(index);
      shown_.name = model_.showFullPath ? entry : FileNamePart(entry);
      // The plug-in crashes met on the way are told once the broken entries have left the list: a
      // message box lets keys and the List window in, and they must find the list whole.
      ShowPluginCrashReports(plugins.get(), slideShow_.Running());
      if (listWindow_.Visible()) listWindow_.entryList.SetItemIndex(model_.current);
      FitToPicture();
      if (model_.modes.wallpaper.on) SetWallpaperOfShown();
      readAheadTimer.SetEnabled(false);
      readAheadTimer.SetEnabled(true);
      if (model_.modes.quitAtEnd && !slideShow_.Running() && model_.modes.wallpaper.on) Close();
      return;
    } catch (const InvalidPicture&) {
    } catch (const FileOpenError&) {
    } catch (...) {
      dropBrokenAndSelect(index);
      throw;
    }
    if (brokenCount == 0 || index < brokenFirst) brokenFirst = index;
    ++brokenCount;
  }
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
