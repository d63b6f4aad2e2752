// The parts of the window layer that are the same on every platform.
#include <algorithm>
#include <exception>

#include "platform/core/errors.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"

namespace zeb::ui {

void Window::Close() {
  if (App().MainForm == this) {
    CloseMainForm();
    App().Terminate();
  } else if (modal_) {
    SetModalResult(DialogResult::Cancel);
  } else {
    Hide();
  }
}

Application& Application::Instance() {
  static Application app;
  return app;
}

void Application::SetTitle(const std::string& title) { title_ = title; }

void Application::ShowException(const std::exception& error) {
  if (dynamic_cast<const SilentAbort*>(&error)) return;
  ShowMessageBox(error.what(), MessageKind::Error, MessageButtons::Ok);
}

void Application::Guard(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    ShowException(e);
  }
}

PictureControl::PictureControl(Window& owner) : owner_(owner) {
  owner_.images_.push_back(this);
  picture_.OnChange = [this](Picture*) { Invalidate(); };
  picture_.OnProgress = [this](Image* sender, ProgressStage stage, uint8_t percent, bool redraw,
                               const PixelRect& r, const std::string& msg) {
    if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
  };
}

PictureControl::~PictureControl() {
  auto& images = owner_.images_;
  images.erase(std::remove(images.begin(), images.end(), this), images.end());
}

int32_t PictureControl::Width() const { return alignClient_ ? owner_.ClientWidth() : width_; }
int32_t PictureControl::Height() const { return alignClient_ ? owner_.ClientHeight() : height_; }

void PictureControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
}

void PictureControl::SetStretch(bool stretch) {
  if (stretch_ == stretch) return;
  stretch_ = stretch;
  Invalidate();
}

void PictureControl::SetAlignClient(bool align) {
  if (alignClient_ == align) return;
  alignClient_ = align;
  Invalidate();
}

void PictureControl::SetTurn(PictureTurn turn) {
  if (turn_ == turn) return;
  turn_ = turn;
  Invalidate();
}

void PictureControl::SetVisible(bool visible) {
  visible_ = visible;
  Invalidate();
}

void PictureControl::Invalidate() { owner_.Invalidate(); }

void PictureControl::Paint(Canvas& canvas, int32_t clientWidth, int32_t clientHeight) {
  if (!visible_) return;  // a hidden control leaves the client area to the others
  canvas.FillRect(Rect(0, 0, clientWidth, clientHeight), 0x000000);
  Image* g = picture_.Graphic();
  if (!g || g->GetEmpty()) return;
  int32_t left = alignClient_ ? 0 : left_, top = alignClient_ ? 0 : top_;
  // The rectangle has the picture's own proportions; the canvas turns it into place.
  const bool swap = turn_.SwapsSides();
  int32_t w = stretch_ ? (swap ? Height() : Width()) : g->GetWidth();
  int32_t h = stretch_ ? (swap ? Width() : Height()) : g->GetHeight();
  // Transparent parts show a checkerboard, not the window's black.
  if (g->Transparent()) canvas.FillChecker(TurnedRect(Rect(left, top, left + w, top + h), turn_));
  const PictureTurn before = canvas.Turn;
  canvas.Turn = turn_;
  try {
    g->Draw(canvas, Rect(left, top, left + w, top + h));
  } catch (...) {
    canvas.Turn = before;
    throw;
  }
  canvas.Turn = before;
}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Restart();
}

void Timer::SetInterval(uint32_t interval) {
  interval_ = interval;
  Restart();
}

void Timer::Tick() {
  if (OnTimer) App().Guard(OnTimer);
}

}  // namespace zeb::ui
