// The parts of the window layer that are the same on every platform.
#include <algorithm>
#include <exception>

#include "platform/core/errors.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"

namespace zeb::ui {

void TForm::Close() {
  if (Application().MainForm == this) {
    CloseMainForm();
    Application().Terminate();
  } else if (modal_) {
    SetModalResult(TModalResult::mrCancel);
  } else {
    Hide();
  }
}

TApplication& TApplication::Instance() {
  static TApplication app;
  return app;
}

void TApplication::SetTitle(const std::string& title) { title_ = title; }

void TApplication::ShowException(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error)) return;
  MessageDlg(error.what(), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
}

void TApplication::Guard(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    ShowException(e);
  }
}

TImage::TImage(TForm& owner) : owner_(owner) {
  owner_.images_.push_back(this);
  picture_.OnChange = [this](TPicture*) { Invalidate(); };
  picture_.OnProgress = [this](TGraphic* sender, TProgressStage stage, uint8_t percent, bool redraw,
                               const TRect& r, const std::string& msg) {
    if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
  };
}

TImage::~TImage() {
  auto& images = owner_.images_;
  images.erase(std::remove(images.begin(), images.end(), this), images.end());
}

int32_t TImage::Width() const { return alignClient_ ? owner_.ClientWidth() : width_; }
int32_t TImage::Height() const { return alignClient_ ? owner_.ClientHeight() : height_; }

void TImage::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
}

void TImage::SetStretch(bool stretch) {
  if (stretch_ == stretch) return;
  stretch_ = stretch;
  Invalidate();
}

void TImage::SetAlignClient(bool align) {
  if (alignClient_ == align) return;
  alignClient_ = align;
  Invalidate();
}

void TImage::SetVisible(bool visible) {
  visible_ = visible;
  Invalidate();
}

void TImage::Invalidate() { owner_.Invalidate(); }

void TImage::Paint(TCanvas& canvas, int32_t clientWidth, int32_t clientHeight) {
  if (!visible_) return;  // a hidden control leaves the client area to the others
  canvas.FillRect(Rect(0, 0, clientWidth, clientHeight), 0x000000);
  TGraphic* g = picture_.Graphic();
  if (!g || g->GetEmpty()) return;
  int32_t left = alignClient_ ? 0 : left_, top = alignClient_ ? 0 : top_;
  int32_t w = stretch_ ? Width() : g->GetWidth();
  int32_t h = stretch_ ? Height() : g->GetHeight();
  g->Draw(canvas, Rect(left, top, left + w, top + h));
}

void TTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Restart();
}

void TTimer::SetInterval(uint32_t interval) {
  interval_ = interval;
  Restart();
}

void TTimer::Tick() {
  if (OnTimer) Application().Guard(OnTimer);
}

}  // namespace zeb::ui
