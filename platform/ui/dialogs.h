// Message boxes and the common open and save dialogs.
#pragma once

#include <string>

#include "platform/ui/forms.h"

namespace zeb::ui {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum class TMsgDlgButtons { mbOK, mbYesNo };

// A modal message box with the application's title as caption.
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

class TOpenDialog {
 public:
  virtual ~TOpenDialog() = default;
  std::string Filter;      // "ImageList(*.zeb)|*.zeb"
  std::string DefaultExt;  // "zeb"
  std::string FileName;    // the chosen file after Execute
  // Shows the dialog; true when a file was chosen.
  virtual bool Execute();
};

class TSaveDialog : public TOpenDialog {
 public:
  bool Execute() override;
};

}  // namespace zeb::ui
