// The key handler of the main window (the List window forwards its keys here too). It runs its stages
// in a fixed order, and more than one row may act on one press: N both chooses the slide direction and,
// while the show is stopped, steps forward.
#include "app/form1.h"
#include "app/plugin_crash_report.h"

namespace zeb::app {

namespace {

// The modifier tests of the key table. Ctrl is handled in its own stage, so below Ctrl is never held.
struct Modifiers {
  bool shift;  // Shift held (Ctrl not)
  bool alt;
  bool noShift() const { return !shift; }
};

// Ctrl held: window edges, then the list commands, which do nothing while the slide show runs.
void ControlStage(TForm1& form, uint16_t& key) {
  auto holdAt = [&form](TPlacementFlags add, TPlacementFlags remove) {
    form.PlacementFlags = static_cast<TPlacementFlags>((form.PlacementFlags | add) & ~remove);
    form.AdjustFormSize();
  };
  switch (key) {
    case ui::VK_LEFT_:
      holdAt(pfLeft, pfRight | pfCentre | pfMaximised);
      break;
    case ui::VK_RIGHT_:
      holdAt(pfRight, pfLeft | pfCentre | pfMaximised);
      break;
    case ui::VK_UP_:
      holdAt(pfTop, pfBottom | pfCentre | pfMaximised);
      break;
    case ui::VK_DOWN_:
      holdAt(pfBottom, pfTop | pfCentre | pfMaximised);
      break;
  }
  if (form.Timer1.Enabled()) return;

  const bool hasEntries = !form.List().Empty();
  switch (key) {
    case 'N':
      if (!hasEntries) return;
      form.NextFolder();
      key = 0;
      break;
    case 'P':
      if (!hasEntries) return;
      form.PreviousFolder();
      key = 0;
      break;
    case 'D':
      if (!hasEntries) return;
      form.RemoveCurrentFolder();
      key = 0;
      break;
    case 'W':
      if (!hasEntries) return;
      form.WallpaperMode = !form.WallpaperMode;
      if (form.WallpaperMode) form.SetWallpaper();
      key = 0;
      break;
    case 'S':
      if (!hasEntries) return;
      form.SaveList();
      key = 0;
      break;
    case 'L':
      form.OpenList();
      key = 0;
      break;
  }
}

// Modes switched by letter keys; the title is rebuilt afterwards whatever the key was.
void ModeRows(TForm1& form, uint16_t key, Modifiers m) {
  if (m.noShift()) {
    switch (key) {
      case 'V':
        form.ToggleListWindow();
        break;
      case 'N':
        form.SlideDirection = 1;
        break;
      case 'P':
        form.SlideDirection = 2;
        break;
      case 'R':
        form.SlideDirection = 3;
        break;
      case 'L':
        form.LoopList = !form.LoopList;
        break;
      case 'S':
        form.Timer1.SetEnabled(!form.Timer1.Enabled());
        ShowPluginCrashReports(form.SPIs1.get(), form.Timer1.Enabled());
        break;
      case 'Q':
        form.QuitAtEnd = !form.QuitAtEnd;
        break;
    }
    return;
  }
  switch (key) {
    case 'W':
      if (form.WallpaperMode) form.WallpaperAsShown = !form.WallpaperAsShown;
      break;
    case 'Z':
      if (form.WallpaperMode) form.WallpaperLayout = 1;
      break;
    case 'T':
      if (form.WallpaperMode) form.WallpaperLayout = 2;
      break;
    case 'C':
      if (form.WallpaperMode) form.WallpaperLayout = 0;
      break;
    case 'S':
      form.EnlargeSmall = !form.EnlargeSmall;
      break;
  }
}

// Moves and dialogs that wait while the slide show runs (its ticks do the moving then).
void StoppedShowRows(TForm1& form, uint16_t key, Modifiers m) {
  const bool hasEntries = !form.List().Empty();
  if (m.noShift()) {
    switch (key) {
      case 'N':
      case ui::VK_SPACE_:
        if (hasEntries) form.StepForward(1);
        break;
      case 'P':
      case ui::VK_BACK_:
        if (hasEntries) form.StepBackward(1);
        break;
      case 'A':
        if (hasEntries) form.ShowFirst();
        break;
      case 'E':
        if (hasEntries) form.ShowLast();
        break;
      case 'J':
        if (hasEntries) form.JumpToNumber();
        break;
      case 'R':
        if (hasEntries) form.ShowRandom();
        break;
      case 'I':
        form.AskInterval();
        break;
      case 'W':
        form.AskBoxWidth();
        break;
      case 'H':
        form.AskBoxHeight();
        break;
    }
    return;
  }
  switch (key) {
    case 'N':
      if (hasEntries) form.NextSeries();
      break;
    case 'P':
      if (hasEntries) form.PreviousSeries();
      break;
  }
}

// Commands on the list that act whether or not the slide show runs.
void ListRows(TForm1& form, uint16_t key, Modifiers m) {
  if (m.noShift()) {
    switch (key) {
      case 'G':
        form.GoToMark();
        break;
      case 'X':
        form.SwapWithMark();
        break;
      case 'M':
        form.SetMark();
        break;
      case 'D':
        form.DeleteEntry(form.CurrentIndex, true);
        break;
      case ui::VK_DELETE_:
        form.LoadFromFile();
        break;
    }
    return;
  }
  switch (key) {
    case 'D':
      form.RemoveSeries();
      break;
    case 'S':
      // EnlargeSmall has just been toggled; it shows only with a fixed box or maximised.
      if (form.FixedWidth || form.FixedHeight || (form.PlacementFlags & pfMaximised)) form.LoadFromFile();
      break;
  }
}

// The window's own commands, with or without a list.
void WindowRows(TForm1& form, uint16_t key, Modifiers m) {
  if (key == 'C' && m.noShift()) form.CentreWindow();
  if (key == 'F' && m.noShift()) form.ToggleMaximised();
  if (key == 'F' && m.shift) form.ToggleFixedBox();
  if (key == 'H' && m.shift) ui::Application().Minimize();
}

}  // namespace

void TForm1::FormKeyDown(uint16_t& key, ui::TShiftState shift) {
  // Escape stops a build, or else ends the program; it matches nothing further on.
  if (key == ui::VK_ESCAPE_) {
    if (Building)
      AbortRequested = true;
    else
      Close();
  }

  if (shift & ui::ssCtrl) {
    ControlStage(*this, key);
    return;
  }

  const Modifiers m{(shift & ui::ssShift) != 0, (shift & ui::ssAlt) != 0};
  const int32_t moveStep = m.shift ? 50 : m.alt ? 1 : 20;
  // Arrow keys move the window by hand, which ends any placement rule; they do not refit it.
  switch (key) {
    case ui::VK_LEFT_:
      PlacementFlags = pfFree;
      SetLeft(Left() - moveStep);
      break;
    case ui::VK_RIGHT_:
      PlacementFlags = pfFree;
      SetLeft(Left() + moveStep);
      break;
    case ui::VK_UP_:
      PlacementFlags = pfFree;
      SetTop(Top() - moveStep);
      break;
    case ui::VK_DOWN_:
      PlacementFlags = pfFree;
      SetTop(Top() + moveStep);
      break;
  }

  if (key == ui::VK_RETURN_) LoadFromFile();

  if (!List().Empty()) {
    ModeRows(*this, key, m);
    UpdateTitle();
  }
  // Tested after the modes, so the S press that has just started the show does nothing more.
  if (!Timer1.Enabled()) StoppedShowRows(*this, key, m);
  if (!List().Empty()) ListRows(*this, key, m);
  WindowRows(*this, key, m);
}

}  // namespace zeb::app
