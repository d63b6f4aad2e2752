#include <algorithm>
#include <array>

#include "app/commands/commands.h"
#include "app/key_table.h"
#include "platform/ui/forms.h"

namespace zeb::app {

namespace {

using M = Modifiers;
using C = Command;
constexpr AllOf kAlways{};
constexpr AllOf kEntries{When::HasEntries};
constexpr AllOf kStopped{When::ShowStopped};
constexpr AllOf kStoppedWithEntries{When::ShowStopped, When::HasEntries};
constexpr AllOf kWallpaperMode{When::HasEntries, When::WallpaperOn};

constexpr auto kTable = std::to_array<KeyBinding>({
    // Escape stops a build, or else ends the program.
    {ui::VK_ESCAPE_, M::Whatever, {When::Building}, C::StopBuild, false},
    {ui::VK_ESCAPE_, M::Whatever, {When::NotBuilding}, C::Quit, false},
    {ui::VK_F1_, M::NoCtrlNoShift, kAlways, C::KeyHelp, true},

    // Ctrl: the window held at an edge, then list commands that wait while the slide show runs.
    {ui::VK_LEFT_, M::CtrlHeld, kAlways, C::HoldLeft, false},
    {ui::VK_RIGHT_, M::CtrlHeld, kAlways, C::HoldRight, false},
    {ui::VK_UP_, M::CtrlHeld, kAlways, C::HoldTop, false},
    {ui::VK_DOWN_, M::CtrlHeld, kAlways, C::HoldBottom, false},
    {'N', M::CtrlHeld, kStoppedWithEntries, C::NextFolder, true},
    {'P', M::CtrlHeld, kStoppedWithEntries, C::PreviousFolder, true},
    {'D', M::CtrlHeld, kStoppedWithEntries, C::RemoveFolder, true},
    {'W', M::CtrlHeld, kStoppedWithEntries, C::ToggleWallpaperMode, true},
    {'S', M::CtrlHeld, kStoppedWithEntries, C::SaveList, true},
    {'L', M::CtrlHeld, kStopped, C::OpenList, true},

    // Arrows move the window by hand: 20 pixels, 50 with Shift, 1 with Alt.
    {ui::VK_LEFT_, M::CtrlNotHeld, kAlways, C::MoveLeft, false},
    {ui::VK_RIGHT_, M::CtrlNotHeld, kAlways, C::MoveRight, false},
    {ui::VK_UP_, M::CtrlNotHeld, kAlways, C::MoveUp, false},
    {ui::VK_DOWN_, M::CtrlNotHeld, kAlways, C::MoveDown, false},
    {ui::VK_RETURN_, M::CtrlNotHeld, kAlways, C::Reload, false},

    // Modes.
    {'V', M::NoCtrlNoShift, kEntries, C::ListWindow, false},
    {'N', M::NoCtrlNoShift, kEntries, C::SlideForward, false},
    {'P', M::NoCtrlNoShift, kEntries, C::SlideBackward, false},
    {'R', M::NoCtrlNoShift, kEntries, C::SlideRandom, false},
    {'L', M::NoCtrlNoShift, kEntries, C::ToggleLoop, false},
    {'S', M::NoCtrlNoShift, kEntries, C::ToggleSlideShow, false},
    {'Q', M::NoCtrlNoShift, kEntries, C::ToggleQuitAtEnd, false},
    {'W', M::ShiftWithoutCtrl, kWallpaperMode, C::ToggleWallpaperAsShown, false},
    {'Z', M::ShiftWithoutCtrl, kWallpaperMode, C::WallpaperStretched, false},
    {'T', M::ShiftWithoutCtrl, kWallpaperMode, C::WallpaperTiled, false},
    {'C', M::ShiftWithoutCtrl, kWallpaperMode, C::WallpaperCentred, false},
    {'S', M::ShiftWithoutCtrl, kEntries, C::ToggleEnlargeSmall, false},

    // Moves and questions that wait while the slide show runs (its ticks do the moving then).
    {'N', M::NoCtrlNoShift, kStoppedWithEntries, C::Next, false},
    {ui::VK_SPACE_, M::NoCtrlNoShift, kStoppedWithEntries, C::Next, false},
    {'P', M::NoCtrlNoShift, kStoppedWithEntries, C::Previous, false},
    {ui::VK_BACK_, M::NoCtrlNoShift, kStoppedWithEntries, C::Previous, false},
    {'A', M::NoCtrlNoShift, kStoppedWithEntries, C::First, false},
    {'E', M::NoCtrlNoShift, kStoppedWithEntries, C::Last, false},
    {'J', M::NoCtrlNoShift, kStoppedWithEntries, C::Jump, false},
    {'R', M::NoCtrlNoShift, kStoppedWithEntries, C::Random, false},
    {'I', M::NoCtrlNoShift, kStopped, C::SlideInterval, false},
    {'W', M::NoCtrlNoShift, kStopped, C::BoxWidth, false},
    {'H', M::NoCtrlNoShift, kStopped, C::BoxHeight, false},
    {'N', M::ShiftWithoutCtrl, kStoppedWithEntries, C::NextSeries, false},
    {'P', M::ShiftWithoutCtrl, kStoppedWithEntries, C::PreviousSeries, false},

    // The list, whether or not the slide show runs.
    {'G', M::NoCtrlNoShift, kEntries, C::GoToMark, false},
    {'X', M::NoCtrlNoShift, kEntries, C::SwapWithMark, false},
    {'M', M::NoCtrlNoShift, kEntries, C::SetMark, false},
    {'D', M::NoCtrlNoShift, kEntries, C::Remove, false},
    {ui::VK_DELETE_, M::NoCtrlNoShift, kEntries, C::Reload, false},
    {'D', M::ShiftWithoutCtrl, kEntries, C::RemoveSeries, false},
    // The keys of "<" and ">", with or without Shift.
    {ui::VK_OEM_COMMA_, M::CtrlNotHeld, kEntries, C::TurnLeft, false},
    {ui::VK_OEM_PERIOD_, M::CtrlNotHeld, kEntries, C::TurnRight, false},
    // Enlarging small pictures shows only in a fixed box or maximised.
    {'S', M::ShiftWithoutCtrl, {When::HasEntries, When::BoxOrMaximised}, C::ShowEnlarged, false},

    // The window's own commands, with or without a list.
    {'C', M::NoCtrlNoShift, kAlways, C::Centre, false},
    {'F', M::NoCtrlNoShift, kAlways, C::Maximise, false},
    {'F', M::ShiftWithoutCtrl, kAlways, C::FixedBox, false},
    {'H', M::ShiftWithoutCtrl, kAlways, C::Minimise, false},
});

bool Holds(const ViewerContext& v, AllOf all) {
  const ViewerModes& modes = v.model.modes;
  if (all.Has(When::HasEntries) && v.model.list.Empty()) return false;
  if (all.Has(When::ShowStopped) && v.slideShow.Running()) return false;
  if (all.Has(When::WallpaperOn) && !modes.wallpaper.on) return false;
  if (all.Has(When::BoxOrMaximised) && !modes.box.Any() && !(modes.placement & placement::kMaximised))
    return false;
  if (all.Has(When::Building) && !v.run.building) return false;
  if (all.Has(When::NotBuilding) && v.run.building) return false;
  return true;
}

bool IsMove(Command c) { return c >= C::MoveLeft && c <= C::MoveDown; }

}  // namespace

std::span<const KeyBinding> KeyTable() { return kTable; }

bool Matches(const KeyBinding& row, const KeyPress& press) {
  if (row.key != press.key) return false;
  switch (row.modifiers) {
    case M::Whatever:
      return true;
    case M::CtrlHeld:
      return press.ctrl;
    case M::NoCtrlNoShift:
      return !press.ctrl && !press.shift;
    case M::ShiftWithoutCtrl:
      return !press.ctrl && press.shift;
    case M::CtrlNotHeld:
      return !press.ctrl;
  }
  return false;
}

Changes HandleKey(ViewerContext& viewer, const KeyPress& press, bool& consumed) {
  Changes changes = changed::kNothing;
  consumed = false;
  for (const KeyBinding& row : kTable) {
    if (!Matches(row, press) || !Holds(viewer, row.conditions)) continue;
    CommandInput input;
    if (IsMove(row.command)) input.step = press.shift ? 50 : press.alt ? 1 : 20;
    changes |= RunCommand(viewer, row.command, input);
    if (row.consumesKey) consumed = true;
  }
  if (!press.ctrl && !viewer.model.list.Empty()) changes |= changed::kTitle;
  return changes;
}

std::string KeyName(const KeyBinding& row) {
  std::string name = row.modifiers == M::CtrlHeld           ? "Ctrl+"
                     : row.modifiers == M::ShiftWithoutCtrl ? "Shift+"
                                                            : "";
  switch (row.key) {
    case ui::VK_ESCAPE_:
      return name + "Escape";
    case ui::VK_F1_:
      return name + "F1";
    case ui::VK_LEFT_:
      return name + "Left";
    case ui::VK_RIGHT_:
      return name + "Right";
    case ui::VK_UP_:
      return name + "Up";
    case ui::VK_DOWN_:
      return name + "Down";
    case ui::VK_RETURN_:
      return name + "Enter";
    case ui::VK_SPACE_:
      return name + "Space";
    case ui::VK_BACK_:
      return name + "Backspace";
    case ui::VK_DELETE_:
      return name + "Delete";
    case ui::VK_OEM_COMMA_:
      return name + "Comma";
    case ui::VK_OEM_PERIOD_:
      return name + "Period";
    default:
      return name + static_cast<char>(row.key);
  }
}

const char* CommandText(Command command) {
  switch (command) {
    case C::StopBuild:
      return "stop reading in the list";
    case C::Quit:
      return "quit";
    case C::KeyHelp:
      return "this help";
    case C::HoldLeft:
      return "hold the window at the left edge";
    case C::HoldRight:
      return "hold the window at the right edge";
    case C::HoldTop:
      return "hold the window at the top edge";
    case C::HoldBottom:
      return "hold the window at the bottom edge";
    case C::NextFolder:
      return "next folder";
    case C::PreviousFolder:
      return "previous folder";
    case C::RemoveFolder:
      return "remove the folder from the list";
    case C::ToggleWallpaperMode:
      return "wallpaper mode on/off";
    case C::SaveList:
      return "save the list";
    case C::OpenList:
      return "open a list";
    case C::MoveLeft:
      return "move the window left (Shift: 50 pixels, Alt: 1, else 20)";
    case C::MoveRight:
      return "move the window right";
    case C::MoveUp:
      return "move the window up";
    case C::MoveDown:
      return "move the window down";
    case C::Reload:
      return "show the picture again";
    case C::ListWindow:
      return "List window on/off";
    case C::SlideForward:
      return "also turns the slide show forward";
    case C::SlideBackward:
      return "also turns the slide show backward";
    case C::SlideRandom:
      return "also makes the slide show random";
    case C::ToggleLoop:
      return "loop on/off";
    case C::ToggleSlideShow:
      return "slide show on/off";
    case C::ToggleQuitAtEnd:
      return "quit at the end on/off";
    case C::ToggleWallpaperAsShown:
      return "wallpaper as shown on/off (in wallpaper mode)";
    case C::WallpaperStretched:
      return "wallpaper stretched (in wallpaper mode)";
    case C::WallpaperTiled:
      return "wallpaper tiled (in wallpaper mode)";
    case C::WallpaperCentred:
      return "wallpaper centred (in wallpaper mode)";
    case C::ToggleEnlargeSmall:
      return "enlarge small pictures on/off (shown in a fixed box or maximised)";
    case C::Next:
      return "next";
    case C::Previous:
      return "previous";
    case C::First:
      return "first";
    case C::Last:
      return "last";
    case C::Jump:
      return "jump to a number";
    case C::Random:
      return "random";
    case C::SlideInterval:
      return "slide show interval";
    case C::BoxWidth:
      return "fixed box width";
    case C::BoxHeight:
      return "fixed box height";
    case C::NextSeries:
      return "next series";
    case C::PreviousSeries:
      return "previous series";
    case C::GoToMark:
      return "go to the mark";
    case C::SwapWithMark:
      return "swap with the mark";
    case C::SetMark:
      return "mark";
    case C::Remove:
      return "remove from the list";
    case C::RemoveSeries:
      return "remove the series from the list";
    case C::Centre:
      return "centre the window";
    case C::Maximise:
      return "maximise/restore";
    case C::FixedBox:
      return "fixed box on/off";
    case C::Minimise:
      return "minimise";
    case C::TurnLeft:
      return "turn the picture a quarter turn left (until the next picture)";
    case C::TurnRight:
      return "turn the picture a quarter turn right";
    case C::Refit:         // modes changed from outside
    case C::Drop:          // files dropped on the window
    case C::SetWallpaper:  // wallpaper mode's part of showing a picture
    case C::ShowEnlarged:  // the second half of Shift+S
    case C::SlideStep:     // the slide show's tick
    case C::ShowEntry:     // a click in the List window
      return "";
  }
  return "";
}

std::vector<std::string> KeyHelpLines() {
  // In the order the commands are declared: the program, walking, the bookmark, editing, modes, the
  // window. A command without a key or a text of its own has no line.
  std::vector<std::string> lines;
  for (int value = 0; value <= static_cast<int>(C::Minimise); ++value) {
    const Command command = static_cast<Command>(value);
    if (!*CommandText(command)) continue;
    std::vector<std::string> keys;
    for (const KeyBinding& row : kTable) {
      const std::string name = KeyName(row);
      if (row.command == command && std::find(keys.begin(), keys.end(), name) == keys.end())
        keys.push_back(name);
    }
    if (keys.empty()) continue;
    std::string line = "  ";
    for (size_t i = 0; i < keys.size(); ++i) line += (i ? "/" : "") + keys[i];
    lines.push_back(line + " " + CommandText(command));
  }
  return lines;
}

}  // namespace zeb::app
