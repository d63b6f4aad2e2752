// The plug-in manager: finds Susie plug-ins, holds the loaded modules and registers the extensions of
// the import filters with the picture-format registry. There is at most one at a time (CurrentSPIs).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/graphic.h"
#include "spi/spi_module.h"

namespace zeb::spi {

ZEB_EXCEPTION(ESPIDupCreateSPIs, Exception);

enum TSPISearchOption : uint8_t { spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir };
using TSPISearchOptions = uint8_t;  // bit i for option i
constexpr TSPISearchOptions SearchOption(TSPISearchOption o) {
  return static_cast<TSPISearchOptions>(1u << o);
}

class TSPIs;
using TSPISearchingEvent = std::function<void(TSPIs* sender, const std::string& fileName, bool& accept)>;
using TSPISearchEvent = std::function<void(TSPIs* sender, TSPI* aSPI, bool& accept)>;
using TSPIPictureRegisterEvent =
    std::function<void(TSPIs* sender, TInSPI* aSPI, const std::string& aExtension,
                       const std::string& aDescription, TGraphicClass& aGraphicClass)>;

// The first crash of one module while it read one picture, waiting to be told to the user.
struct TSPICrashReport {
  std::string pluginFile;
  std::string pictureFile;  // empty for a picture read from a stream without a name
  uint32_t code;
};

// Where the Susie plug-in folder is recorded for the current user.
constexpr const char* kSusieKey = "\\Software\\Vantorel\\Susie\\Plug-in";

class TSPIs {
 public:
  // Raises ESPIDupCreateSPIs "TSPIs は複数生成できません" when a manager exists (not in design mode).
  explicit TSPIs(bool designMode = false);
  ~TSPIs();
  TSPIs(const TSPIs&) = delete;
  TSPIs& operator=(const TSPIs&) = delete;

  // Called by the owner once it has set the manager's properties: searches "*.spi" when AutoSearch is
  // on (and not in design mode).
  void Loaded();
  void Search(const std::string& mask);

  int Count() const { return static_cast<int>(modules_.size()); }
  TSPI* Items(int index) const;  // raises EListError outside 0 .. Count - 1
  int IndexOf(const std::string& fileName) const;
  void Add(std::unique_ptr<TSPI> module);
  // Takes the module and, for an import filter, registers each extension of its filters with the
  // picture-format registry. When a registration raises, the module is freed and not held.
  void Insert(int index, std::unique_ptr<TSPI> module);
  // Frees the module (releasing its library); its registrations stay.
  void Delete(int index);
  void Clear();
  // Appends the modules of one of the classes, those whose filters name FileName's extension first.
  // Retired modules (crashed too often) are left out.
  void FindSPIs(const std::vector<TSPIClass>& classes, const std::string& fileName,
                std::vector<TSPI*>& result) const;

  // A held module crashed while reading PictureFile (it has counted the crash itself). Its first crash
  // is kept as a report until the viewer takes it; later ones are not reported again.
  void ModuleCrashed(const TSPI& module, const std::string& pictureFile, uint32_t code);
  // The reports not yet taken, oldest first; the list is empty afterwards.
  std::vector<TSPICrashReport> TakeCrashReports();

  static void SetDefaultGraphicClass(TGraphicClass cls);
  static TGraphicClass DefaultGraphicClass();

  bool MacBinary = true;
  bool GraphicPreview = false;
  TInSPI* GraphicForcedLoader = nullptr;
  bool AutoSearch = true;
  TSPISearchOptions SearchOptions = SearchOption(spsSusieDir) | SearchOption(spsAppDir);
  TSPISearchEvent OnSearch;
  TSPISearchingEvent OnSearching;
  TSPIPictureRegisterEvent OnPictureRegister;
  // When set, an error that loading one found file raises (an export its kind needs is missing, say)
  // is handed here and the search goes on with the next file and the remaining folders; when unset it
  // leaves Search, keeping the modules added before.
  std::function<void(TSPIs* sender, const std::string& fileName, const std::exception& error)> OnLoadError;

 private:
  void ScanFolder(const std::string& folder, const std::string& pattern);
  void RegisterExtensions(TInSPI& module);
  std::vector<std::unique_ptr<TSPI>> modules_;
  std::vector<TSPICrashReport> crashReports_;
  bool designMode_;
};

// The one manager, or nullptr.
TSPIs* CurrentSPIs();
// The path unchanged when empty or ending in "\", else with "\" appended.
std::string WithBackslash(const std::string& path);

}  // namespace zeb::spi
