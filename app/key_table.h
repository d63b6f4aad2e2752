// The keyboard of the main window (the List window forwards its keys there too) as one table of data.
// The handler reads the rows in order, and every row whose key, modifiers and conditions match runs its
// command, the conditions judged when the row is reached: so N first chooses the slide direction and
// then, while the show is stopped, steps forward, and the S that has just started the show steps
// nowhere. After the table, any key pressed without Ctrl on a list rebuilds the title.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "app/commands/command.h"
#include "app/commands/viewer_context.h"

namespace zeb::app {

// The modifier classes the handler tells apart. Alt is free everywhere but in the arrows' step: N with
// Alt steps as N does.
enum class Modifiers : uint8_t {
  Whatever,          // whatever is held
  CtrlHeld,          // Ctrl held
  NoCtrlNoShift,     // neither Ctrl nor Shift, whatever Alt
  ShiftWithoutCtrl,  // Shift without Ctrl, whatever Alt
  CtrlNotHeld,       // Ctrl not held
};

// What must hold for a row to run.
enum class When : uint8_t {
  HasEntries = 0x01,      // the list is not empty
  ShowStopped = 0x02,     // the slide show is not running
  WallpaperOn = 0x04,     // wallpaper mode is on
  BoxOrMaximised = 0x08,  // a fixed box, or maximised
  Building = 0x10,        // the list is being built
  NotBuilding = 0x20,
};

// A row's conditions: all of them must hold (none: always).
struct AllOf {
  constexpr AllOf() = default;
  constexpr AllOf(std::initializer_list<When> conditions) {
    for (When c : conditions) bits |= static_cast<uint8_t>(c);
  }
  constexpr bool Has(When c) const { return bits & static_cast<uint8_t>(c); }
  bool operator==(const AllOf&) const = default;
  uint8_t bits = 0;
};

struct KeyPress {
  uint16_t key;
  bool shift;
  bool alt;
  bool ctrl;
};

struct KeyBinding {
  uint16_t key;  // a virtual-key code or an upper-case letter
  Modifiers modifiers;
  AllOf conditions;
  Command command;
  bool consumesKey;  // the key is marked handled (0) once the row has run
};

// Every row, in the order the handler reads them.
std::span<const KeyBinding> KeyTable();

// Whether a row's key and modifiers match the press (its conditions aside).
bool Matches(const KeyBinding& row, const KeyPress& press);

// Runs every row that matches the press, in order; Consumed tells whether a row marked the key handled.
// Returns what the commands changed, the title included after a key without Ctrl on a list.
Changes HandleKey(ViewerContext& viewer, const KeyPress& press, bool& consumed);

// The key of a row as the help and the README name it, e.g. "Shift+N", "Ctrl+Left", "Space".
std::string KeyName(const KeyBinding& row);
// What a command does, in a few words, as the help says it.
const char* CommandText(Command command);
// The lines of the key help: one per command, in the table's order, with its keys.
std::vector<std::string> KeyHelpLines();

}  // namespace zeb::app
