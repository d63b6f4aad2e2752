// The command line: switches that set the viewer's state, then file, folder and list-file arguments
// that fill the first image list.
#include <algorithm>

#include "app/form1.h"
#include "platform/core/strings.h"
#include "platform/services/file_system.h"

namespace zeb::app {

namespace {

bool Has(const std::string& value, char letter) { return value.find(letter) != std::string::npos; }

// Reads a switch's number; a value that is no number shows Message + "(" + value + ")".
bool ReadNumber(const std::string& value, const char* message, int32_t& number) {
  if (TryStrToInt(value, number)) return true;
  ui::MessageDlg(std::string(message) + "(" + value + ")", ui::TMsgDlgType::mtError,
                 ui::TMsgDlgButtons::mbOK);
  return false;
}

}  // namespace

TSwitch TForm1::ParseSwitch(const std::string& arg) {
  if (arg.empty() || arg[0] != '-') return {TSwitchKind::NotASwitch, {}};
  std::string value = arg.size() > 2 ? arg.substr(2) : std::string();
  char letter = arg.size() > 1 ? arg[1] : '\0';
  static constexpr struct {
    char letter;
    TSwitchKind kind;
  } kLetters[] = {
      {'f', TSwitchKind::Maximised}, {'D', TSwitchKind::OpenInFolder}, {'w', TSwitchKind::Width},
      {'h', TSwitchKind::Height},    {'P', TSwitchKind::Placement},    {'s', TSwitchKind::SlideShow},
      {'i', TSwitchKind::Interval},  {'l', TSwitchKind::Loop},         {'t', TSwitchKind::Pause},
      {'W', TSwitchKind::Wallpaper}, {'H', TSwitchKind::Minimized},    {'S', TSwitchKind::Enlarge},
      {'r', TSwitchKind::Random},    {'q', TSwitchKind::Quit},         {'-', TSwitchKind::EndOfSwitches},
  };
  for (const auto& entry : kLetters)
    if (entry.letter == letter) return {entry.kind, value};
  return {TSwitchKind::Unknown, value};
}

void TForm1::ApplySwitch(const TSwitch& sw, TStartOptions& options) {
  const std::string& v = sw.Value;
  int32_t number = 0;
  switch (sw.Kind) {
    case TSwitchKind::Maximised:
      PlacementFlags = pfMaximised;
      SetWindowState(ui::TWindowState::wsMaximized);
      break;
    case TSwitchKind::OpenInFolder:
      options.OpenInFolder = true;
      break;
    case TSwitchKind::Width:
      FixedWidth = true;
      if (!v.empty() && ReadNumber(v, "Width指定が異常です。", number)) BoxWidth = number;
      break;
    case TSwitchKind::Height:
      FixedHeight = true;
      if (!v.empty() && ReadNumber(v, "Height指定が異常です。", number)) BoxHeight = number;
      break;
    case TSwitchKind::Placement:
      if (Has(v, 'r')) PlacementFlags = (PlacementFlags | pfRight) & ~pfLeft;
      if (Has(v, 'l')) PlacementFlags = (PlacementFlags | pfLeft) & ~pfRight;
      if (Has(v, 'b')) PlacementFlags = (PlacementFlags | pfBottom) & ~pfTop;
      if (Has(v, 't')) PlacementFlags = (PlacementFlags | pfTop) & ~pfBottom;
      if (Has(v, 'c')) PlacementFlags = pfCentre;
      break;
    case TSwitchKind::SlideShow:
      options.StartSlideShow = true;
      if (Has(v, 'f')) SlideDirection = 1;
      if (Has(v, 'b')) SlideDirection = 2;
      if (Has(v, 'r')) SlideDirection = 3;
      break;
    case TSwitchKind::Interval:
      // No range check: the timer takes the number as it is.
      if (ReadNumber(v, "Interval指定が異常です。", number))
        Timer1.SetInterval(static_cast<uint32_t>(number));
      break;
    case TSwitchKind::Loop:
      LoopList = true;
      break;
    case TSwitchKind::Pause:
      PauseWhileLoading = false;
      if (Has(v, 'r')) PauseWhileLoading = true;
      if (Has(v, 'n')) PauseWhileLoading = false;
      break;
    case TSwitchKind::Wallpaper:
      WallpaperMode = true;
      if (Has(v, 's')) WallpaperAsShown = true;
      if (Has(v, 'z')) WallpaperLayout = 1;
      if (Has(v, 't')) WallpaperLayout = 2;
      if (Has(v, 'c')) WallpaperLayout = 0;
      break;
    case TSwitchKind::Minimized:
      Minimized = true;
      break;
    case TSwitchKind::Enlarge:
      EnlargeSmall = true;
      break;
    case TSwitchKind::Random:
      options.RandomStart = true;
      break;
    case TSwitchKind::Quit:
      QuitAtEnd = true;
      break;
    case TSwitchKind::EndOfSwitches:
    case TSwitchKind::Unknown:
    case TSwitchKind::NotASwitch:
      break;
  }
}

std::string TForm1::AddFileArguments(size_t index, const TStartOptions& options) {
  std::string last;
  for (; index < Params.size(); ++index) {
    const std::string& arg = Params[index];
    last = arg;
    // A pattern would match other files; an argument names one file or folder.
    if (arg.empty() || arg.find_first_of("*?") != std::string::npos) continue;
    bool found = false;
    FindData match;
    Files().Find(arg, [&](const FindData& d) {
      match = d;
      found = true;
      return false;
    });
    if (!found) continue;
    if (match.attributes & faDirectory) {
      AddFolder(arg + "\\", true);
    } else if (options.OpenInFolder) {
      AddFolder(FolderPart(Files().ExpandFileName(arg)), false);
    } else if (IsPictureExtension(arg, true)) {
      // The name as the file system spells it: the long form of a short (8.3) name.
      AddFile(FolderPart(arg) + match.name);
    }
  }
  return last;
}

void TForm1::SelectFile(const std::string& fileName) {
  const std::string path = Files().ExpandFileName(fileName);
  const std::vector<std::string>& entries = List().Entries();
  auto it = std::find(entries.begin(), entries.end(), path);
  if (it != entries.end()) CurrentIndex = static_cast<int32_t>(it - entries.begin());
}

}  // namespace zeb::app
