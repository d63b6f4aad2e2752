// The plug-in manager: finds Susie plug-ins, holds the loaded modules and registers the extensions of
// the import filters with the picture-format registry. There is at most one at a time (CurrentPluginManager).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/graphic.h"
#include "spi/spi_module.h"

namespace zeb::spi {

ZEB_EXCEPTION(SecondPluginManager, Exception);

enum PluginSearchFolder : uint8_t { kSusieFolder, kProgramFolder };
using PluginSearchFolders = uint8_t;  // bit i for option i
constexpr PluginSearchFolders SearchOption(PluginSearchFolder o) {
  return static_cast<PluginSearchFolders>(1u << o);
}

class PluginManager;
using ModuleSearchHandler = std::function<void(PluginManager* sender, PluginModule* aSPI, bool& accept)>;
using PictureRegisterHandler =
    std::function<void(PluginManager* sender, ImportModule* aSPI, const std::string& aExtension,
                       const std::string& aDescription, const ImageFormat*& aFormat)>;

// The first crash of one module while it read one picture, waiting to be told to the user.
struct PluginCrashReport {
  std::string pluginFile;
  std::string pictureFile;  // empty for a picture read from a stream without a name
  uint32_t code;
};

// The plug-ins a process of this build loads itself: 32-bit ones (*.spi) in zeb.exe, 64-bit ones (*.sph)
// in zeb64.exe. The 64-bit viewer cannot load 32-bit plug-ins: it takes them only through a factory of
// modules that run them elsewhere (PluginManager::OtherWidthModule).
#if defined(_WIN64)
constexpr const char* kPluginMask = "*.sph";
constexpr const char* kOtherWidthPluginMask = "*.spi";
#else
constexpr const char* kPluginMask = "*.spi";
constexpr const char* kOtherWidthPluginMask = nullptr;
#endif

using ModuleFactory = std::function<std::unique_ptr<PluginModule>(const std::string& fileName)>;

// Where the Susie plug-in folder is recorded for the current user.
constexpr const char* kSusieKey = "\\Software\\Vantorel\\Susie\\Plug-in";

class PluginManager {
 public:
  // Raises SecondPluginManager "TSPIs は複数生成できません" when a manager exists.
  PluginManager();
  ~PluginManager();
  PluginManager(const PluginManager&) = delete;
  PluginManager& operator=(const PluginManager&) = delete;

  // Called by the owner once it has set the manager's properties: when AutoSearch is on, searches
  // kPluginMask, then, when the build has plug-ins of the other width and OtherWidthModule is set, those.
  void Loaded();
  // Searches Mask (in its own folder when it names one, else in the search folders), loading each file
  // found with Factory.
  void Search(const std::string& mask, const ModuleFactory& factory = CreatePluginModule);

  int Count() const { return static_cast<int>(modules_.size()); }
  PluginModule* Items(int index) const;  // raises IndexError outside 0 .. Count - 1
  int IndexOf(const std::string& fileName) const;
  void Add(std::unique_ptr<PluginModule> module);
  // Takes the module and, for an import filter, registers each extension of its filters with the
  // picture-format registry. When a registration raises, the module is freed and not held.
  void Insert(int index, std::unique_ptr<PluginModule> module);
  // Frees the module (releasing its library); its registrations stay.
  void Delete(int index);
  void Clear();
  // The import filters, those whose filters name FileName's extension first. Retired modules (crashed
  // too often) are left out.
  std::vector<ImportModule*> FindImportModules(const std::string& fileName) const;

  // A held module crashed while reading PictureFile (it has counted the crash itself). Its first crash
  // is kept as a report until the viewer takes it; later ones are not reported again.
  void ModuleCrashed(const PluginModule& module, const std::string& pictureFile, uint32_t code);
  // The reports not yet taken, oldest first; the list is empty afterwards.
  std::vector<PluginCrashReport> TakeCrashReports();

  // The picture format registered for each extension of an import filter.
  static void SetDefaultFormat(const ImageFormat* format);
  static const ImageFormat* DefaultFormat();

  bool MacBinary = true;
  bool AutoSearch = true;
  PluginSearchFolders SearchOptions = SearchOption(kSusieFolder) | SearchOption(kProgramFolder);
  ModuleSearchHandler OnSearch;
  PictureRegisterHandler OnPictureRegister;
  // Makes a module for a plug-in of the other width (kOtherWidthPluginMask), one whose calls run in a
  // process of that width, or nullptr when it cannot. Unset, those plug-ins are left out.
  ModuleFactory OtherWidthModule;
  // When set, an error that loading one found file raises (an export its kind needs is missing, say)
  // is handed here and the search goes on with the next file and the remaining folders; when unset it
  // leaves Search, keeping the modules added before.
  std::function<void(PluginManager* sender, const std::string& fileName, const std::exception& error)>
      OnLoadError;

 private:
  void ScanFolder(const std::string& folder, const std::string& pattern, const ModuleFactory& factory);
  void RegisterExtensions(ImportModule& module);
  std::vector<std::unique_ptr<PluginModule>> modules_;
  std::vector<PluginCrashReport> crashReports_;
};

// The one manager, or nullptr.
PluginManager* CurrentPluginManager();
// The path unchanged when empty or ending in "\", else with "\" appended.
std::string WithBackslash(const std::string& path);

}  // namespace zeb::spi
