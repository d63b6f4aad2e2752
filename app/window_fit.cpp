// Fitting the window to the picture: the inputs are gathered here, worked out by the pure fit
// (app/view/fit.h) and applied to the picture control and the window, then the title follows.
#include <algorithm>

#include "app/dialogs/list_window.h"
#include "app/main_window.h"
#include "app/view/fit.h"
#include "platform/services/desktop.h"

namespace zeb::app {

namespace {

// The primary screen less the taskbar's band.
ScreenRect WorkArea() {
  ScreenRect work{0, 0, PrimaryScreenWidth(), PrimaryScreenHeight()};
  TaskbarEdge edge;
  ScreenRect bar;
  if (!TaskbarPosition(edge, bar)) return work;
  switch (edge) {
    case TaskbarEdge::Left:
      work.left = bar.right;
      break;
    case TaskbarEdge::Top:
      work.top = bar.bottom;
      break;
    case TaskbarEdge::Right:
      work.right = bar.left;
      break;
    case TaskbarEdge::Bottom:
      work.bottom = bar.top;
      break;
  }
  return work;
}

}  // namespace

view::FitInputs MainWindow::FitInputsNow(bool keepPlace) {
  view::FitInputs in;
  in.work = WorkArea();
  in.frame = {FrameWidth(), FrameHeight()};
  in.placement = model_.modes.placement;
  in.box = model_.modes.box;
  in.enlargeSmall = model_.modes.enlargeSmall;
  in.minimised = run.minimised;
  in.keepPlace = keepPlace;
  in.windowLeft = Left();
  in.windowTop = Top();
  in.transform = shown_.transform;
  in.picture = {picture.Content().Width(), picture.Content().Height()};
  // A box larger than the room is made the room's size, for good.
  in.box = model_.modes.box = view::BoxWithinRoom(in);
  return in;
}

view::Size MainWindow::PictureRoom() { return view::PictureRoom(FitInputsNow()); }

void MainWindow::SetTransform(const view::ViewTransform& transform) {
  shown_.transform = transform;
  FitToPicture();
}

void MainWindow::TurnBy(int32_t quarterTurns) {
  view::ViewTransform turned = shown_.transform;
  turned.turn.quarterTurns = static_cast<uint8_t>((turned.turn.quarterTurns + quarterTurns) % 4);
  SetTransform(turned);
}

void MainWindow::FitToPicture(bool keepPlace) {
  const view::FitResult fit = view::ComputeFit(FitInputsNow(keepPlace));
  shown_.zoom = fit.zoom;
  picture.SetTurn(shown_.transform.turn);
  picture.SetAlignClient(false);
  picture.SetBounds(picture.Left(), picture.Top(), fit.shown.width, fit.shown.height);
  picture.SetStretch(shown_.zoom != 1.0);
  if (fit.placing == view::WindowPlacing::Unchanged) return;

  if (fit.placing == view::WindowPlacing::Maximised) {
    picture.SetBounds(fit.pictureLeft, fit.pictureTop, fit.shown.width, fit.shown.height);
    SetWindowState(ui::ShowState::Maximised);
  } else {
    SetWindowState(ui::ShowState::Normal);
    picture.SetBounds(fit.pictureLeft, fit.pictureTop, fit.shown.width, fit.shown.height);
    picture.SetAlignClient(fit.fillsClient);
    SetBounds(fit.windowLeft, fit.windowTop, fit.window.width, fit.window.height);
  }
  UpdateTitle();
  if (listWindow_ && listWindow_->docked) listWindow_->MoveToDock();
}

void MainWindow::OnMinimised() { run.minimised = true; }

void MainWindow::OnRestored() {
  run.minimised = false;
  FitToPicture();
}

void MainWindow::OnMoved() {
  if (ListWindowShown() && listWindow_->docked) listWindow_->MoveToDock();
}

}  // namespace zeb::app
