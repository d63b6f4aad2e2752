// Message boxes and the common open and save dialogs.
#pragma once

#include <string>

#include "platform/ui/forms.h"

namespace zeb::ui {

enum class MessageKind { Warning, Error, Information, Confirmation };
enum class MessageButtons { Ok, YesNo };

// A modal message box with the application's title as caption.
DialogResult ShowMessageBox(const std::string& text, MessageKind type, MessageButtons buttons);

class OpenFileDialog {
 public:
  virtual ~OpenFileDialog() = default;
  std::string Filter;      // "ImageList(*.zeb)|*.zeb"
  std::string DefaultExt;  // "zeb"
  std::string FileName;    // the chosen file after Execute
  // Shows the dialog; true when a file was chosen.
  virtual bool Execute();
};

class SaveFileDialog : public OpenFileDialog {
 public:
  bool Execute() override;
};

}  // namespace zeb::ui
