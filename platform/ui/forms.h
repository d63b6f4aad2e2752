// The window layer: the application, forms and the controls the viewer uses. The same declarations
// are implemented with Win32 (platform/win32) and headless, in memory (platform/headless).
// Every event handler runs guarded: an error leaving it goes to the application's error handler.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/graphic.h"

namespace zeb::ui {

// Modifier keys held with a key press.
using ModifierKeys = uint32_t;
enum : uint32_t { kShift = 0x01, kAlt = 0x02, kCtrl = 0x04 };

// Virtual-key codes used by the viewer (the Windows values).
enum : uint16_t {
  VK_BACK_ = 0x08,
  VK_RETURN_ = 0x0D,
  VK_ESCAPE_ = 0x1B,
  VK_SPACE_ = 0x20,
  VK_LEFT_ = 0x25,
  VK_UP_ = 0x26,
  VK_RIGHT_ = 0x27,
  VK_DOWN_ = 0x28,
  VK_DELETE_ = 0x2E,
  VK_F1_ = 0x70,
  VK_OEM_COMMA_ = 0xBC,   // the key of "," and "<"
  VK_OEM_PERIOD_ = 0xBE,  // the key of "." and ">"
};

enum class DialogResult { None = 0, Ok = 1, Cancel = 2, Yes = 6, No = 7 };
enum class ShowState { Normal, Minimised, Maximised };
enum class BorderStyle {
  Single,    // fixed single border, caption, system menu and minimise box, no maximise box
  Dialog,    // fixed dialog frame with a caption and a close button
  Sizeable,  // sizeable frame
};

// A font for the controls of a form.
enum class FontCharset { Default, ShiftJis };
struct FontSpec {
  std::string name;    // the face name; empty: the system's font
  int32_t height = 0;  // the characters' height in pixels; 0: the face's default
  FontCharset charset = FontCharset::Default;
};

// Screen scaling: 96 pixels per inch is 100%. A program that is aware of the scaling gets the screen's
// own pixels, so a picture at 100% is one screen pixel per picture pixel at any scaling.
constexpr int32_t kStandardDpi = 96;
// The DPI of the primary screen (kStandardDpi where nothing is scaled).
int32_t SystemDpi();
// A length given in pixels at 96 DPI, at DPI (rounded).
constexpr int32_t ScaleToDpi(int32_t pixels, int32_t dpi) {
  return (pixels * dpi + kStandardDpi / 2) / kStandardDpi;
}

// The system's message font (the one message boxes use) for a screen of DPI: every script renders with
// the system's own fallback, and its height follows the scaling.
FontSpec SystemMessageFont(int32_t dpi);

class Window;
class PictureControl;

class Application {
 public:
  static Application& Instance();
  void SetTitle(const std::string& title);
  const std::string& Title() const { return title_; }
  // Handles every pending window message, then returns.
  void ProcessMessages();
  // Runs the message loop until the main form closes or Terminate is called.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Minimises the application (its main window).
  void Minimize();
  // The default error handler: shows the error's message in a message box; SilentAbort shows nothing.
  void ShowException(const std::exception& error);
  // Runs F; an error leaving it goes to ShowException.
  void Guard(const std::function<void()>& f);

  Window* MainForm = nullptr;
  std::function<void()> OnMinimize;
  std::function<void()> OnRestore;

 private:
  std::string title_;
  bool terminated_ = false;
};

inline Application& App() { return Application::Instance(); }

class Window {
 public:
  Window(BorderStyle style, const std::string& caption, int32_t clientWidth, int32_t clientHeight);
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  std::string Caption() const;
  void SetCaption(const std::string& caption);
  // Outer bounds in screen pixels (frame and caption included).
  int32_t Left() const;
  int32_t Top() const;
  int32_t Width() const;
  int32_t Height() const;
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  void SetLeft(int32_t left) { SetBounds(left, Top(), Width(), Height()); }
  void SetTop(int32_t top) { SetBounds(Left(), top, Width(), Height()); }
  int32_t ClientWidth() const;
  int32_t ClientHeight() const;
  ShowState WindowState() const;
  void SetWindowState(ShowState state);
  void Show();
  void Hide();
  bool Visible() const;
  // Closes the form: the main form ends the application; a modal form ends with DialogResult::Cancel; any
  // other form is hidden.
  void Close();
  DialogResult ShowModal();
  DialogResult ModalResult() const;
  void SetModalResult(DialogResult result);  // a value other than DialogResult::None ends ShowModal
  void SetFocus();
  void BringToFront();
  // Repaints the client area (the picture controls) soon.
  void Invalidate();
  // Registers the form as a target for files dropped from the shell.
  void AcceptFiles(bool accept);
  // Opaque native handle (HWND on Win32).
  void* Handle() const;
  // The DPI of the screen the form is on.
  int32_t Dpi() const;
  // What the frame and caption add to the client area's width and height (both sides together), in
  // the pixels of the screen the form is on.
  int32_t FrameWidth() const;
  int32_t FrameHeight() const;
  // The font of the form's controls (text boxes and list items, those made before too); a form starts
  // with the system's.
  const FontSpec& Font() const { return font_; }
  void SetFont(const FontSpec& font);
  // Whether the form may be sized down to a single pixel: the system otherwise keeps a captioned
  // window wide enough for its caption buttons.
  bool AnySize() const { return anySize_; }
  void SetAnySize(bool anySize) { anySize_ = anySize; }

  // Key presses on the form, also those made with Alt held; a handler may set Key to 0.
  std::function<void(uint16_t& key, ModifierKeys shift)> OnKeyDown;
  std::function<void()> OnMove;
  std::function<void()> OnShow;
  // The form moved to a screen of another scaling (or the scaling changed). The window layer has already
  // given it the size the system suggests and kept its controls' places in proportion.
  std::function<void()> OnDpiChanged;
  // Files dropped on the form, with the Ctrl and Alt state at the drop.
  std::function<void(const std::vector<std::string>& paths, ModifierKeys shift)> OnDropFiles;

  // The picture controls on the form, in creation order (each adds itself; the window layer paints them).
  const std::vector<PictureControl*>& Images() const { return images_; }

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  friend class PictureControl;
  std::unique_ptr<Impl> impl_;
  std::vector<PictureControl*> images_;
  // The implementation's part of closing the main form (Close ends the application after it).
  void CloseMainForm();
  FontSpec font_;
  bool anySize_ = false;
  bool modal_ = false;  // in ShowModal
};

// A picture control: paints its picture into its rectangle of the form's client area (black around
// it), at natural size or stretched to its own size, turned as its Turn says (its size is then the
// turned picture's).
class PictureControl {
 public:
  explicit PictureControl(Window& owner);
  ~PictureControl();
  Picture& Content() { return picture_; }
  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const;
  int32_t Height() const;
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);
  // Client alignment: the control fills the owner's client area.
  bool AlignClient() const { return alignClient_; }
  void SetAlignClient(bool align);
  PictureTurn Turn() const { return turn_; }
  void SetTurn(PictureTurn turn);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Invalidate();
  // Draws the control into a canvas the size of the owner's client area (used by the window layer).
  void Paint(Canvas& canvas, int32_t clientWidth, int32_t clientHeight);

  ProgressHandler OnProgress;

 private:
  Window& owner_;
  Picture picture_;
  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool stretch_ = false, alignClient_ = false, visible_ = true;
  PictureTurn turn_;
};

// A window timer of a form: while enabled, OnTimer runs every Interval milliseconds; an interval of 0
// gives no ticks. Enabling or setting the interval restarts the count.
class Timer {
 public:
  explicit Timer(Window& owner);
  ~Timer();
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t interval);
  // Runs OnTimer once (the window layer calls it on each tick).
  void Tick();

  std::function<void()> OnTimer;

 private:
  void Restart();
  Window& owner_;
  bool enabled_ = false;
  uint32_t interval_ = 1000;
  uintptr_t id_ = 0;
};

// A single-selection list box that shows Count items which it asks for by index (it holds no copy).
class ListBox {
 public:
  explicit ListBox(Window& owner);
  ~ListBox();
  void SetItemSource(std::function<std::string(int32_t index)> source);
  // The number of items changed (or their texts): the box redraws.
  void SetCount(int32_t count);
  int32_t Count() const;
  int32_t ItemIndex() const;
  void SetItemIndex(int32_t index);
  void SetFocus();

  std::function<void()> OnClick;
  std::function<void(uint16_t& key, ModifierKeys shift)> OnKeyDown;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// A single-line edit box.
class EditBox {
 public:
  EditBox(Window& owner, int32_t left, int32_t top, int32_t width, int32_t height);
  ~EditBox();
  std::string Text() const;
  void SetText(const std::string& text);
  void Select(int32_t start, int32_t length);
  int32_t SelStart() const;
  int32_t SelLength() const;
  void SetFocus();
  // Each typed character (UTF-32); a handler may set it to 0 to discard it.
  std::function<void(char32_t& key)> OnKeyPress;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace zeb::ui
