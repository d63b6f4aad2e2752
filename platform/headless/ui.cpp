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
  ui::App().MainForm = nullptr;
  ui::App().OnMinimize = nullptr;
  ui::App().OnRestore = nullptr;
}

void MoveToScreenOfDpi(ui::Window& form, int32_t dpi) {
  ui::Window::Impl& im = form.impl();
  const int32_t old = im.dpi;
  im.dpi = dpi;
  // The size the system suggests: the same in inches.
  form.SetBounds(im.left, im.top, im.width * dpi / old, im.height * dpi / old);
  if (form.OnDpiChanged) ui::App().Guard(form.OnDpiChanged);
}

}  // namespace headless

namespace ui {

// Every headless form has the frame of a single-border window: the frame metric less one pixel on each
// side, and the caption above.
static int32_t FrameMetricX() { return headless::Desktop().cxFrame; }
static int32_t ChromeW() { return 2 * FrameMetricX() - 2; }
static int32_t ChromeH() { return headless::Desktop().cyCaption + 2 * FrameMetricX() - 2; }

void Application::ProcessMessages() {
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

void Application::Run() {
  while (!terminated_ && !headless::Tasks().empty()) ProcessMessages();
}

void Application::Terminate() { terminated_ = true; }

void Application::Minimize() {
  if (MainForm) MainForm->impl().state = ShowState::Minimised;
  if (OnMinimize) Guard(OnMinimize);
}

Window::Window(BorderStyle style, const std::string& caption, int32_t clientWidth, int32_t clientHeight)
    : impl_(std::make_unique<Impl>()) {
  impl_->style = style;
  impl_->caption = caption;
  impl_->clientWidth = clientWidth;
  impl_->clientHeight = clientHeight;
  impl_->width = clientWidth + ChromeW();
  impl_->height = clientHeight + ChromeH();
  impl_->dpi = SystemDpi();
}

Window::~Window() = default;

std::string Window::Caption() const { return impl_->caption; }
void Window::SetCaption(const std::string& caption) { impl_->caption = caption; }
int32_t Window::Left() const { return impl_->left; }
int32_t Window::Top() const { return impl_->top; }
int32_t Window::Width() const { return impl_->width; }
int32_t Window::Height() const { return impl_->height; }

void Window::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  bool moved = left != impl_->left || top != impl_->top;
  impl_->left = left;
  impl_->top = top;
  impl_->width = width;
  impl_->height = height;
  impl_->clientWidth = width - ChromeW();
  impl_->clientHeight = height - ChromeH();
  if (moved && OnMove) App().Guard(OnMove);
}

int32_t Window::ClientWidth() const {
  return impl_->state == ShowState::Maximised ? PrimaryScreenWidth() : impl_->clientWidth;
}
int32_t Window::ClientHeight() const {
  return impl_->state == ShowState::Maximised ? PrimaryScreenHeight() - ChromeH() + 2 * FrameMetricX()
                                              : impl_->clientHeight;
}
ShowState Window::WindowState() const { return impl_->state; }
void Window::SetWindowState(ShowState state) { impl_->state = state; }

void Window::Show() {
  bool was = impl_->visible;
  impl_->visible = true;
  if (!was && OnShow) App().Guard(OnShow);
}

void Window::Hide() { impl_->visible = false; }
bool Window::Visible() const { return impl_->visible; }

void Window::CloseMainForm() {
  impl_->closed = true;
  impl_->visible = false;
}

DialogResult Window::ShowModal() {
  modal_ = true;
  impl_->modalResult = DialogResult::None;
  impl_->visible = true;
  if (OnShow) App().Guard(OnShow);
  DialogResult r = DialogResult::Cancel;
  if (auto& script = headless::Script().showModal) r = script(*this);
  if (impl_->modalResult == DialogResult::None) impl_->modalResult = r;
  impl_->visible = false;
  modal_ = false;
  return impl_->modalResult;
}

DialogResult Window::ModalResult() const { return impl_->modalResult; }
void Window::SetModalResult(DialogResult result) { impl_->modalResult = result; }
void Window::SetFocus() { impl_->focused = true; }
void Window::BringToFront() { impl_->focused = true; }
void Window::Invalidate() { ++impl_->invalidations; }
void Window::AcceptFiles(bool accept) { impl_->acceptsFiles = accept; }
void* Window::Handle() const { return impl_.get(); }
void Window::SetFont(const FontSpec& font) { font_ = font; }

int32_t Window::Dpi() const { return impl_->dpi; }
int32_t Window::FrameWidth() const { return ChromeW(); }
int32_t Window::FrameHeight() const { return ChromeH(); }

int32_t SystemDpi() { return headless::Desktop().dpi; }
FontSpec SystemMessageFont(int32_t dpi) { return {"Segoe UI", ScaleToDpi(12, dpi), FontCharset::Default}; }

Timer::Timer(Window& owner) : owner_(owner) {}
Timer::~Timer() = default;
// Headless timers never fire by themselves: tests call Tick.
void Timer::Restart() {}

ListBox::ListBox(Window&) : impl_(std::make_unique<Impl>()) {}
ListBox::~ListBox() = default;
void ListBox::SetItemSource(std::function<std::string(int32_t)> source) { impl_->source = std::move(source); }
void ListBox::SetCount(int32_t count) {
  impl_->count = count;
  if (impl_->itemIndex >= count) impl_->itemIndex = -1;
}
int32_t ListBox::Count() const { return impl_->count; }
int32_t ListBox::ItemIndex() const { return impl_->itemIndex; }
void ListBox::SetItemIndex(int32_t index) {
  impl_->itemIndex = index >= 0 && index < impl_->count ? index : -1;
}
void ListBox::SetFocus() {}

EditBox::EditBox(Window& owner, int32_t, int32_t, int32_t, int32_t) : impl_(std::make_unique<Impl>()) {
  owner.impl().edits.push_back(this);
}
EditBox::~EditBox() = default;
std::string EditBox::Text() const { return impl_->text; }
void EditBox::SetText(const std::string& text) {
  impl_->text = text;
  impl_->selStart = static_cast<int32_t>(text.size());
  impl_->selLength = 0;
}
void EditBox::Select(int32_t start, int32_t length) {
  impl_->selStart = start;
  impl_->selLength = length;
}
int32_t EditBox::SelStart() const { return impl_->selStart; }
int32_t EditBox::SelLength() const { return impl_->selLength; }
void EditBox::SetFocus() { impl_->focused = true; }

void TypeChar(EditBox& edit, char32_t ch) {
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

DialogResult ShowMessageBox(const std::string& text, MessageKind, MessageButtons buttons) {
  headless::Script().messages.push_back(text);
  if (auto& script = headless::Script().messageBox) return script(text, buttons);
  return buttons == MessageButtons::Ok ? DialogResult::Ok : DialogResult::No;
}

bool OpenFileDialog::Execute() {
  auto& script = headless::Script().fileDialog;
  std::string name = script ? script(false, *this) : std::string();
  if (name.empty()) return false;
  FileName = name;
  return true;
}

bool SaveFileDialog::Execute() {
  auto& script = headless::Script().fileDialog;
  std::string name = script ? script(true, *this) : std::string();
  if (name.empty()) return false;
  FileName = name;
  return true;
}

}  // namespace ui
}  // namespace zeb
