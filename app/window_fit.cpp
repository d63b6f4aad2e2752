// Fitting the window to the picture: the zoom that makes the picture fit the work area (or the fixed
// box), the picture control's place, the window's size and place, then the title.
#include <algorithm>

#include "app/dialogs/list_window.h"
#include "app/main_window.h"
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

void MainWindow::PictureRoom(int32_t& width, int32_t& height) { PictureRoomIn(WorkArea(), width, height); }

void MainWindow::PictureRoomIn(const ScreenRect& work, int32_t& width, int32_t& height) {
  FixedBox& box = model_.modes.box;
  // A screen smaller than the frame still leaves one pixel, so no ratio turns negative.
  width = std::max(work.right - work.left - FrameWidth(), 1);
  height = std::max(work.bottom - work.top - FrameHeight(), 1);
  if (model_.modes.placement & placement::kMaximised) return;
  if (box.fixedWidth) {
    if (box.width > width) box.width = width;
    width = box.width;
  }
  if (box.fixedHeight) {
    if (box.height > height) box.height = height;
    height = box.height;
  }
}

void MainWindow::FitToPicture(bool keepPlace) {
  const ScreenRect work = WorkArea();
  const int32_t workWidth = work.right - work.left;
  const int32_t workHeight = work.bottom - work.top;
  const int32_t chromeWidth = FrameWidth();
  const int32_t chromeHeight = FrameHeight();
  const ViewerModes& modes = model_.modes;
  const FixedBox& box = model_.modes.box;
  const bool maximised = modes.placement & placement::kMaximised;

  zoom_ = 1.0;
  picture.SetStretch(false);
  picture.SetAlignClient(false);
  int32_t picWidth = picture.Content().Width();
  int32_t picHeight = picture.Content().Height();
  int32_t availWidth, availHeight;
  PictureRoomIn(work, availWidth, availHeight);

  // A picture without width or height keeps its natural size: there is no ratio to take.
  if (picWidth > 0 && picHeight > 0 && availWidth > 0 && availHeight > 0) {
    const double widthRatio = static_cast<double>(availWidth) / picWidth;
    const double heightRatio = static_cast<double>(availHeight) / picHeight;
    if (picWidth > availWidth) zoom_ = widthRatio;
    if (picHeight > availHeight && heightRatio < zoom_) zoom_ = heightRatio;
    if (modes.enlargeSmall && zoom_ == 1.0) {
      if (picWidth < availWidth && (box.fixedWidth || maximised)) zoom_ = widthRatio;
      if (picHeight < availHeight && (box.fixedHeight || maximised)) zoom_ = heightRatio;
      if (widthRatio < zoom_) zoom_ = widthRatio;
      if (heightRatio < zoom_) zoom_ = heightRatio;
    }
  }
  if (zoom_ != 1.0) {
    picWidth = static_cast<int32_t>(picWidth * zoom_);
    picHeight = static_cast<int32_t>(picHeight * zoom_);
  }
  picture.SetBounds(picture.Left(), picture.Top(), picWidth, picHeight);
  picture.SetStretch(zoom_ != 1.0);

  if (run.minimised) return;

  if (maximised) {
    picture.SetBounds((workWidth - picWidth) / 2, (workHeight - picHeight) / 2, picWidth, picHeight);
    SetWindowState(ui::ShowState::Maximised);
  } else {
    SetWindowState(ui::ShowState::Normal);
    int32_t width, height;
    if (box.fixedWidth || box.fixedHeight) {
      int32_t imageLeft = 0, imageTop = 0;
      if (box.fixedWidth) {
        width = availWidth + chromeWidth;
        imageLeft = (availWidth - picWidth) / 2;
      } else {
        width = picWidth + chromeWidth;
      }
      if (box.fixedHeight) {
        height = availHeight + chromeHeight;
        imageTop = (availHeight - picHeight) / 2;
      } else {
        height = picHeight + chromeHeight;
      }
      picture.SetBounds(imageLeft, imageTop, picWidth, picHeight);
    } else {
      picture.SetBounds(0, 0, picWidth, picHeight);
      picture.SetAlignClient(true);
      width = picWidth + chromeWidth;
      height = picHeight + chromeHeight;
    }

    int32_t left = Left(), top = Top();
    if (keepPlace) {
      // The system has just put the window on the screen it was moved to: no rule may pull it back.
    } else if (modes.placement & placement::kCentre) {
      left = (workWidth - width) / 2 + work.left;
      top = (workHeight - height) / 2 + work.top;
    } else {
      if (left + width > work.right) left = work.right - width;
      if (top + height > work.bottom) top = work.bottom - height;
      if (left < work.left) left = work.left;
      if (top < work.top) top = work.top;
      if (modes.placement & placement::kLeft) left = work.left;
      if (modes.placement & placement::kRight) left = work.right - width;
      if (modes.placement & placement::kTop) top = work.top;
      if (modes.placement & placement::kBottom) top = work.bottom - height;
    }
    SetBounds(left, top, width, height);
  }

  UpdateTitle();
  if (listWindow_.docked) listWindow_.MoveToDock();
}

void MainWindow::CentreWindow() {
  model_.modes.placement = placement::kCentre;
  FitToPicture();
}

void MainWindow::ToggleMaximised() {
  model_.modes.placement ^= placement::kMaximised;
  FitToPicture();
}

void MainWindow::ToggleFixedBox() {
  FixedBox& box = model_.modes.box;
  const bool on = !box.Any();
  box.fixedWidth = on;
  box.fixedHeight = on;
  FitToPicture();
}

void MainWindow::OnMinimised() { run.minimised = true; }

void MainWindow::OnRestored() {
  run.minimised = false;
  FitToPicture();
}

void MainWindow::OnMoved() {
  if (listWindow_.Visible() && listWindow_.docked) listWindow_.MoveToDock();
}

}  // namespace zeb::app
