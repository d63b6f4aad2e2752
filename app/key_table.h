// The keyboard of the main window (the List window forwards its keys there too) as one table. The
// handler reads the rows in order, and every row whose key, modifiers and conditions match runs, the
// conditions judged when the row is reached: so N first chooses the slide direction and then, while
// the show is stopped, steps forward, and the S that has just started the show steps nowhere.
#pragma once

#include <cstdint>
#include <span>

namespace zeb::app {

class MainWindow;

// The modifiers a row asks for. Alt counts only where a row says so (an arrow's step).
enum class KeyModifiers : uint8_t {
  Any,    // whatever is held
  Ctrl,   // Ctrl held
  Plain,  // neither Ctrl nor Shift
  Shift,  // Shift without Ctrl
  NoCtrl  // Ctrl not held
};

// Conditions of a row, combined: all must hold.
using KeyConditions = uint8_t;
namespace when {
constexpr KeyConditions kAlways = 0;
constexpr KeyConditions kHasEntries = 0x01;      // the list is not empty
constexpr KeyConditions kShowStopped = 0x02;     // the slide show is not running
constexpr KeyConditions kWallpaperOn = 0x04;     // wallpaper mode is on
constexpr KeyConditions kBoxOrMaximised = 0x08;  // a fixed box, or maximised
constexpr KeyConditions kBuilding = 0x10;        // the list is being built
constexpr KeyConditions kNotBuilding = 0x20;
}  // namespace when

struct KeyPress {
  uint16_t key;
  bool shift;
  bool alt;
  bool ctrl;
};

struct KeyBinding {
  uint16_t key;  // a virtual-key code or an upper-case letter; kAnyKey matches every key
  KeyModifiers modifiers;
  KeyConditions conditions;
  const char* command;  // what the row does, in a few words
  void (*run)(MainWindow& window, const KeyPress& press);
  bool consumesKey;  // the key is marked handled (0) once the row has run
};

constexpr uint16_t kAnyKey = 0xFFFF;

// Every row, in the order the handler reads them.
std::span<const KeyBinding> KeyTable();

// Whether a row's key and modifiers match the press (its conditions aside).
bool Matches(const KeyBinding& row, const KeyPress& press);

}  // namespace zeb::app
