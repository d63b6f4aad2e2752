#include "spi/spi_module.h"

#include <cstring>

#include "platform/core/strings.h"
#include "platform/services/ansi.h"
#include "platform/services/call_guard.h"
#include "spi/plugin_host.h"

namespace zeb::spi {

namespace {

// Plug-in texts are asked for with a 256-byte buffer and a length of 255.
constexpr int kInfoBufferSize = 256;
constexpr int kInfoBufferLength = 255;

// The kinds of module, each its own class.
enum class ModuleKind { Plain, Import, Archive, Xn };

ModuleKind KindForAPIVersion(const std::string& version) {
  if (version == kImportVersion) return ModuleKind::Import;
  if (version == kArchiveVersion) return ModuleKind::Archive;
  if (version == kXnVersion) return ModuleKind::Xn;
  return ModuleKind::Plain;
}

template <class Proc>
Proc As(void* entry) {
  return reinterpret_cast<Proc>(entry);
}

}  // namespace

PluginModule::PluginModule(const std::string& fileName) { Load(fileName); }

LoaderModule::LoaderModule(const std::string& fileName) : PluginModule(NoLoad{}) { Load(fileName); }

ImportModule::ImportModule(const std::string& fileName) : LoaderModule(NoLoad{}) { Load(fileName); }

ArchiveModule::ArchiveModule(const std::string& fileName) : LoaderModule(NoLoad{}) { Load(fileName); }

XnModule::XnModule(const std::string& fileName) : PluginModule(NoLoad{}) { Load(fileName); }

PluginModule::~PluginModule() {
  filters_.clear();
  descriptions_.clear();
  ReleaseLibrary();
}

void PluginModule::ReleaseLibrary() {
  // The library of a module that crashed stays loaded: its detach code may crash as well, and what the
  // crashed call left behind may still point into it.
  if (handle_ && crashCount_ == 0) FreeLibraryHandle(handle_);
  handle_ = nullptr;
}

void PluginModule::Load(const std::string& fileName) {
  handle_ = LoadLibraryFile(fileName);
  if (!handle_) throw PluginOpenError(FormatText("%s:Susie Pluginがロードできませんでした", {fileName}));
  try {
    std::string reported = LibraryFileName(handle_);
    fileName_ = reported.empty() ? fileName : reported;

    pGetPluginInfo_ = GetProc("GetPluginInfo");
    pIsSupported_ = GetProc("IsSupported");
    pGetPictureInfo_ = GetProc("GetPictureInfo");
    pGetPicture_ = GetProc("GetPicture");
    pGetArchiveInfo_ = GetProc("GetArchiveInfo");
    pGetFileInfo_ = GetProc("GetFileInfo");
    pGetFile_ = GetProc("GetFile");
    pGetPluginInfoW_ = GetProc("GetPluginInfoW");
    pIsSupportedW_ = GetProc("IsSupportedW");
    pGetPictureInfoW_ = GetProc("GetPictureInfoW");
    pGetPictureW_ = GetProc("GetPictureW");

    CheckAPI();

    // The buffer is cleared and ends in a NUL of ours, so a text the plug-in leaves unterminated stops
    // at 255 characters. A plug-in with GetPluginInfoW is asked for its texts in UTF-16, which loses none.
    auto askInfo = [this](int infoNo, std::string& text) {
      int result;
      if (pGetPluginInfoW_) {
        char16_t buffer[kInfoBufferSize] = {};
        result = GetPluginInfoW(infoNo, buffer, kInfoBufferLength);
        buffer[kInfoBufferLength] = 0;
        text = Utf16ToUtf8(buffer);
      } else {
        char buffer[kInfoBufferSize] = {};
        result = GetPluginInfo(infoNo, buffer, kInfoBufferLength);
        text = FromAnsi(std::string(buffer, strnlen(buffer, kInfoBufferLength)));
      }
      return result;
    };

    std::string first;
    std::string second;
    if (askInfo(0, first) > 0) apiVersion_ = first;
    if (askInfo(1, first) > 0) pluginName_ = first;

    filters_.clear();
    descriptions_.clear();
    for (int n = 2; static_cast<int>(filters_.size()) < kMaxFilterEntries; n += 2) {
      if (askInfo(n, first) <= 0) break;
      if (askInfo(n + 1, second) <= 0) break;
      filters_.push_back(first);
      descriptions_.push_back(second);
    }

    isLoader_ = QueryIsLoader();
  } catch (...) {
    filters_.clear();
    descriptions_.clear();
    ReleaseLibrary();
    throw;
  }
}

void* PluginModule::GetProc(const char* name) const { return handle_ ? LibraryProc(handle_, name) : nullptr; }

void PluginModule::CheckProc(const void* entry, const char* name) const {
  if (!entry)
    throw PluginExportMissing(FormatText("%sは[%s]では使えないSusie Plugin APIです", {name, fileName_}));
}

void PluginModule::CheckAPI() { CheckProc(pGetPluginInfo_, "GetPluginInfo"); }

void LoaderModule::CheckAPI() {
  CheckProc(pGetPluginInfo_, "GetPluginInfo");
  CheckProc(pIsSupported_, "IsSupported");
}

void ImportModule::CheckAPI() {
  CheckProc(pGetPluginInfo_, "GetPluginInfo");
  CheckProc(pIsSupported_, "IsSupported");
  CheckProc(pGetPictureInfo_, "GetPictureInfo");
  CheckProc(pGetPicture_, "GetPicture");
}

void ArchiveModule::CheckAPI() {
  CheckProc(pGetPluginInfo_, "GetPluginInfo");
  CheckProc(pIsSupported_, "IsSupported");
  CheckProc(pGetArchiveInfo_, "GetArchiveInfo");
  CheckProc(pGetFileInfo_, "GetFileInfo");
  CheckProc(pGetFile_, "GetFile");
}

template <class Proc, class... Args>
int PluginModule::Call(void* entry, const char* name, Args... args) {
  CheckProc(entry, name);
  int result = 0;
  auto body = [&result, entry, args...] { result = As<Proc>(entry)(args...); };
  const uint32_t code = RunGuarded(body);
  if (code == 0) return result;
  ++crashCount_;
  throw PluginCrashed(
      FormatText("The plug-in %s crashed in %s (%s).", {fileName_, name, CrashKindName(code)}), code);
}

int PluginModule::GetPluginInfo(int infoNo, char* buffer, int bufferLength) {
  return Call<GetPluginInfoProc>(pGetPluginInfo_, "GetPluginInfo", infoNo, buffer, bufferLength);
}

int PluginModule::IsSupported(const char* fileName, uintptr_t data) {
  return Call<IsSupportedProc>(pIsSupported_, "IsSupported", fileName, data);
}

int PluginModule::GetPictureInfo(const char* buffer, intptr_t length, unsigned flag, PictureInfo* info) {
  return Call<GetPictureInfoProc>(pGetPictureInfo_, "GetPictureInfo", buffer, length, flag, info);
}

int PluginModule::GetPicture(const char* buffer, intptr_t length, unsigned flag, LocalHandle* hInfo,
                             LocalHandle* hBits, ProgressCallback progress, intptr_t userData) {
  return Call<GetPictureProc>(pGetPicture_, "GetPicture", buffer, length, flag, hInfo, hBits, progress,
                              userData);
}

int PluginModule::GetPluginInfoW(int infoNo, char16_t* buffer, int bufferLength) {
  return Call<GetPluginInfoWProc>(pGetPluginInfoW_, "GetPluginInfoW", infoNo, buffer, bufferLength);
}

int PluginModule::IsSupportedW(const char16_t* fileName, uintptr_t data) {
  return Call<IsSupportedWProc>(pIsSupportedW_, "IsSupportedW", fileName, data);
}

int PluginModule::GetPictureInfoW(const char16_t* fileName, intptr_t offset, PictureInfo* info) {
  return Call<GetPictureInfoWProc>(pGetPictureInfoW_, "GetPictureInfoW", fileName, offset, 0u, info);
}

int PluginModule::GetPictureW(const char16_t* fileName, intptr_t offset, LocalHandle* hInfo,
                              LocalHandle* hBits, ProgressCallback progress, intptr_t userData) {
  return Call<GetPictureWProc>(pGetPictureW_, "GetPictureW", fileName, offset, 0u, hInfo, hBits, progress,
                               userData);
}

int PluginModule::GetPictureInfoFrom(const PictureCallInput& input, PictureInfo* info) {
  if (input.wideName) return GetPictureInfoW(input.wideName, input.length, info);
  return GetPictureInfo(input.buffer, input.length, input.flag, info);
}

int PluginModule::GetPictureFrom(const PictureCallInput& input, LocalHandle* hInfo, LocalHandle* hBits,
                                 ProgressCallback progress, intptr_t userData) {
  if (input.wideName) return GetPictureW(input.wideName, input.length, hInfo, hBits, progress, userData);
  return GetPicture(input.buffer, input.length, input.flag, hInfo, hBits, progress, userData);
}

AttemptOutcome PluginModule::Attempt(const PictureAttempt& attempt) {
  AttemptOutcome outcome;
  const auto header = reinterpret_cast<uintptr_t>(attempt.header);
  outcome.supported = (attempt.wideName ? IsSupportedW(attempt.wideName, header)
                                        : IsSupported(attempt.ansiName, header)) != 0;
  if (!outcome.supported || !attempt.read) return outcome;
  const PictureCallInput input = attempt.input();
  GetPictureInfoFrom(input, attempt.info);
  outcome.result = GetPictureFrom(input, attempt.hInfo, attempt.hBits, attempt.progress, attempt.userData);
  return outcome;
}

std::unique_ptr<PluginModule> CreatePluginModule(const std::string& fileName) {
  if (PluginHost* host = CurrentPluginHost()) return host->CreateModule(fileName);
  return LoadPluginModule(fileName);
}

std::unique_ptr<PluginModule> LoadPluginModule(const std::string& fileName) {
  try {
    // The probe stays loaded while the typed module loads the library again, and goes whatever happens.
    auto probe = std::make_unique<PluginModule>(fileName);
    switch (KindForAPIVersion(probe->APIVersion())) {
      case ModuleKind::Import:
        return std::make_unique<ImportModule>(fileName);
      case ModuleKind::Archive:
        return std::make_unique<ArchiveModule>(fileName);
      case ModuleKind::Xn:
        return std::make_unique<XnModule>(fileName);
      case ModuleKind::Plain:
        break;
    }
    return std::make_unique<PluginModule>(fileName);
  } catch (const PluginOpenError&) {
    return nullptr;
  } catch (const NotAPlugin&) {
    return nullptr;
  }
}

}  // namespace zeb::spi
