#include "app/commands/commands.h"

#include <string>

#include "app/dialogs/jump_dialog.h"
#include "platform/core/strings.h"
#include "platform/ui/forms.h"

namespace zeb::app {

namespace {

using namespace changed;

Changes ShowIf(bool moved) { return moved ? kPicture : kNothing; }

// A step that found the end of the list (loop off): a running slide show stops there, and with quit at
// the end the program ends. With the show stopped nothing happens at all.
Changes EndOfList(ViewerContext& v) {
  if (!v.slideShow.Running()) return kNothing;
  v.slideShow.Stop();
  if (v.model.modes.quitAtEnd) v.window.CloseViewer();
  return kTitle;
}

Changes Step(ViewerContext& v, bool forward) {
  v.run.walkingForward = forward;
  return v.model.Step(1, forward) ? kPicture : EndOfList(v);
}

Changes RandomEntry(ViewerContext& v) {
  v.model.Random();
  return kPicture;
}

// Holds the window at an edge (Ctrl+arrow): the opposite edge, centring and maximising end.
Changes HoldAt(ViewerContext& v, Placement add, Placement remove) {
  Placement& placement = v.model.modes.placement;
  placement = static_cast<Placement>((placement | add) & ~remove);
  v.window.Refit();
  return kNothing;
}

// Moves the window by hand, which ends any placement rule; it is not refitted.
Changes MoveBy(ViewerContext& v, int32_t dx, int32_t dy) {
  v.model.modes.placement = placement::kFree;
  v.window.MoveWindowBy(dx, dy);
  return kNothing;
}

Changes Jump(ViewerContext& v) {
  std::string answer;
  if (!v.window.AskNumber(NumberQuestion::Jump, std::to_string(static_cast<int64_t>(v.model.current) + 1),
                          answer))
    return kNothing;
  v.model.JumpTo(answer);
  return kPicture;
}

Changes AskInterval(ViewerContext& v) {
  std::string answer;
  if (v.window.AskNumber(NumberQuestion::Interval, std::to_string(v.slideShow.Interval()), answer))
    v.slideShow.SetInterval(SlideShow::IntervalFromAnswer(answer));
  return kNothing;
}

Changes Remove(ViewerContext& v, int32_t index) {
  if (v.model.list.Empty()) return kNothing;
  v.model.Delete(index < 0 ? v.model.current : index);
  return kPicture;
}

Changes RemoveFolder(ViewerContext& v) {
  if (v.model.list.Empty()) return kNothing;
  v.window.ShowStatus(v.model.CurrentFolder() + "...");
  v.model.RemoveCurrentFolder();
  return kPicture;
}

Changes ShowEntry(ViewerContext& v, int32_t index) {
  if (index < 0 || index >= v.model.list.Count()) return kNothing;
  v.model.current = index;
  return kPicture;
}

Changes Toggle(bool& flag) {
  flag = !flag;
  return kTitle;
}

Changes Set(SlideDirection direction, ViewerContext& v) {
  v.model.modes.slideDirection = direction;
  return kTitle;
}

Changes Set(WallpaperLayout layout, ViewerContext& v) {
  v.model.modes.wallpaper.layout = layout;
  return kTitle;
}

Changes SetPlacement(ViewerContext& v, Placement placement) {
  v.model.modes.placement = placement;
  v.window.Refit();
  return kNothing;
}

Changes ToggleFixedBox(ViewerContext& v) {
  FixedBox& box = v.model.modes.box;
  const bool on = !box.Any();
  box.fixedWidth = on;
  box.fixedHeight = on;
  v.window.Refit();
  return kNothing;
}

// A side of the fixed box, asked with the size the picture has on screen as the preset. 0 turns the
// fixed side off and keeps the old size for the next Shift+F; text that is no number fixes it at the
// old size.
Changes AskBoxSide(ViewerContext& v, NumberQuestion question, int32_t shownSize, int32_t& boxSize,
                   bool& fixed) {
  const int32_t old = boxSize;
  std::string answer;
  if (!v.window.AskNumber(question, std::to_string(shownSize), answer)) return kNothing;
  int32_t number;
  if (TryStrToInt(answer, number)) boxSize = number;
  if (boxSize < 1) {
    boxSize = old;
    fixed = false;
  } else {
    fixed = true;
  }
  v.window.Refit();
  return kNothing;
}

template <class F>
Changes Window(F&& f) {
  f();
  return kNothing;
}

}  // namespace

Changes RunCommand(ViewerContext& v, Command command, const CommandInput& input) {
  using namespace placement;
  ViewerModel& model = v.model;
  ViewerModes& modes = model.modes;
  if (v.run.settling && MovesOrEditsList(command)) {
    if (command != Command::SlideStep) v.run.waiting.push_back({command, input});
    return kNothing;
  }
  switch (command) {
    case Command::StopBuild:
      v.run.abortRequested = true;
      return kNothing;
    case Command::Quit:
      return Window([&] { v.window.CloseViewer(); });
    case Command::KeyHelp:
      return Window([&] { v.window.ToggleHelp(); });

    case Command::Next:
      return Step(v, true);
    case Command::Previous:
      return Step(v, false);
    case Command::First:
      model.First();
      return kPicture;
    case Command::Last:
      model.Last();
      return kPicture;
    case Command::Random:
      return RandomEntry(v);
    case Command::Jump:
      return Jump(v);
    case Command::NextSeries:
      return ShowIf(model.NextSeries());
    case Command::PreviousSeries:
      model.PreviousSeries();
      return kPicture;
    case Command::NextFolder:
      return ShowIf(model.NextFolder());
    case Command::PreviousFolder:
      return ShowIf(model.PreviousFolder());
    case Command::SlideStep:
      switch (modes.slideDirection) {
        case SlideDirection::Forward:
          return Step(v, true);
        case SlideDirection::Backward:
          return Step(v, false);
        case SlideDirection::Random:
          return RandomEntry(v);
      }
      return kNothing;
    case Command::ShowEntry:
      return ShowEntry(v, input.index);
    case Command::Reload:
    case Command::ShowEnlarged:
      return kPicture;

    case Command::SetMark:
      model.SetMark();
      return kNothing;
    case Command::GoToMark:
      return ShowIf(model.GoToMark());
    case Command::SwapWithMark:
      return ShowIf(model.SwapWithMark());

    case Command::Drop:
      return Drop(v, input.paths, input.dropMode);
    case Command::Remove:
      return Remove(v, input.index);
    case Command::RemoveSeries:
      return ShowIf(model.RemoveSeries());
    case Command::RemoveFolder:
      return RemoveFolder(v);
    case Command::SaveList:
      return SaveListFile(v);
    case Command::OpenList:
      return OpenListFile(v);

    case Command::SlideForward:
      return Set(SlideDirection::Forward, v);
    case Command::SlideBackward:
      return Set(SlideDirection::Backward, v);
    case Command::SlideRandom:
      return Set(SlideDirection::Random, v);
    case Command::ToggleSlideShow:
      if (v.slideShow.Running())
        v.slideShow.Stop();
      else
        v.slideShow.Start();
      return kTitle;
    case Command::SlideInterval:
      return AskInterval(v);
    case Command::ToggleLoop:
      return Toggle(modes.loop);
    case Command::ToggleQuitAtEnd:
      return Toggle(modes.quitAtEnd);
    case Command::ToggleEnlargeSmall:
      return Toggle(modes.enlargeSmall);
    case Command::ToggleWallpaperMode:
      return Window([&] { v.window.ToggleWallpaperMode(); });
    case Command::SetWallpaper:
      return Window([&] { v.window.SetWallpaper(); });
    case Command::ToggleWallpaperAsShown:
      return Toggle(modes.wallpaper.asShown);
    case Command::WallpaperStretched:
      return Set(WallpaperLayout::Stretch, v);
    case Command::WallpaperTiled:
      return Set(WallpaperLayout::Tile, v);
    case Command::WallpaperCentred:
      return Set(WallpaperLayout::Centre, v);

    case Command::ListWindow:
      return Window([&] { v.window.ToggleListWindow(); });
    case Command::Refit:
      return Window([&] { v.window.Refit(); });
    case Command::TurnLeft:
      return Window([&] { v.window.TurnBy(3); });
    case Command::TurnRight:
      return Window([&] { v.window.TurnBy(1); });
    case Command::MoveLeft:
      return MoveBy(v, -input.step, 0);
    case Command::MoveRight:
      return MoveBy(v, input.step, 0);
    case Command::MoveUp:
      return MoveBy(v, 0, -input.step);
    case Command::MoveDown:
      return MoveBy(v, 0, input.step);
    case Command::HoldLeft:
      return HoldAt(v, kLeft, kRight | kCentre | kMaximised);
    case Command::HoldRight:
      return HoldAt(v, kRight, kLeft | kCentre | kMaximised);
    case Command::HoldTop:
      return HoldAt(v, kTop, kBottom | kCentre | kMaximised);
    case Command::HoldBottom:
      return HoldAt(v, kBottom, kTop | kCentre | kMaximised);
    case Command::Centre:
      return SetPlacement(v, kCentre);
    case Command::Maximise:
      return SetPlacement(v, static_cast<Placement>(modes.placement ^ kMaximised));
    case Command::FixedBox:
      return ToggleFixedBox(v);
    case Command::BoxWidth:
      return AskBoxSide(v, NumberQuestion::Width, v.window.ShownSize().width, modes.box.width,
                        modes.box.fixedWidth);
    case Command::BoxHeight:
      return AskBoxSide(v, NumberQuestion::Height, v.window.ShownSize().height, modes.box.height,
                        modes.box.fixedHeight);
    case Command::Minimise:
      return Window([] { ui::App().Minimize(); });
  }
  return kNothing;
}

}  // namespace zeb::app
