// The headless window layer: forms and controls are plain state; modal questions are answered by the
// scripts that tests install (headless.h).
#include "platform/core/errors.h"
#include "platform/headless/headless.h"
#include "platform/services/desktop.h"

namespace zeb {
namespace headless {

std::function<void()>& OnProcessMessages() {
  static std::function<void()> hook;
  return hook;
}

static std::deque<std::function<void()>>& Tasks() {
  static std::deque<std::function<void()>> tasks;
  return tasks;
}

void PostTask(std::function<void()> task) { Tasks().push_back(std::move(task)); }

Scripts& Script() {
  static Scripts scripts;
  return scripts;
}

void ResetAll() {
  DefaultFiles().Reset();
  SetFiles(nullptr);
  UnregisterAllLibraries();
  Settings().clear();
  ReadOnlySettingsKeys().clear();
  Desktop() = DesktopState();
  OnProcessMessages() = nullptr;
  Tasks().clear();
  Script() = Scripts();
  ui::Application().MainForm = nullptr;
  ui::Application().OnMinimize = nullptr;
  ui::Application().OnRestore = nullptr;
}

void MoveToScreenOfDpi(ui::TForm& form, int32_t dpi) {
  ui::TForm::Impl& im = form.impl();
  const int32_t old = im.dpi;
  im.dpi = dpi;
  // The size the system suggests: the same in inches.
  form.SetBounds(im.left, im.top, im.width * dpi / old, im.height * dpi / old);
  if (form.OnDpiChanged) ui::Application().Guard(form.OnDpiChanged);
}

}  // namespace headless

namespace ui {

// Every headless form has the frame of a single-border window: the frame metric less one pixel on each
// side, and the caption above.
static int32_t FrameMetricX() { return headless::Desktop().cxFrame; }
static int32_t ChromeW() { return 2 * FrameMetricX() - 2; }
static int32_t ChromeH() { return headless::Desktop().cyCaption + 2 * FrameMetricX() - 2; }

void TApplication::ProcessMessages() {
  if (auto& hook = headless::OnProcessMessages()) {
    auto copy = hook;
    copy();
  }
  auto& tasks = headless::Tasks();
  while (!tasks.empty()) {
    auto task = std::move(tasks.front());
    tasks.pop_front();
    Guard(task);
  }
}

void TApplication::Run() {
  while (!terminated_ && !headless::Tasks().empty()) ProcessMessages();
}

void TApplication::Terminate() { terminated_ = true; }

void TApplication::Minimize() {
  if (MainForm) MainForm->impl().state = TWindowState::wsMinimized;
  if (OnMinimize) Guard(OnMinimize);
}

TForm::TForm(TBorderStyle style, const std::string& caption, int32_t clientWidth, int32_t clientHeight)
    : impl_(std::make_unique<Impl>()) {
  impl_->style = style;
  impl_->caption = caption;
  impl_->clientWidth = clientWidth;
  impl_->clientHeight = clientHeight;
  impl_->width = clientWidth + ChromeW();
  impl_->height = clientHeight + ChromeH();
  impl_->dpi = SystemDpi();
}

TForm::~TForm() = default;

std::string TForm::Caption() const { return impl_->caption; }
void TForm::SetCaption(const std::string& caption) { impl_->caption = caption; }
int32_t TForm::Left() const { return impl_->left; }
int32_t TForm::Top() const { return impl_->top; }
int32_t TForm::Width() const { return impl_->width; }
int32_t TForm::Height() const { return impl_->height; }

void TForm::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  bool moved = left != impl_->left || top != impl_->top;
  impl_->left = left;
  impl_->top = top;
  impl_->width = width;
  impl_->height = height;
  impl_->clientWidth = width - ChromeW();
  impl_->clientHeight = height - ChromeH();
  if (moved && OnMove) Application().Guard(OnMove);
}

int32_t TForm::ClientWidth() const {
  return impl_->state == TWindowState::wsMaximized ? PrimaryScreenWidth() : impl_->clientWidth;
}
int32_t TForm::ClientHeight() const {
  return impl_->state == TWindowState::wsMaximized ? PrimaryScreenHeight() - ChromeH() + 2 * FrameMetricX()
                                                   : impl_->clientHeight;
}
TWindowState TForm::WindowState() const { return impl_->state; }
void TForm::SetWindowState(TWindowState state) { impl_->state = state; }

void TForm::Show() {
  bool was = impl_->visible;
  impl_->visible = true;
  if (!was && OnShow) Application().Guard(OnShow);
}

void TForm::Hide() { impl_->visible = false; }
bool TForm::Visible() const { return impl_->visible; }

void TForm::CloseMainForm() {
  impl_->closed = true;
  impl_->visible = false;
}

TModalResult TForm::ShowModal() {
  modal_ = true;
  impl_->modalResult = TModalResult::mrNone;
  impl_->visible = true;
  if (OnShow) Application().Guard(OnShow);
  TModalResult r = TModalResult::mrCancel;
  if (auto& script = headless::Script().showModal) r = script(*this);
  if (impl_->modalResult == TModalResult::mrNone) impl_->modalResult = r;
  impl_->visible = false;
  modal_ = false;
  return impl_->modalResult;
}

TModalResult TForm::ModalResult() const { return impl_->modalResult; }
void TForm::SetModalResult(TModalResult result) { impl_->modalResult = result; }
void TForm::SetFocus() { impl_->focused = true; }
void TForm::BringToFront() { impl_->focused = true; }
void TForm::Invalidate() { ++impl_->invalidations; }
void TForm::AcceptFiles(bool accept) { impl_->acceptsFiles = accept; }
void* TForm::Handle() const { return impl_.get(); }
void TForm::SetFont(const TFont& font) { font_ = font; }

int32_t TForm::Dpi() const { return impl_->dpi; }
int32_t TForm::FrameWidth() const { return ChromeW(); }
int32_t TForm::FrameHeight() const { return ChromeH(); }

int32_t SystemDpi() { return headless::Desktop().dpi; }
TFont SystemMessageFont(int32_t dpi) { return {"Segoe UI", ScaleToDpi(12, dpi), TFontCharset::fcDefault}; }

TTimer::TTimer(TForm& owner) : owner_(owner) {}
TTimer::~TTimer() = default;
// Headless timers never fire by themselves: tests call Tick.
void TTimer::Restart() {}

TListBox::TListBox(TForm&) : impl_(std::make_unique<Impl>()) {}
TListBox::~TListBox() = default;
void TListBox::SetItemSource(std::function<std::string(int32_t)> source) {
  impl_->source = std::move(source);
}
void TListBox::SetCount(int32_t count) {
  impl_->count = count;
  if (impl_->itemIndex >= count) impl_->itemIndex = -1;
}
int32_t TListBox::Count() const { return impl_->count; }
int32_t TListBox::ItemIndex() const { return impl_->itemIndex; }
void TListBox::SetItemIndex(int32_t index) {
  impl_->itemIndex = index >= 0 && index < impl_->count ? index : -1;
}
void TListBox::SetFocus() {}

TEdit::TEdit(TForm& owner, int32_t, int32_t, int32_t, int32_t) : impl_(std::make_unique<Impl>()) {
  owner.impl().edits.push_back(this);
}
TEdit::~TEdit() = default;
std::string TEdit::Text() const { return impl_->text; }
void TEdit::SetText(const std::string& text) {
  impl_->text = text;
  impl_->selStart = static_cast<int32_t>(text.size());
  impl_->selLength = 0;
}
void TEdit::Select(int32_t start, int32_t length) {
  impl_->selStart = start;
  impl_->selLength = length;
}
int32_t TEdit::SelStart() const { return impl_->selStart; }
int32_t TEdit::SelLength() const { return impl_->selLength; }
void TEdit::SetFocus() { impl_->focused = true; }

void TypeChar(TEdit& edit, char32_t ch) {
  if (edit.OnKeyPress) edit.OnKeyPress(ch);
  if (ch == 0) return;
  auto& im = edit.impl();
  if (ch == 8) {
    if (im.selLength > 0) {
      im.text.erase(im.selStart, im.selLength);
    } else if (im.selStart > 0) {
      im.text.erase(--im.selStart, 1);
    }
    im.selLength = 0;
    return;
  }
  if (ch < 0x20 || ch > 0x7E) return;  // only the ASCII the dialog lets through is typed here
  im.text.replace(im.selStart, im.selLength, 1, static_cast<char>(ch));
  ++im.selStart;
  im.selLength = 0;
}

TModalResult MessageDlg(const std::string& text, TMsgDlgType, TMsgDlgButtons buttons) {
  headless::Script().messages.push_back(text);
  if (auto& script = headless::Script().messageBox) return script(text, buttons);
  return buttons == TMsgDlgButtons::mbOK ? TModalResult::mrOk : TModalResult::mrNo;
}

bool TOpenDialog::Execute() {
  auto& script = headless::Script().fileDialog;
  std::string name = script ? script(false, *this) : std::string();
  if (name.empty()) return false;
  FileName = name;
  return true;
}

bool TSaveDialog::Execute() {
  auto& script = headless::Script().fileDialog;
  std::string name = script ? script(true, *this) : std::string();
  if (name.empty()) return false;
  FileName = name;
  return true;
}

}  // namespace ui
}  // namespace zeb
