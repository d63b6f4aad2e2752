#include "app/key_table.h"

#include <array>

#include "app/main_window.h"

namespace zeb::app {

namespace {

using M = KeyModifiers;
constexpr KeyConditions kEntries = when::kHasEntries;
constexpr KeyConditions kStopped = when::kShowStopped;
constexpr KeyConditions kStoppedWithEntries = when::kShowStopped | when::kHasEntries;

// Holds the window at an edge (Ctrl+arrow): the opposite edge, centring and maximising end.
void HoldAt(MainWindow& w, Placement add, Placement remove) {
  Placement& placement = w.Model().modes.placement;
  placement = static_cast<Placement>((placement | add) & ~remove);
  w.FitToPicture();
}

// Moves the window by hand (an arrow), which ends any placement rule; it is not refitted.
void MoveBy(MainWindow& w, const KeyPress& p, int32_t dx, int32_t dy) {
  const int32_t step = p.shift ? 50 : p.alt ? 1 : 20;
  w.Model().modes.placement = placement::kFree;
  if (dx) w.SetLeft(w.Left() + dx * step);
  if (dy) w.SetTop(w.Top() + dy * step);
}

ViewerModes& Modes(MainWindow& w) { return w.Model().modes; }

// A move of the model that found somewhere to go shows the entry it reached.
void ShowIf(MainWindow& w, bool moved) {
  if (moved) w.ShowCurrent();
}

using namespace placement;

constexpr auto kTable = std::to_array<KeyBinding>({
    // Escape stops a build, or else ends the program.
    {ui::VK_ESCAPE_, M::Any, when::kBuilding, "stop the build",
     [](MainWindow& w, const KeyPress&) { w.run.abortRequested = true; }, false},
    {ui::VK_ESCAPE_, M::Any, when::kNotBuilding, "quit", [](MainWindow& w, const KeyPress&) { w.Close(); },
     false},
    {ui::VK_F1_, M::Plain, when::kAlways, "key help", [](MainWindow& w, const KeyPress&) { w.ToggleHelp(); },
     true},

    // Ctrl: the window held at an edge, then list commands that wait while the slide show runs.
    {ui::VK_LEFT_, M::Ctrl, when::kAlways, "hold at the left edge",
     [](MainWindow& w, const KeyPress&) { HoldAt(w, kLeft, kRight | kCentre | kMaximised); }, false},
    {ui::VK_RIGHT_, M::Ctrl, when::kAlways, "hold at the right edge",
     [](MainWindow& w, const KeyPress&) { HoldAt(w, kRight, kLeft | kCentre | kMaximised); }, false},
    {ui::VK_UP_, M::Ctrl, when::kAlways, "hold at the top edge",
     [](MainWindow& w, const KeyPress&) { HoldAt(w, kTop, kBottom | kCentre | kMaximised); }, false},
    {ui::VK_DOWN_, M::Ctrl, when::kAlways, "hold at the bottom edge",
     [](MainWindow& w, const KeyPress&) { HoldAt(w, kBottom, kTop | kCentre | kMaximised); }, false},
    {'N', M::Ctrl, kStoppedWithEntries, "next folder", [](MainWindow& w, const KeyPress&) { ShowIf(w, w.Model().NextFolder()); },
     true},
    {'P', M::Ctrl, kStoppedWithEntries, "previous folder",
     [](MainWindow& w, const KeyPress&) { ShowIf(w, w.Model().PreviousFolder()); }, true},
    {'D', M::Ctrl, kStoppedWithEntries, "remove the folder",
     [](MainWindow& w, const KeyPress&) { w.RemoveCurrentFolder(); }, true},
    {'W', M::Ctrl, kStoppedWithEntries, "wallpaper mode on/off",
     [](MainWindow& w, const KeyPress&) { w.ToggleWallpaperMode(); }, true},
    {'S', M::Ctrl, kStoppedWithEntries, "save the list", [](MainWindow& w, const KeyPress&) { w.SaveList(); },
     true},
    {'L', M::Ctrl, kStopped, "open a list", [](MainWindow& w, const KeyPress&) { w.OpenList(); }, true},

    // Arrows move the window by hand: 20 pixels, 50 with Shift, 1 with Alt.
    {ui::VK_LEFT_, M::NoCtrl, when::kAlways, "move left",
     [](MainWindow& w, const KeyPress& p) { MoveBy(w, p, -1, 0); }, false},
    {ui::VK_RIGHT_, M::NoCtrl, when::kAlways, "move right",
     [](MainWindow& w, const KeyPress& p) { MoveBy(w, p, 1, 0); }, false},
    {ui::VK_UP_, M::NoCtrl, when::kAlways, "move up",
     [](MainWindow& w, const KeyPress& p) { MoveBy(w, p, 0, -1); }, false},
    {ui::VK_DOWN_, M::NoCtrl, when::kAlways, "move down",
     [](MainWindow& w, const KeyPress& p) { MoveBy(w, p, 0, 1); }, false},
    {ui::VK_RETURN_, M::NoCtrl, when::kAlways, "reload",
     [](MainWindow& w, const KeyPress&) { w.ShowCurrent(); }, false},

    // Modes.
    {'V', M::Plain, kEntries, "List window", [](MainWindow& w, const KeyPress&) { w.ToggleListWindow(); },
     false},
    {'N', M::Plain, kEntries, "slide forward",
     [](MainWindow& w, const KeyPress&) { Modes(w).slideDirection = SlideDirection::Forward; }, false},
    {'P', M::Plain, kEntries, "slide backward",
     [](MainWindow& w, const KeyPress&) { Modes(w).slideDirection = SlideDirection::Backward; }, false},
    {'R', M::Plain, kEntries, "slide at random",
     [](MainWindow& w, const KeyPress&) { Modes(w).slideDirection = SlideDirection::Random; }, false},
    {'L', M::Plain, kEntries, "loop on/off",
     [](MainWindow& w, const KeyPress&) { Modes(w).loop = !Modes(w).loop; }, false},
    {'S', M::Plain, kEntries, "slide show on/off",
     [](MainWindow& w, const KeyPress&) { w.SetSlideShow(!w.slideTimer.Enabled()); }, false},
    {'Q', M::Plain, kEntries, "quit at the end on/off",
     [](MainWindow& w, const KeyPress&) { Modes(w).quitAtEnd = !Modes(w).quitAtEnd; }, false},
    {'W', M::Shift, kEntries | when::kWallpaperOn, "wallpaper as shown on/off",
     [](MainWindow& w, const KeyPress&) { Modes(w).wallpaper.asShown = !Modes(w).wallpaper.asShown; }, false},
    {'Z', M::Shift, kEntries | when::kWallpaperOn, "wallpaper stretched",
     [](MainWindow& w, const KeyPress&) { Modes(w).wallpaper.layout = WallpaperLayout::Stretch; }, false},
    {'T', M::Shift, kEntries | when::kWallpaperOn, "wallpaper tiled",
     [](MainWindow& w, const KeyPress&) { Modes(w).wallpaper.layout = WallpaperLayout::Tile; }, false},
    {'C', M::Shift, kEntries | when::kWallpaperOn, "wallpaper centred",
     [](MainWindow& w, const KeyPress&) { Modes(w).wallpaper.layout = WallpaperLayout::Centre; }, false},
    {'S', M::Shift, kEntries, "enlarge small pictures on/off",
     [](MainWindow& w, const KeyPress&) { Modes(w).enlargeSmall = !Modes(w).enlargeSmall; }, false},
    // After the modes, whatever the key, the title shows them.
    {kAnyKey, M::NoCtrl, kEntries, "update the title",
     [](MainWindow& w, const KeyPress&) { w.UpdateTitle(); }, false},

    // Moves and questions that wait while the slide show runs (its ticks do the moving then).
    {'N', M::Plain, kStoppedWithEntries, "next", [](MainWindow& w, const KeyPress&) { w.Step(1, true); },
     false},
    {ui::VK_SPACE_, M::Plain, kStoppedWithEntries, "next",
     [](MainWindow& w, const KeyPress&) { w.Step(1, true); }, false},
    {'P', M::Plain, kStoppedWithEntries, "previous",
     [](MainWindow& w, const KeyPress&) { w.Step(1, false); }, false},
    {ui::VK_BACK_, M::Plain, kStoppedWithEntries, "previous",
     [](MainWindow& w, const KeyPress&) { w.Step(1, false); }, false},
    {'A', M::Plain, kStoppedWithEntries, "first", [](MainWindow& w, const KeyPress&) { w.Model().First();
       w.ShowCurrent(); },
     false},
    {'E', M::Plain, kStoppedWithEntries, "last", [](MainWindow& w, const KeyPress&) { w.Model().Last();
       w.ShowCurrent(); }, false},
    {'J', M::Plain, kStoppedWithEntries, "jump to a number",
     [](MainWindow& w, const KeyPress&) { w.JumpToNumber(); }, false},
    {'R', M::Plain, kStoppedWithEntries, "random", [](MainWindow& w, const KeyPress&) { w.ShowRandom(); },
     false},
    {'I', M::Plain, kStopped, "slide interval", [](MainWindow& w, const KeyPress&) { w.AskInterval(); },
     false},
    {'W', M::Plain, kStopped, "box width", [](MainWindow& w, const KeyPress&) { w.AskBoxWidth(); }, false},
    {'H', M::Plain, kStopped, "box height", [](MainWindow& w, const KeyPress&) { w.AskBoxHeight(); }, false},
    {'N', M::Shift, kStoppedWithEntries, "next series",
     [](MainWindow& w, const KeyPress&) { ShowIf(w, w.Model().NextSeries()); }, false},
    {'P', M::Shift, kStoppedWithEntries, "previous series",
     [](MainWindow& w, const KeyPress&) { w.Model().PreviousSeries();
       w.ShowCurrent(); }, false},

    // The list, whether or not the slide show runs.
    {'G', M::Plain, kEntries, "go to the mark", [](MainWindow& w, const KeyPress&) { ShowIf(w, w.Model().GoToMark()); }, false},
    {'X', M::Plain, kEntries, "swap with the mark", [](MainWindow& w, const KeyPress&) { ShowIf(w, w.Model().SwapWithMark()); },
     false},
    {'M', M::Plain, kEntries, "set the mark", [](MainWindow& w, const KeyPress&) { w.Model().SetMark(); },
     false},
    {'D', M::Plain, kEntries, "remove from the list",
     [](MainWindow& w, const KeyPress&) { w.DeleteEntry(w.Model().current, true); }, false},
    {ui::VK_DELETE_, M::Plain, kEntries, "reload", [](MainWindow& w, const KeyPress&) { w.ShowCurrent(); },
     false},
    {'D', M::Shift, kEntries, "remove the series", [](MainWindow& w, const KeyPress&) { ShowIf(w, w.Model().RemoveSeries()); },
     false},
    // Enlarging small pictures shows only in a fixed box or maximised.
    {'S', M::Shift, kEntries | when::kBoxOrMaximised, "show enlarged",
     [](MainWindow& w, const KeyPress&) { w.ShowCurrent(); }, false},

    // The window's own commands, with or without a list.
    {'C', M::Plain, when::kAlways, "centre", [](MainWindow& w, const KeyPress&) { w.CentreWindow(); }, false},
    {'F', M::Plain, when::kAlways, "maximise/restore",
     [](MainWindow& w, const KeyPress&) { w.ToggleMaximised(); }, false},
    {'F', M::Shift, when::kAlways, "fixed box on/off",
     [](MainWindow& w, const KeyPress&) { w.ToggleFixedBox(); }, false},
    {'H', M::Shift, when::kAlways, "minimise",
     [](MainWindow&, const KeyPress&) { ui::App().Minimize(); }, false},
});

bool Holds(MainWindow& w, KeyConditions conditions) {
  ViewerModel& model = w.Model();
  if ((conditions & when::kHasEntries) && model.list.Empty()) return false;
  if ((conditions & when::kShowStopped) && w.slideTimer.Enabled()) return false;
  if ((conditions & when::kWallpaperOn) && !model.modes.wallpaper.on) return false;
  if ((conditions & when::kBoxOrMaximised) && !model.modes.box.Any() &&
      !(model.modes.placement & placement::kMaximised))
    return false;
  if ((conditions & when::kBuilding) && !w.run.building) return false;
  if ((conditions & when::kNotBuilding) && w.run.building) return false;
  return true;
}

}  // namespace

std::span<const KeyBinding> KeyTable() { return kTable; }

bool Matches(const KeyBinding& row, const KeyPress& press) {
  if (row.key != kAnyKey && row.key != press.key) return false;
  switch (row.modifiers) {
    case M::Any:
      return true;
    case M::Ctrl:
      return press.ctrl;
    case M::Plain:
      return !press.ctrl && !press.shift;
    case M::Shift:
      return !press.ctrl && press.shift;
    case M::NoCtrl:
      return !press.ctrl;
  }
  return false;
}

void MainWindow::OnKey(uint16_t& key, ui::ModifierKeys shift) {
  const KeyPress press{key, (shift & ui::kShift) != 0, (shift & ui::kAlt) != 0, (shift & ui::kCtrl) != 0};
  for (const KeyBinding& row : kTable) {
    if (!Matches(row, press) || !Holds(*this, row.conditions)) continue;
    row.run(*this, press);
    if (row.consumesKey) key = 0;
  }
}

}  // namespace zeb::app
