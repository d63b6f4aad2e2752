// One loaded Susie plug-in library: its texts, its exports and guarded calls of them. A small class
// family gives each API version its own kind; CreateSPI picks the class by the plug-in's own answer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/services/library.h"
#include "spi/susie.h"

namespace zeb::spi {

// A library cannot be loaded.
ZEB_EXCEPTION(ESPIFOpenErrorSPI, Exception);
// An export that a module's kind needs, or that is called, is missing.
ZEB_EXCEPTION(ESPIInvalidAPI, Exception);
// A file is not a usable plug-in (CreateSPI treats it like ESPIFOpenErrorSPI).
ZEB_EXCEPTION(ESPIInvalidSPI, Exception);

// A plug-in call that a hardware exception inside the plug-in ended (an access violation, say). The
// module counts it; what the call handed out before it crashed is not to be touched.
class ESPIPluginCrashed : public Exception {
 public:
  ESPIPluginCrashed(std::string message, uint32_t code) : Exception(std::move(message)), code_(code) {}
  uint32_t Code() const { return code_; }

 private:
  uint32_t code_;
};

// A module whose calls crashed this often is no longer asked for the rest of the session.
constexpr int kCrashesBeforeRetiring = 3;

class TSPI;
// A plug-in class reference: its name, its base and its constructor.
struct TSPIClassInfo {
  const char* ClassName;
  const TSPIClassInfo* Parent;
  std::unique_ptr<TSPI> (*Create)(const std::string& fileName);
  bool InheritsFrom(const TSPIClassInfo* other) const {
    for (auto* c = this; c; c = c->Parent)
      if (c == other) return true;
    return false;
  }
};
using TSPIClass = const TSPIClassInfo*;

class TSPI {
 public:
  static const TSPIClassInfo Class;
  virtual TSPIClass ClassType() const { return &Class; }
  bool InheritsFrom(TSPIClass cls) const { return ClassType()->InheritsFrom(cls); }

  // Loads the library and reads its texts; raises ESPIFOpenErrorSPI or ESPIInvalidAPI.
  explicit TSPI(const std::string& fileName);
  virtual ~TSPI();
  TSPI(const TSPI&) = delete;
  TSPI& operator=(const TSPI&) = delete;

  LibraryHandle Handle() const { return handle_; }
  const std::string& FileName() const { return fileName_; }
  const std::string& APIVersion() const { return apiVersion_; }
  const std::string& PluginName() const { return pluginName_; }
  const std::vector<std::string>& Filters() const { return filters_; }
  const std::vector<std::string>& Descriptions() const { return descriptions_; }
  bool IsLoader() const { return isLoader_; }
  // Crashes of this module's calls so far; a retired module is not asked again.
  int CrashCount() const { return crashCount_; }
  bool Retired() const { return crashCount_ >= kCrashesBeforeRetiring; }

  void* GetProc(const char* name) const;
  void CheckProc(const void* entry, const char* name) const;

  // Guarded calls: each raises ESPIInvalidAPI when its export is missing, and ESPIPluginCrashed (after
  // counting it) when the plug-in crashed inside it.
  int GetPluginInfo(int infoNo, char* buffer, int bufferLength);
  int IsSupported(const char* fileName, uintptr_t data);
  int GetPictureInfo(const char* buffer, intptr_t length, unsigned flag, PictureInfo* info);
  int GetPicture(const char* buffer, intptr_t length, unsigned flag, LocalHandle* hInfo, LocalHandle* hBits,
                 ProgressCallback progress, intptr_t userData);
  int GetPreview(const char* buffer, intptr_t length, unsigned flag, LocalHandle* hInfo, LocalHandle* hBits,
                 ProgressCallback progress, intptr_t userData);

 protected:
  // Raises ESPIInvalidAPI unless the exports this kind needs are present.
  virtual void CheckAPI();
  virtual bool QueryIsLoader() const { return false; }
  // Runs the construction steps. Each class's constructor calls it from its own body (after the
  // base was made with NoLoad), so that the class's own CheckAPI and QueryIsLoader apply. On an error
  // it releases the library and leaves the module empty before the error passes on.
  void Load(const std::string& fileName);
  struct NoLoad {};
  explicit TSPI(NoLoad) {}

  // Runs an export under the guard; a crash is counted and raised as ESPIPluginCrashed.
  template <class Proc, class... Args>
  int Call(void* entry, const char* name, Args... args);
  // Frees the library, unless a call of it crashed: its unload code is not run again after that.
  void ReleaseLibrary();

  LibraryHandle handle_ = nullptr;
  int crashCount_ = 0;
  std::string fileName_;
  std::string apiVersion_;
  std::string pluginName_;
  std::vector<std::string> filters_;
  std::vector<std::string> descriptions_;
  bool isLoader_ = false;
  void* pGetPluginInfo_ = nullptr;
  void* pIsSupported_ = nullptr;
  void* pGetPictureInfo_ = nullptr;
  void* pGetPicture_ = nullptr;
  void* pGetPreview_ = nullptr;
  void* pGetArchiveInfo_ = nullptr;
  void* pGetFileInfo_ = nullptr;
  void* pGetFile_ = nullptr;
  void* pConfigurationDlg_ = nullptr;
};

class TLoaderSPI : public TSPI {
 public:
  static const TSPIClassInfo Class;
  TSPIClass ClassType() const override { return &Class; }
  explicit TLoaderSPI(const std::string& fileName);

 protected:
  void CheckAPI() override;
  explicit TLoaderSPI(NoLoad n) : TSPI(n) {}
};

class TInSPI : public TLoaderSPI {
 public:
  static const TSPIClassInfo Class;
  TSPIClass ClassType() const override { return &Class; }
  explicit TInSPI(const std::string& fileName);

 protected:
  void CheckAPI() override;
  bool QueryIsLoader() const override { return true; }
  explicit TInSPI(NoLoad n) : TLoaderSPI(n) {}
};

class TAmSPI : public TLoaderSPI {
 public:
  static const TSPIClassInfo Class;
  TSPIClass ClassType() const override { return &Class; }
  explicit TAmSPI(const std::string& fileName);

 protected:
  void CheckAPI() override;
  bool QueryIsLoader() const override { return true; }
  explicit TAmSPI(NoLoad n) : TLoaderSPI(n) {}
};

class TXnSPI : public TSPI {
 public:
  static const TSPIClassInfo Class;
  TSPIClass ClassType() const override { return &Class; }
  explicit TXnSPI(const std::string& fileName);

 protected:
  explicit TXnSPI(NoLoad n) : TSPI(n) {}
};

// The most filter entries read from one module: a module that never ends its list must not hang the
// search.
constexpr int kMaxFilterEntries = 256;
// The exact API version texts that pick a module's class.
constexpr const char* kImportVersion = "00IN";
constexpr const char* kArchiveVersion = "00AM";
constexpr const char* kXnVersion = "00XN";

// The class CreateSPI gives a module that answers this API version (compared whole, case-sensitively).
TSPIClass ClassForAPIVersion(const std::string& version);

// A module of the class that matches the file's API version, or nullptr when the file cannot be
// loaded. ESPIInvalidAPI and other errors pass to the caller.
std::unique_ptr<TSPI> CreateSPI(const std::string& fileName);

}  // namespace zeb::spi
