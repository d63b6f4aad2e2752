#include "spi/spi_manager.h"

#include "platform/core/strings.h"
#include "platform/services/file_system.h"
#include "platform/services/settings.h"

namespace zeb::spi {

namespace {

PluginManager* currentManager = nullptr;
const ImageFormat* defaultFormat = nullptr;

// Volume labels are listed by the file system like files; they are never plug-ins.
constexpr uint32_t kVolumeLabel = 0x08;

[[noreturn]] void ListIndexError(int index) {
  throw IndexError(FormatText("List index out of bounds (%s)", {IntToStr(index)}));
}

}  // namespace

PluginManager* CurrentPluginManager() { return currentManager; }

std::string WithBackslash(const std::string& path) {
  if (path.empty() || path.back() == '\\') return path;
  return path + "\\";
}

void PluginManager::SetDefaultFormat(const ImageFormat* format) { defaultFormat = format; }

const ImageFormat* PluginManager::DefaultFormat() { return defaultFormat; }

PluginManager::PluginManager() {
  if (currentManager) throw SecondPluginManager("TSPIs は複数生成できません");
  currentManager = this;
}

PluginManager::~PluginManager() {
  if (currentManager == this) currentManager = nullptr;
  Clear();
}

void PluginManager::Loaded() {
  if (!AutoSearch) return;
  Search(kPluginMask);
  if (kOtherWidthPluginMask && OtherWidthModule) Search(kOtherWidthPluginMask, OtherWidthModule);
}

void PluginManager::Search(const std::string& mask, const ModuleFactory& factory) {
  std::string folder = FolderPart(mask);
  if (!folder.empty()) {
    ScanFolder(WithBackslash(folder), FileNamePart(mask), factory);
    return;
  }
  if (SearchOptions & SearchOption(kSusieFolder)) {
    std::string susieFolder;
    if (SettingsKeyExists(kSusieKey)) {
      try {
        susieFolder = ReadSettingsString(kSusieKey, "Path");
      } catch (const SettingsTypeError&) {
        susieFolder.clear();  // a value of another type: the Susie folder is not known
      }
    }
    if (!susieFolder.empty()) ScanFolder(WithBackslash(susieFolder), mask, factory);
  }
  if (SearchOptions & SearchOption(kProgramFolder)) {
    std::string programFolder = FolderPart(Files().ProgramFileName());
    if (!programFolder.empty()) ScanFolder(WithBackslash(programFolder), mask, factory);
  }
}

void PluginManager::ScanFolder(const std::string& folder, const std::string& pattern,
                               const ModuleFactory& factory) {
  // Every entry is listed before any is loaded; files already held are left out.
  std::vector<std::string> found;
  Files().Find(folder + pattern, [&](const FindData& entry) {
    if (entry.attributes & (kAttrHidden | kVolumeLabel | kAttrDirectory)) return true;
    std::string path = folder + entry.name;
    if (IndexOf(path) == -1) found.push_back(std::move(path));
    return true;
  });

  for (const std::string& path : found) {
    std::unique_ptr<PluginModule> module;
    try {
      module = factory(path);
    } catch (const std::exception& error) {
      if (!OnLoadError) throw;
      OnLoadError(this, path, error);
      continue;
    }
    if (!module) continue;

    try {
      bool accept = true;
      if (OnSearch) OnSearch(this, module.get(), accept);
      if (accept) Add(std::move(module));
    } catch (...) {
      // The module is released (by Insert when it had taken it, else here) and the scan goes on.
    }
  }
}

PluginModule* PluginManager::Items(int index) const {
  if (index < 0 || index >= Count()) ListIndexError(index);
  return modules_[static_cast<size_t>(index)].get();
}

int PluginManager::IndexOf(const std::string& fileName) const {
  for (int i = 0; i < Count(); ++i)
    if (SameTextAscii(modules_[static_cast<size_t>(i)]->FileName(), fileName)) return i;
  return -1;
}

void PluginManager::Add(std::unique_ptr<PluginModule> module) { Insert(Count(), std::move(module)); }

void PluginManager::Insert(int index, std::unique_ptr<PluginModule> module) {
  if (index < 0 || index > Count()) ListIndexError(index);
  if (!module) throw IndexError("A plug-in module is required");
  PluginModule* inserted = module.get();
  modules_.insert(modules_.begin() + index, std::move(module));
  auto* importModule = dynamic_cast<ImportModule*>(inserted);
  if (!importModule) return;
  try {
    RegisterExtensions(*importModule);
  } catch (...) {
    // A module whose registration fails is not held; what was registered before stays. It is found
    // again by address, as a handler may have changed the list meanwhile.
    for (int i = 0; i < Count(); ++i)
      if (modules_[static_cast<size_t>(i)].get() == inserted) {
        Delete(i);
        break;
      }
    throw;
  }
}

void PluginManager::RegisterExtensions(ImportModule& module) {
  const std::vector<std::string>& filters = module.Filters();
  const std::vector<std::string>& descriptions = module.Descriptions();
  for (size_t i = 0; i < filters.size(); ++i) {
    // A format the handler changes carries over to the later extensions of the same entry only.
    const ImageFormat* format = defaultFormat;
    std::string remaining = filters[i];
    const std::string description = i < descriptions.size() ? descriptions[i] : std::string();
    while (!remaining.empty()) {
      std::string item;
      size_t semicolon = remaining.find(';');
      if (semicolon != std::string::npos) {
        item = remaining.substr(0, semicolon);
        remaining.erase(0, semicolon + 1);
      } else {
        item.swap(remaining);
      }
      size_t dot = item.find('.');
      std::string extension = dot == std::string::npos ? item : item.substr(dot + 1);
      // An empty item ("*.pic;;*.mag", "*.") names no extension; registering it would hand every file
      // without an extension to the plug-ins.
      if (extension.empty()) continue;
      if (OnPictureRegister) OnPictureRegister(this, &module, extension, description, format);
      if (format) PictureFormats::Register(extension, description, format);
    }
  }
}

void PluginManager::Delete(int index) {
  if (index < 0 || index >= Count()) ListIndexError(index);
  modules_[static_cast<size_t>(index)].reset();
  modules_.erase(modules_.begin() + index);
}

void PluginManager::Clear() {
  while (Count() > 0) Delete(0);
}

std::vector<ImportModule*> PluginManager::FindImportModules(const std::string& fileName) const {
  std::vector<ImportModule*> result;
  std::string extension = ExtensionPart(fileName);
  for (const auto& held : modules_) {
    auto* module = dynamic_cast<ImportModule*>(held.get());
    if (!module || module->Retired()) continue;
    // Each filter entry counts by its last pattern's extension only.
    bool preferred = false;
    if (!extension.empty())
      for (const std::string& filter : module->Filters())
        if (SameTextAscii(ExtensionPart(filter), extension)) preferred = true;
    if (preferred)
      result.insert(result.begin(), module);
    else
      result.push_back(module);
  }
  return result;
}

void PluginManager::ModuleCrashed(const PluginModule& module, const std::string& pictureFile, uint32_t code) {
  if (module.CrashCount() == 1) crashReports_.push_back({module.FileName(), pictureFile, code});
}

std::vector<PluginCrashReport> PluginManager::TakeCrashReports() {
  std::vector<PluginCrashReport> reports;
  reports.swap(crashReports_);
  return reports;
}

}  // namespace zeb::spi
