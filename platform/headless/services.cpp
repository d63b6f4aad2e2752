// Headless services: fake libraries, counted local memory, palettes, the settings store and the desktop.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/core/errors.h"
#include "platform/core/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/headless/headless.h"
#include "platform/services/library.h"
#include "platform/services/local_memory.h"
#include "platform/services/settings.h"

namespace zeb {
namespace headless {

namespace {
struct FakeLibrary {
  std::string path;
  std::string reported;
  std::map<std::string, void*> exports;
  int loads = 0;
};
std::vector<std::unique_ptr<FakeLibrary>>& Libraries() {
  static std::vector<std::unique_ptr<FakeLibrary>> libs;
  return libs;
}
FakeLibrary* FindLibrary(const std::string& path) {
  for (auto& l : Libraries())
    if (SameTextAscii(l->path, path)) return l.get();
  return nullptr;
}

struct Block {
  std::unique_ptr<uint8_t[]> data;
  size_t size;
  int locks;
};
std::map<void*, Block>& Blocks() {
  static std::map<void*, Block> blocks;
  return blocks;
}
int& Faults() {
  static int faults = 0;
  return faults;
}
std::map<PaletteHandle, std::vector<PaletteEntry>>& Palettes() {
  static std::map<PaletteHandle, std::vector<PaletteEntry>> palettes;
  return palettes;
}
}  // namespace

void RegisterLibrary(const std::string& path, std::map<std::string, void*> exports,
                     std::string reportedFileName) {
  auto lib = std::make_unique<FakeLibrary>();
  lib->path = path;
  lib->reported = reportedFileName.empty() ? path : reportedFileName;
  lib->exports = std::move(exports);
  Libraries().push_back(std::move(lib));
}

void UnregisterAllLibraries() { Libraries().clear(); }

int LibraryLoadCount(const std::string& path) {
  FakeLibrary* l = FindLibrary(path);
  return l ? l->loads : 0;
}

int TotalLibraryLoads() {
  int n = 0;
  for (auto& l : Libraries()) n += l->loads;
  return n;
}

int LiveLocalBlocks() { return static_cast<int>(Blocks().size()); }
int LocalMemoryFaults() { return Faults(); }
int LivePalettes() { return static_cast<int>(Palettes().size()); }

std::map<std::string, std::map<std::string, SettingValue>>& Settings() {
  static std::map<std::string, std::map<std::string, SettingValue>> settings;
  return settings;
}

std::vector<std::string>& ReadOnlySettingsKeys() {
  static std::vector<std::string> keys;
  return keys;
}

DesktopState& Desktop() {
  static DesktopState state;
  return state;
}

}  // namespace headless

// Library loader.
LibraryHandle LoadLibraryFile(const std::string& path) {
  headless::FakeLibrary* l = headless::FindLibrary(headless::DefaultFiles().ExpandFileName(path));
  if (!l) l = headless::FindLibrary(path);
  if (!l) return nullptr;
  ++l->loads;
  return l;
}

void* LibraryProc(LibraryHandle library, const char* name) {
  auto* l = static_cast<headless::FakeLibrary*>(library);
  auto it = l->exports.find(name);
  return it == l->exports.end() ? nullptr : it->second;
}

void FreeLibraryHandle(LibraryHandle library) {
  auto* l = static_cast<headless::FakeLibrary*>(library);
  if (l->loads > 0) --l->loads;
}

std::string LibraryFileName(LibraryHandle library) {
  return static_cast<headless::FakeLibrary*>(library)->reported.substr(0, 255);
}

// Local memory.
LocalHandle LocalAllocate(size_t size) {
  auto data = std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size ? size : 1]());
  if (!data) return nullptr;
  void* handle = data.get();
  headless::Blocks()[handle] = headless::Block{std::move(data), size, 0};
  return handle;
}

void* LocalLockHandle(LocalHandle handle) {
  auto it = headless::Blocks().find(handle);
  if (it == headless::Blocks().end()) {
    ++headless::Faults();
    return nullptr;
  }
  ++it->second.locks;
  return it->second.data.get();
}

bool LocalUnlockHandle(LocalHandle handle) {
  auto it = headless::Blocks().find(handle);
  if (it == headless::Blocks().end() || it->second.locks == 0) {
    ++headless::Faults();
    return false;
  }
  return --it->second.locks > 0;
}

void LocalFreeHandle(LocalHandle handle) {
  if (!headless::Blocks().erase(handle)) ++headless::Faults();
}

size_t LocalHandleSize(LocalHandle handle) {
  auto it = headless::Blocks().find(handle);
  return it == headless::Blocks().end() ? 0 : it->second.size;
}

int MulDivInt(int a, int b, int c) {
  if (c == 0) return -1;
  int64_t p = static_cast<int64_t>(a) * b;
  int64_t q = p / c, r = p % c;
  // Round half away from zero, as Windows does.
  if (2 * (r < 0 ? -r : r) >= (c < 0 ? -static_cast<int64_t>(c) : c)) q += ((p < 0) != (c < 0)) ? -1 : 1;
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return static_cast<int>(q);
}

// Palettes.
PaletteHandle NewPalette(const std::vector<PaletteEntry>& entries) {
  static PaletteHandle next = 0x1000;
  PaletteHandle h = next++;
  headless::Palettes()[h] = entries;
  return h;
}

void FreePalette(PaletteHandle palette) {
  if (palette) headless::Palettes().erase(palette);
}

std::vector<PaletteEntry> PaletteEntries(PaletteHandle palette) {
  auto it = headless::Palettes().find(palette);
  return it == headless::Palettes().end() ? std::vector<PaletteEntry>{} : it->second;
}

// Settings store.
bool SettingsKeyExists(const std::string& key) { return headless::Settings().count(key) != 0; }

std::string ReadSettingsString(const std::string& key, const std::string& name) {
  auto k = headless::Settings().find(key);
  if (k == headless::Settings().end()) return {};
  auto v = k->second.find(name);
  if (v == k->second.end()) return {};
  if (!v->second.isString) throw SettingsTypeError("Invalid data type for '" + name + "'");
  return v->second.value;
}

bool WriteSettingsStrings(const std::string& key,
                          const std::vector<std::pair<std::string, std::string>>& values) {
  auto& ro = headless::ReadOnlySettingsKeys();
  if (std::find(ro.begin(), ro.end(), key) != ro.end()) return false;
  auto& k = headless::Settings()[key];
  for (auto& [name, value] : values) k[name] = headless::SettingValue{true, value};
  return true;
}

// Desktop.
int PrimaryScreenWidth() { return headless::Desktop().screenWidth; }
int PrimaryScreenHeight() { return headless::Desktop().screenHeight; }

bool TaskbarPosition(TaskbarEdge& edge, ScreenRect& rect) {
  if (!headless::Desktop().taskbarKnown) return false;
  edge = headless::Desktop().taskbarEdge;
  rect = headless::Desktop().taskbar;
  return true;
}

void SetDesktopWallpaper(const std::string& path) { headless::Desktop().wallpapers.push_back(path); }

bool DesktopTakesWallpaperPath(const std::string& path) {
  // UTF-16 units: one per character, two for a character past the basic plane (a 4-byte sequence).
  size_t units = 0;
  for (unsigned char c : path) units += ((c & 0xC0) != 0x80 ? 1 : 0) + (c >= 0xF0 ? 1 : 0);
  return units < headless::Desktop().wallpaperPathLimit;
}

}  // namespace zeb
