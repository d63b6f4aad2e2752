// The main window's construction and destruction, and the start-up that fills the first image list.
#include "app/form1.h"

#include <cstdlib>
#include <ctime>

#include "app/blank_picture.h"
#include "app/dialogs/list_window.h"
#include "app/random_pick.h"
#include "platform/core/strings.h"

namespace zeb::app {

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;

TForm1::TForm1(std::vector<std::string> params)
    : TForm(ui::TBorderStyle::bsSingle, "ImageView", 200, 200),
      ImgBlank(*this),
      Image1(*this),
      Timer1(*this),
      Params(std::move(params)) {
  // Like the framework's form creation, the program-wide reference is set before anything runs.
  Form1 = this;
  if (!ui::Application().MainForm) ui::Application().MainForm = this;

  SetAnySize(true);  // the window fits itself to the picture, however narrow
  ImgBlank.SetVisible(false);
  ImgBlank.Picture().SetGraphic(MakeBlankPicture());
  Image1.SetBounds(0, 0, 200, 200);
  Image1.SetAlignClient(true);
  Image1.OnProgress = [this](TGraphic* sender, TProgressStage stage, uint8_t percent, bool redraw,
                             const TRect& r, const std::string& msg) {
    Image1Progress(sender, stage, percent, redraw, r, msg);
  };
  for (ui::TOpenDialog* dialog :
       {static_cast<ui::TOpenDialog*>(&OpenDialog1), static_cast<ui::TOpenDialog*>(&SaveDialog1)}) {
    dialog->Filter = "ImageList(*.zeb)|*.zeb";
    dialog->DefaultExt = "zeb";
  }
  Timer1.SetEnabled(false);
  Timer1.SetInterval(2500);
  Timer1.OnTimer = [this] { Timer1Timer(); };
  OnKeyDown = [this](uint16_t& key, ui::TShiftState shift) { FormKeyDown(key, shift); };
  OnMove = [this] { FormMoved(); };
  OnDropFiles = [this](const std::vector<std::string>& paths, ui::TShiftState shift) {
    FormDropFiles(paths, shift);
  };

  // The plug-in manager as stored with the window; once its properties are set it searches the
  // plug-in folders and registers the extensions of the import filters it keeps.
  SPIs1 = std::make_unique<spi::TSPIs>();
  SPIs1->GraphicPreview = false;
  SPIs1->SearchOptions = spi::SearchOption(spi::spsSusieDir) | spi::SearchOption(spi::spsAppDir);
  SPIs1->OnSearch = [this](spi::TSPIs* sender, spi::TSPI* aSPI, bool& accept) {
    SPIs1Search(sender, aSPI, accept);
  };
  SPIs1->OnPictureRegister = [this](spi::TSPIs* sender, spi::TInSPI* aSPI, const std::string& ext,
                                    const std::string& description, TGraphicClass& cls) {
    SPIs1PictureRegister(sender, aSPI, ext, description, cls);
  };
  // One bad file in a plug-in folder must not keep the viewer from starting: its error is shown once
  // and the search goes on. Searches made later report such errors to their caller.
  SPIs1->OnLoadError = [](spi::TSPIs*, const std::string&, const std::exception& error) {
    ui::Application().ShowException(error);
  };
  SPIs1->Loaded();
  SPIs1->OnLoadError = nullptr;

  ui::Application().Guard([this] { FormCreate(); });
}

TForm1::~TForm1() {
  FormDestroy();
  Timer1.SetEnabled(false);
  SPIs1.reset();
  if (ui::Application().MainForm == this) ui::Application().MainForm = nullptr;
  if (Form1 == this) Form1 = nullptr;
}

TImageList& TForm1::List() { return Form3->Images; }

void TForm1::FormCreate() {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  ui::Application().OnRestore = [this] { AppRestore(); };
  ui::Application().OnMinimize = [this] { AppMinimize(); };
  BuildExtensionList();
  SetInitialState();

  TStartOptions options;
  size_t first = 0;
  for (; first < Params.size(); ++first) {
    TSwitch sw = ParseSwitch(Params[first]);
    if (sw.Kind == TSwitchKind::NotASwitch) break;
    if (sw.Kind == TSwitchKind::EndOfSwitches) {
      ++first;
      break;
    }
    ApplySwitch(sw, options);
  }

  if (Minimized)
    ui::Application().Minimize();
  else
    Show();
  CurrentIndex = 0;
  LoadFromFile();

  std::string lastFile;
  try {
    lastFile = AddFileArguments(first, options);
  } catch (const std::exception& error) {
    // A list file that cannot be read stops the adding; the error is shown and the viewer goes on
    // with what has been added, so it is never left in the building state.
    Building = false;
    ui::Application().ShowException(error);
  }
  Building = false;
  if (AbortRequested) {
    ui::Application().Terminate();
    return;
  }
  TidyList();
  if (options.OpenInFolder && first < Params.size()) SelectFile(lastFile);
  if (options.StartSlideShow) Timer1.SetEnabled(true);
  if (options.RandomStart) CurrentIndex = RandomBelow(List().Count());
  LoadFromFile();
  if (QuitAtEnd)
    ui::Application().Terminate();
  else
    AcceptFiles(true);
}

void TForm1::FormDestroy() { PictureExtensions.clear(); }

}  // namespace zeb::app
