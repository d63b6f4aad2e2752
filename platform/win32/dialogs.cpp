// Message boxes and the common open and save dialogs.
#include "platform/ui/dialogs.h"

#include <cwchar>
#include <stdexcept>

#include "platform/win32/system_function.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_layer.h"

namespace zeb::ui {

namespace {

HWND DialogOwner() {
  HWND active = GetActiveWindow();
  if (active) return active;
  Window* main = App().MainForm;
  return main && main->Visible() ? static_cast<HWND>(main->Handle()) : nullptr;
}

bool RunFileDialog(OpenFileDialog& dialog, bool save) {
  // "Name|*.ext|..." becomes "Name\0*.ext\0...\0\0".
  std::wstring filter = win32::Widen(dialog.Filter);
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  std::wstring ext = win32::Widen(dialog.DefaultExt);
  std::wstring file = win32::Widen(dialog.FileName);
  constexpr size_t kFileBuffer = 32768;
  if (file.size() >= kFileBuffer) file.clear();
  file.resize(kFileBuffer, L'\0');

  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = DialogOwner();
  ofn.lpstrFilter = dialog.Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  // The system's defaults otherwise: no overwrite prompt, no test that the file exists, and the
  // current folder follows the dialog.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  // The common dialogs' library is loaded by the first dialog, not at start.
  using FileDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
  static const auto saveDialog = win32::SystemFunction<FileDialog>(L"comdlg32.dll", "GetSaveFileNameW");
  static const auto openDialog = win32::SystemFunction<FileDialog>(L"comdlg32.dll", "GetOpenFileNameW");
  const FileDialog run = save ? saveDialog : openDialog;
  if (!run) throw std::runtime_error("The file dialog is not available (comdlg32.dll).");
  BOOL chosen = run(&ofn);
  if (!chosen) return false;
  file.resize(wcsnlen(file.c_str(), file.size()));
  dialog.FileName = win32::Narrow(file);
  return true;
}

}  // namespace

DialogResult ShowMessageBox(const std::string& text, MessageKind type, MessageButtons buttons) {
  UINT flags = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
  switch (type) {
    case MessageKind::Warning:
      flags |= MB_ICONWARNING;
      break;
    case MessageKind::Error:
      flags |= MB_ICONERROR;
      break;
    case MessageKind::Information:
      flags |= MB_ICONINFORMATION;
      break;
    case MessageKind::Confirmation:
      flags |= MB_ICONQUESTION;
      break;
  }
  int answer =
      MessageBoxW(DialogOwner(), win32::Widen(text).c_str(), win32::Widen(App().Title()).c_str(), flags);
  switch (answer) {
    case IDYES:
      return DialogResult::Yes;
    case IDNO:
      return DialogResult::No;
    case IDOK:
      return DialogResult::Ok;
    default:  // the box could not be shown
      return buttons == MessageButtons::YesNo ? DialogResult::No : DialogResult::Ok;
  }
}

bool OpenFileDialog::Execute() { return RunFileDialog(*this, false); }

bool SaveFileDialog::Execute() { return RunFileDialog(*this, true); }

}  // namespace zeb::ui
