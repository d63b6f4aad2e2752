// One loaded Susie plug-in library: its texts, its exports and guarded calls of them. A small class
// family gives each API version its own kind; CreatePluginModule picks the class by the plug-in's own answer.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/services/helper_process.h"
#include "platform/services/library.h"
#include "spi/susie.h"

namespace zeb::spi {

// A library cannot be loaded.
ZEB_EXCEPTION(PluginOpenError, Exception);
// An export that a module's kind needs, or that is called, is missing.
ZEB_EXCEPTION(PluginExportMissing, Exception);
// A file is not a usable plug-in (CreatePluginModule treats it like PluginOpenError).
ZEB_EXCEPTION(NotAPlugin, Exception);

// A plug-in call that a hardware exception inside the plug-in ended (an access violation, say). The
// module counts it; what the call handed out before it crashed is not to be touched.
class PluginCrashed : public Exception {
 public:
  PluginCrashed(std::string message, uint32_t code) : Exception(std::move(message)), code_(code) {}
  uint32_t Code() const { return code_; }

 private:
  uint32_t code_;
};

// Where GetPictureInfo and GetPicture read a picture: a file by its ANSI name and the offset its data
// starts at (Flag 0), bytes in memory (Flag 1, Length bytes), or, when WideName is set, that file by its
// UTF-16 name for the wide entry points, Length being the offset.
struct PictureCallInput {
  const char* buffer = nullptr;
  intptr_t length = 0;
  unsigned flag = 0;
  const char16_t* wideName = nullptr;
};

// One plug-in's attempt at a picture: IsSupported on its first bytes, then, when the plug-in takes it and
// Read is set, GetPictureInfo into Info and GetPicture into the two handles, from what Input gives (asked
// once, only when needed).
struct PictureAttempt {
  const char* ansiName = nullptr;
  const char16_t* wideName = nullptr;  // set: IsSupportedW by this name
  const uint8_t* header = nullptr;     // kHeaderBufferSize bytes
  bool read = true;
  std::function<PictureCallInput()> input;
  PictureInfo* info = nullptr;
  LocalHandle* hInfo = nullptr;
  LocalHandle* hBits = nullptr;
  ProgressCallback progress = nullptr;
  intptr_t userData = 0;
};
struct AttemptOutcome {
  bool supported = false;
  int result = -1;  // GetPicture's, when it was called
};

// A module whose calls crashed this often is no longer asked for the rest of the session.
constexpr int kCrashesBeforeRetiring = 3;

class PluginModule {
 public:
  // Loads the library and reads its texts; raises PluginOpenError or PluginExportMissing.
  explicit PluginModule(const std::string& fileName);
  virtual ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

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

  // Guarded calls: each raises PluginExportMissing when its export is missing, and PluginCrashed (after
  // counting it) when the plug-in crashed inside it. A module loaded in the plug-in host (spi/plugin_host.h)
  // runs IsSupported there, and reads pictures only through Attempt.
  int GetPluginInfo(int infoNo, char* buffer, int bufferLength);
  int GetPluginInfoW(int infoNo, char16_t* buffer, int bufferLength);
  virtual int IsSupported(const char* fileName, uintptr_t data);
  int GetPictureInfo(const char* buffer, intptr_t length, unsigned flag, PictureInfo* info);
  int GetPicture(const char* buffer, intptr_t length, unsigned flag, LocalHandle* hInfo, LocalHandle* hBits,
                 ProgressCallback progress, intptr_t userData);
  // After a successful GetPicture that left *hBits unset: the pixels in a shared block of their exact
  // size, taken over by the caller (a large picture read in the plug-in host is used where it is).
  virtual std::unique_ptr<SharedMemory> TakeSharedBits() { return nullptr; }
  // Whether the module takes file names in UTF-16 (IsSupportedW, GetPictureInfoW and GetPictureW), and
  // those calls, guarded as the others.
  virtual bool HasWideNames() const { return pIsSupportedW_ && pGetPictureInfoW_ && pGetPictureW_; }
  virtual int IsSupportedW(const char16_t* fileName, uintptr_t data);
  int GetPictureInfoW(const char16_t* fileName, intptr_t offset, PictureInfo* info);
  int GetPictureW(const char16_t* fileName, intptr_t offset, LocalHandle* hInfo, LocalHandle* hBits,
                  ProgressCallback progress, intptr_t userData);
  // GetPictureInfo or GetPictureInfoW, and GetPicture or GetPictureW, as Input says.
  int GetPictureInfoFrom(const PictureCallInput& input, PictureInfo* info);
  int GetPictureFrom(const PictureCallInput& input, LocalHandle* hInfo, LocalHandle* hBits,
                     ProgressCallback progress, intptr_t userData);
  // The calls of one attempt in turn (a module loaded in the plug-in host asks for all of them at once).
  virtual AttemptOutcome Attempt(const PictureAttempt& attempt);

 protected:
  // Raises PluginExportMissing unless the exports this kind needs are present.
  virtual void CheckAPI();
  virtual bool QueryIsLoader() const { return false; }
  // Runs the construction steps. Each class's constructor calls it from its own body (after the
  // base was made with NoLoad), so that the class's own CheckAPI and QueryIsLoader apply. On an error
  // it releases the library and leaves the module empty before the error passes on.
  void Load(const std::string& fileName);
  struct NoLoad {};
  explicit PluginModule(NoLoad) {}

  // Runs an export under the guard; a crash is counted and raised as PluginCrashed.
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
  void* pGetArchiveInfo_ = nullptr;
  void* pGetFileInfo_ = nullptr;
  void* pGetFile_ = nullptr;
  void* pGetPluginInfoW_ = nullptr;
  void* pIsSupportedW_ = nullptr;
  void* pGetPictureInfoW_ = nullptr;
  void* pGetPictureW_ = nullptr;
};

class LoaderModule : public PluginModule {
 public:
  explicit LoaderModule(const std::string& fileName);

 protected:
  void CheckAPI() override;
  explicit LoaderModule(NoLoad n) : PluginModule(n) {}
};

class ImportModule : public LoaderModule {
 public:
  explicit ImportModule(const std::string& fileName);

 protected:
  void CheckAPI() override;
  bool QueryIsLoader() const override { return true; }
  explicit ImportModule(NoLoad n) : LoaderModule(n) {}
};

class ArchiveModule : public LoaderModule {
 public:
  explicit ArchiveModule(const std::string& fileName);

 protected:
  void CheckAPI() override;
  bool QueryIsLoader() const override { return true; }
  explicit ArchiveModule(NoLoad n) : LoaderModule(n) {}
};

class XnModule : public PluginModule {
 public:
  explicit XnModule(const std::string& fileName);

 protected:
  explicit XnModule(NoLoad n) : PluginModule(n) {}
};

// The most filter entries read from one module: a module that never ends its list must not hang the
// search.
constexpr int kMaxFilterEntries = 256;
// The exact API version texts that pick a module's class.
constexpr const char* kImportVersion = "00IN";
constexpr const char* kArchiveVersion = "00AM";
constexpr const char* kXnVersion = "00XN";

// A module of the class that matches the file's API version (compared whole, case-sensitively), or
// nullptr when the file cannot be loaded. PluginExportMissing and other errors pass to the caller. While
// a plug-in host is set (CurrentPluginHost), the plug-in is loaded there.
std::unique_ptr<PluginModule> CreatePluginModule(const std::string& fileName);
// The same, always loaded in this process (what the plug-in host does).
std::unique_ptr<PluginModule> LoadPluginModule(const std::string& fileName);

}  // namespace zeb::spi
