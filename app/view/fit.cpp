#include "app/view/fit.h"

#include <algorithm>

namespace zeb::app::view {

namespace {

bool Maximised(const FitInputs& in) { return in.placement & placement::kMaximised; }

Size WorkRoom(const FitInputs& in) {
  return {std::max(in.work.right - in.work.left - in.frame.width, 1),
          std::max(in.work.bottom - in.work.top - in.frame.height, 1)};
}

// The zoom that fits a picture of SIZE into ROOM: a larger picture shrinks to it; with enlarging a
// smaller one grows to the sides the box fixes (or to the room when maximised), never past the room.
double FitZoom(const FitInputs& in, Size size, Size room) {
  double zoom = 1.0;
  // A picture without width or height keeps its natural size: there is no ratio to take.
  if (size.width <= 0 || size.height <= 0 || room.width <= 0 || room.height <= 0) return zoom;
  const double widthRatio = static_cast<double>(room.width) / size.width;
  const double heightRatio = static_cast<double>(room.height) / size.height;
  if (size.width > room.width) zoom = widthRatio;
  if (size.height > room.height && heightRatio < zoom) zoom = heightRatio;
  if (in.enlargeSmall && zoom == 1.0) {
    const bool maximised = Maximised(in);
    if (size.width < room.width && (in.box.fixedWidth || maximised)) zoom = widthRatio;
    if (size.height < room.height && (in.box.fixedHeight || maximised)) zoom = heightRatio;
    zoom = std::min({zoom, widthRatio, heightRatio});
  }
  return zoom;
}

// The window's left and top edges for a window of SIZE.
void Place(const FitInputs& in, Size size, int32_t& left, int32_t& top) {
  const ScreenRect& work = in.work;
  left = in.windowLeft;
  top = in.windowTop;
  if (in.keepPlace) return;
  if (in.placement & placement::kCentre) {
    left = (work.right - work.left - size.width) / 2 + work.left;
    top = (work.bottom - work.top - size.height) / 2 + work.top;
    return;
  }
  // Pushed back inside the work area, then held at the edges the placement names.
  if (left + size.width > work.right) left = work.right - size.width;
  if (top + size.height > work.bottom) top = work.bottom - size.height;
  left = std::max(left, work.left);
  top = std::max(top, work.top);
  if (in.placement & placement::kLeft) left = work.left;
  if (in.placement & placement::kRight) left = work.right - size.width;
  if (in.placement & placement::kTop) top = work.top;
  if (in.placement & placement::kBottom) top = work.bottom - size.height;
}

}  // namespace

Size PictureRoom(const FitInputs& in) {
  Size room = WorkRoom(in);
  if (Maximised(in)) return room;
  if (in.box.fixedWidth) room.width = std::min(in.box.width, room.width);
  if (in.box.fixedHeight) room.height = std::min(in.box.height, room.height);
  return room;
}

FixedBox BoxWithinRoom(const FitInputs& in) {
  FixedBox box = in.box;
  if (Maximised(in)) return box;
  const Size room = WorkRoom(in);
  if (box.fixedWidth) box.width = std::min(box.width, room.width);
  if (box.fixedHeight) box.height = std::min(box.height, room.height);
  return box;
}

FitResult ComputeFit(const FitInputs& in) {
  FitResult fit;
  const Size room = PictureRoom(in);
  const Size turned = in.transform.Turned(in.picture);
  fit.zoom = in.transform.zoomMode == ZoomMode::Factor ? in.transform.zoomFactor : FitZoom(in, turned, room);
  fit.shown = turned;
  if (fit.zoom != 1.0) {
    fit.shown.width = static_cast<int32_t>(turned.width * fit.zoom);
    fit.shown.height = static_cast<int32_t>(turned.height * fit.zoom);
  }
  if (in.minimised) return fit;

  if (Maximised(in)) {
    fit.placing = WindowPlacing::Maximised;
    fit.pictureLeft = (in.work.right - in.work.left - fit.shown.width) / 2;
    fit.pictureTop = (in.work.bottom - in.work.top - fit.shown.height) / 2;
    return fit;
  }
  fit.placing = WindowPlacing::Normal;
  // A fixed side takes the room's size and centres the picture on it; a free side follows the picture.
  fit.client = fit.shown;
  if (in.box.fixedWidth) {
    fit.client.width = room.width;
    fit.pictureLeft = (room.width - fit.shown.width) / 2;
  }
  if (in.box.fixedHeight) {
    fit.client.height = room.height;
    fit.pictureTop = (room.height - fit.shown.height) / 2;
  }
  fit.fillsClient = !in.box.Any();
  fit.window = {fit.client.width + in.frame.width, fit.client.height + in.frame.height};
  Place(in, fit.window, fit.windowLeft, fit.windowTop);
  return fit;
}

}  // namespace zeb::app::view
