// Showing the current entry, and the slide show's pause while a picture loads.
#include <algorithm>
#include <optional>

#include "app/dialogs/list_window.h"
#include "app/list/folder_presence.h"
#include "app/main_window.h"
#include "app/plugin_crash_report.h"
#include "platform/core/errors.h"
#include "platform/core/strings.h"

namespace zeb::app {

void MainWindow::ShowCurrent() {
  shown_.transform = {};  // each picture is first shown upright, as its orientation says (below)
  std::string shownEntry;
  bool shown, stopped = false;
  {
    // A long run of unreadable entries keeps the window alive: messages are let through at the walk's
    // pace, the title tells how far the search is, and Escape ends it as it ends a walk. Nothing reads
    // ahead meanwhile, and no command may move the places the search holds in the list.
    readAheadTimer.SetEnabled(false);
    const bool outerBuilding = run.building, outerSettling = run.settling;
    run.building = run.settling = true;
    struct Restore {
      RunState& run;
      bool building, settling;
      ~Restore() { run.building = building, run.settling = settling; }
    } restore{run, outerBuilding, outerSettling};
    FolderPresence presence;
    bool failedOnce = false;
    std::optional<view::Size> room;
    shown = model_.SettleOnReadable(
        [&](const std::string& entry) {
          // Once one entry has failed, missing files are told by their folders' listings.
          if (failedOnce && !presence.MayExist(entry)) return false;
          try {
            LoadPicture(entry, room);
          } catch (const InvalidPicture&) {
            failedOnce = true;
            return false;
          } catch (const FileOpenError&) {
            presence.OpenFailed(entry);
            failedOnce = true;
            return false;
          }
          shownEntry = entry;
          return true;
        },
        [&](int32_t index) {
          if (std::chrono::steady_clock::now() - lastTitle_ >= pacing.title)
            ShowBuildProgress(
                FormatText("(%s/%s) %s", {IntToStr(static_cast<int64_t>(index) + 1),
                                          IntToStr(model_.list.Count()), model_.list.Entry(index)}),
                false);
          PumpMessages(false);
          stopped = run.abortRequested;
          return !stopped;
        });
  }
  if (stopped) {
    // Escape during the search ends the program, as during a walk.
    ui::App().Terminate();
    return;
  }
  // The plug-in crashes met on the way are told once the broken entries have left the list: a message
  // box lets keys and the List window in, and they must find the list whole.
  if (!shown) {
    SetCaption("<empty>");
    picture.Content().Assign(blankPicture_.Content());
    FitToPicture();
    ShowPluginCrashReports(plugins.get(), slideShow_.Running());
  } else {
    shown_.name = model_.showFullPath ? shownEntry : FileNamePart(shownEntry);
    shown_.transform.turn = picture.Content().Graphic()->Orientation();
    ShowPluginCrashReports(plugins.get(), slideShow_.Running());
    if (ListWindowShown()) listWindow_->entryList.SetItemIndex(model_.current);
    FitToPicture();
    if (model_.modes.wallpaper.on) SetWallpaperOfShown();
    readAheadTimer.SetEnabled(true);
    if (model_.modes.quitAtEnd && !slideShow_.Running() && model_.modes.wallpaper.on) Close();
  }
  RunWaitingCommands();
}

void MainWindow::RunWaitingCommands() {
  // Run from the outermost showing only, one after another: each may show a picture itself.
  if (run.settling || runningWaiting_) return;
  runningWaiting_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{runningWaiting_};
  while (!run.waiting.empty() && !ui::App().Terminated()) {
    auto [command, input] = std::move(run.waiting.front());
    run.waiting.erase(run.waiting.begin());
    Run(command, input);
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

void MainWindow::LoadPicture(const std::string& entry, std::optional<view::Size>& room) {
  std::unique_ptr<Image> decoded = TakeEarlyPicture(entry);
  if (!decoded) decoded = readAhead_.Take(entry);
  if (!decoded) {
    // A picture larger than the room it is fitted into may be read at no more than the size it is
    // shown at; drawn larger later, it reads itself again. The room is the same for every entry a
    // search tries, and asking the system for it is not cheap.
    if (!room) room = PictureRoom();
    picture.Content().SetLargestDrawSize(room->width, room->height);
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
  // The next picture is first shown upright: the room is told as it is, the picture turns it itself.
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
