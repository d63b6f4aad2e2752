// Fitting the window to the picture: the zoom that makes the picture fit the work area (or the fixed
// box), the picture control's place, the window's size and place, then the title.
#include <algorithm>

#include "app/dialogs/list_window.h"
#include "app/form1.h"
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

void TForm1::AdjustFormSize() {
  const ScreenRect work = WorkArea();
  const int32_t workWidth = work.right - work.left;
  const int32_t workHeight = work.bottom - work.top;
  const int32_t chromeWidth = 2 * FrameMetricX() - 2;
  const int32_t chromeHeight = CaptionMetricY() + 2 * FrameMetricX() - 2;
  const bool maximised = PlacementFlags & pfMaximised;

  ZoomRatio = 1.0;
  Image1.SetStretch(false);
  Image1.SetAlignClient(false);
  int32_t picWidth = Image1.Picture().Width();
  int32_t picHeight = Image1.Picture().Height();
  // A screen smaller than the frame still leaves one pixel, so no ratio turns negative.
  int32_t availWidth = std::max(workWidth - chromeWidth, 1);
  int32_t availHeight = std::max(workHeight - chromeHeight, 1);

  if (!maximised) {
    if (FixedWidth) {
      if (BoxWidth > availWidth) BoxWidth = availWidth;
      availWidth = BoxWidth;
    }
    if (FixedHeight) {
      if (BoxHeight > availHeight) BoxHeight = availHeight;
      availHeight = BoxHeight;
    }
  }

  // A picture without width or height keeps its natural size: there is no ratio to take.
  if (picWidth > 0 && picHeight > 0 && availWidth > 0 && availHeight > 0) {
    const double widthRatio = static_cast<double>(availWidth) / picWidth;
    const double heightRatio = static_cast<double>(availHeight) / picHeight;
    if (picWidth > availWidth) ZoomRatio = widthRatio;
    if (picHeight > availHeight && heightRatio < ZoomRatio) ZoomRatio = heightRatio;
    if (EnlargeSmall && ZoomRatio == 1.0) {
      if (picWidth < availWidth && (FixedWidth || maximised)) ZoomRatio = widthRatio;
      if (picHeight < availHeight && (FixedHeight || maximised)) ZoomRatio = heightRatio;
      if (widthRatio < ZoomRatio) ZoomRatio = widthRatio;
      if (heightRatio < ZoomRatio) ZoomRatio = heightRatio;
    }
  }
  if (ZoomRatio != 1.0) {
    picWidth = static_cast<int32_t>(picWidth * ZoomRatio);
    picHeight = static_cast<int32_t>(picHeight * ZoomRatio);
  }
  Image1.SetBounds(Image1.Left(), Image1.Top(), picWidth, picHeight);
  Image1.SetStretch(ZoomRatio != 1.0);

  if (Minimized) return;

  if (maximised) {
    Image1.SetBounds((workWidth - picWidth) / 2, (workHeight - picHeight) / 2, picWidth, picHeight);
    SetWindowState(ui::TWindowState::wsMaximized);
  } else {
    SetWindowState(ui::TWindowState::wsNormal);
    int32_t width, height;
    if (FixedWidth || FixedHeight) {
      int32_t imageLeft = 0, imageTop = 0;
      if (FixedWidth) {
        width = availWidth + chromeWidth;
        imageLeft = (availWidth - picWidth) / 2;
      } else {
        width = picWidth + chromeWidth;
      }
      if (FixedHeight) {
        height = availHeight + chromeHeight;
        imageTop = (availHeight - picHeight) / 2;
      } else {
        height = picHeight + chromeHeight;
      }
      Image1.SetBounds(imageLeft, imageTop, picWidth, picHeight);
    } else {
      Image1.SetBounds(0, 0, picWidth, picHeight);
      Image1.SetAlignClient(true);
      width = picWidth + chromeWidth;
      height = picHeight + chromeHeight;
    }

    int32_t left = Left(), top = Top();
    if (PlacementFlags & pfCentre) {
      left = (workWidth - width) / 2 + work.left;
      top = (workHeight - height) / 2 + work.top;
    } else {
      if (left + width > work.right) left = work.right - width;
      if (top + height > work.bottom) top = work.bottom - height;
      if (left < work.left) left = work.left;
      if (top < work.top) top = work.top;
      if (PlacementFlags & pfLeft) left = work.left;
      if (PlacementFlags & pfRight) left = work.right - width;
      if (PlacementFlags & pfTop) top = work.top;
      if (PlacementFlags & pfBottom) top = work.bottom - height;
    }
    SetBounds(left, top, width, height);
  }

  UpdateTitle();
  if (Form3 && Form3->ListDocked) Form3->SetBounds(Left() + Width(), Top(), Form3->Width(), Form3->Height());
}

void TForm1::CentreWindow() {
  PlacementFlags = pfCentre;
  AdjustFormSize();
}

void TForm1::ToggleMaximised() {
  PlacementFlags ^= pfMaximised;
  AdjustFormSize();
}

void TForm1::ToggleFixedBox() {
  const bool on = !(FixedWidth || FixedHeight);
  FixedWidth = on;
  FixedHeight = on;
  AdjustFormSize();
}

void TForm1::AppMinimize() { Minimized = true; }

void TForm1::AppRestore() {
  Minimized = false;
  AdjustFormSize();
}

void TForm1::FormMoved() {
  if (Form3 && Form3->Visible() && Form3->ListDocked)
    Form3->SetBounds(Left() + Width(), Top(), Form3->Width(), Form3->Height());
}

}  // namespace zeb::app
