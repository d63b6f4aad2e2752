#include "app/program.h"

#include <memory>

#include "app/dialogs/jump_dialog.h"
#include "app/dialogs/list_window.h"
#include "app/form1.h"
#include "platform/ui/forms.h"
#include "spi/spi_bitmap.h"

namespace zeb::app {

int RunProgram(const std::vector<std::string>& args) {
  ui::TApplication& application = ui::Application();
  application.SetTitle("ZEB ver.1.00β");
  // Plug-in extensions are registered with the plug-in picture class from the first window on.
  spi::InitializeSPIBitmap();
  int exitCode = 0;
  {
    std::unique_ptr<TForm2> jump;
    std::unique_ptr<TForm3> list;
    std::unique_ptr<TForm1> main;
    try {
      jump = std::make_unique<TForm2>();
      Form2 = jump.get();
      list = std::make_unique<TForm3>();
      Form3 = list.get();
      // Its construction searches the plug-ins and then runs FormCreate, which builds the first list.
      main = std::make_unique<TForm1>(args);
    } catch (const std::exception& error) {
      // An error before the main window's FormCreate (a plug-in lacking an export its kind needs)
      // ends the program after its message.
      application.ShowException(error);
      exitCode = 1;
    }
    if (main) {
      application.MainForm = main.get();
      application.Run();
    }
    main.reset();
    list.reset();
    Form3 = nullptr;
    jump.reset();
    Form2 = nullptr;
  }
  spi::FinalizeSPIBitmap();
  return exitCode;
}

}  // namespace zeb::app
