// Opening a list file in place of the image list, and saving the list to one.
#include "app/form1.h"
#include "app/list_file.h"
#include "platform/core/strings.h"
#include "platform/services/file_system.h"
#include "platform/ui/dialogs.h"

namespace zeb::app {

void TForm1::OpenList() {
  if (OpenDialog1.Execute() && Files().FileExists(OpenDialog1.FileName)) {
    // Every line becomes an entry as it stands; lines that are no picture leave when they are reached.
    // A file that cannot be read raises here, and the list, bookmark and picture stay as they were.
    List().Assign(ReadListFile(OpenDialog1.FileName));
    CurrentIndex = 0;
  }
  TidyList();
  MarkIndex = 0;
  LoadFromFile();
}

void TForm1::SaveList() {
  if (!SaveDialog1.Execute()) return;
  std::string name = SaveDialog1.FileName;
  if (ExtensionPart(name).empty()) name += ".rst";
  if (Files().FileExists(name) &&
      ui::MessageDlg(name + "はすでに存在します。" + "\r\n" + "上書きしてもよろしいですか？",
                     ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbYesNo) != ui::TModalResult::mrYes)
    return;
  // Written beside the old file and put in its place only when complete: a failed write raises and
  // leaves the old list as it was.
  WriteListFile(name, List().Entries());
}

}  // namespace zeb::app
