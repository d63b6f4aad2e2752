// What the commands work on: the model, the slide show, the questions they ask, what the viewer is
// doing, and the window-side operations they ask of the window that shows the model.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "app/commands/command.h"
#include "app/list/list_builder.h"
#include "app/model/viewer_model.h"
#include "app/slide_show.h"
#include "app/view/view_transform.h"

namespace zeb::app {

// The numbers the commands ask for.
enum class NumberQuestion : uint8_t { Jump, Interval, Width, Height };

// What the viewer is doing, as opposed to the modes the user chooses.
struct RunState {
  bool building = true;         // the first list, a drop or a list file is being read in
  bool abortRequested = false;  // Escape during a build
  bool minimised = false;
  bool showWasRunning = false;  // the slide show ran when the picture being loaded started
  bool walkingForward = true;   // the last step was forward: the next picture is read ahead that way
  // Unreadable entries are being dropped: the loop holds places in the list, so the commands that move
  // about it or edit it wait in Waiting until it has ended (the slide show's ticks are skipped).
  bool settling = false;
  std::vector<std::pair<Command, CommandInput>> waiting;
};

// The operations of the window that shows the model which the commands ask for; none edits the list.
class ViewerWindow {
 public:
  virtual void CloseViewer() = 0;
  // Puts a text in the title while a long edit runs.
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void MoveWindowBy(int32_t dx, int32_t dy) = 0;
  // Fits the window to the picture again (after a change of placement or box).
  virtual void Refit() = 0;
  // Turns the picture shown by quarter turns clockwise (3: one to the left) and fits the window to it.
  virtual void TurnBy(int32_t quarterTurns) = 0;
  // The size the picture has on screen.
  virtual view::Size ShownSize() const = 0;
  virtual void ToggleListWindow() = 0;
  virtual void ToggleHelp() = 0;
  // The list file the user chooses to open or to save to; false when none was chosen.
  virtual bool ChooseListToOpen(std::string& path) = 0;
  virtual bool ChooseListToSave(std::string& path) = 0;
  // Asks a number (the Jump dialog), preset with Preset; true, with the text typed in Answer, on OK.
  virtual bool AskNumber(NumberQuestion question, const std::string& preset, std::string& answer) = 0;
  // Whether the user agrees to replace the file at Path.
  virtual bool ConfirmOverwrite(const std::string& path) = 0;
  virtual void ToggleWallpaperMode() = 0;
  virtual void SetWallpaper() = 0;

 protected:
  ~ViewerWindow() = default;
};

struct ViewerContext {
  ViewerModel& model;
  ListBuilder& builder;
  SlideShow& slideShow;
  RunState& run;
  ViewerWindow& window;
  // An error a command met after which it still changed the list (a list file that cannot be read):
  // raised once the window has shown the change.
  std::exception_ptr deferredError = nullptr;
};

}  // namespace zeb::app
