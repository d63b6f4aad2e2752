#include "tests/support/fake_plugins.h"

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>

#include "platform/headless/headless.h"

namespace zeb::test {

namespace {

// Exports are plain function pointers, so each fake plug-in gets one slot of a fixed set of functions.
constexpr size_t kSlots = 64;
std::array<std::unique_ptr<FakePlugin>, kSlots>& Slots() {
  static std::array<std::unique_ptr<FakePlugin>, kSlots> slots;
  return slots;
}

FakePlugin& Slot(size_t i) {
  auto& p = Slots()[i];
  if (!p) throw std::logic_error("a fake plug-in export was called after ResetFakePlugins");
  return *p;
}

#pragma pack(push, 1)
struct BitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BitmapInfoHeader) == 40);

int AnswerText(const std::string& text, char* buffer, int length) {
  if (text.empty() || length <= 0) return 0;
  int n = static_cast<int>(std::min<size_t>(text.size(), static_cast<size_t>(length)));
  std::memcpy(buffer, text.data(), static_cast<size_t>(n));
  if (n < length) buffer[n] = 0;
  return n;
}

int DefaultInfo(const FakePluginRecipe& recipe, int infoNo, char* buffer, int length) {
  if (infoNo == 0) return AnswerText(recipe.apiVersion, buffer, length);
  if (infoNo == 1) return AnswerText(recipe.name, buffer, length);
  if (infoNo < 2) return 0;
  size_t entry = static_cast<size_t>(infoNo - 2) / 2;
  if (entry >= recipe.filters.size()) return 0;
  const auto& [filter, description] = recipe.filters[entry];
  return AnswerText(infoNo % 2 == 0 ? filter : description, buffer, length);
}

int DefaultPicture(const FakePluginRecipe& recipe, LocalHandle* hInfo, LocalHandle* hBits,
                   spi::ProgressCallback progress, intptr_t userData) {
  if (progress && progress(0, 1, userData)) return 1;
  if (progress && progress(1, 1, userData)) return 1;
  return ReturnPicture(recipe.picture, hInfo, hBits);
}

template <size_t I>
struct Exports {
  static int SPI_API GetPluginInfo(int infoNo, char* buffer, int length) {
    FakePlugin& p = Slot(I);
    ++p.infoCalls;
    p.infoAsked.push_back(infoNo);
    return p.recipe.pluginInfo ? p.recipe.pluginInfo(infoNo, buffer, length)
                               : DefaultInfo(p.recipe, infoNo, buffer, length);
  }
  static int SPI_API IsSupported(const char* fileName, uintptr_t data) {
    FakePlugin& p = Slot(I);
    const auto* header = reinterpret_cast<const uint8_t*>(data);
    p.calls.push_back({"IsSupported", fileName ? fileName : "", reinterpret_cast<const char*>(data), 0, 0,
                       std::string(reinterpret_cast<const char*>(header), 16)});
    if (p.recipe.isSupported) return p.recipe.isSupported(fileName ? fileName : "", header);
    return !p.recipe.magic.empty() && std::memcmp(header, p.recipe.magic.data(), p.recipe.magic.size()) == 0;
  }
  static int SPI_API GetPictureInfo(const char* buffer, intptr_t length, unsigned flag,
                                    spi::PictureInfo* info) {
    FakePlugin& p = Slot(I);
    p.calls.push_back({"GetPictureInfo", "", buffer, length, flag, ""});
    if (p.recipe.getPictureInfo) return p.recipe.getPictureInfo(buffer, length, flag, info);
    *info = spi::PictureInfo{};
    info->width = p.recipe.picture.width;
    info->height = p.recipe.picture.height;
    info->colorDepth = static_cast<int16_t>(p.recipe.picture.bitCount);
    return 0;
  }
  static int SPI_API GetPicture(const char* buffer, intptr_t length, unsigned flag, LocalHandle* hInfo,
                                LocalHandle* hBits, spi::ProgressCallback progress, intptr_t userData) {
    FakePlugin& p = Slot(I);
    p.calls.push_back({"GetPicture", "", buffer, length, flag, ""});
    if (p.recipe.getPicture)
      return p.recipe.getPicture(buffer, length, flag, hInfo, hBits, progress, userData);
    return DefaultPicture(p.recipe, hInfo, hBits, progress, userData);
  }
  static int SPI_API GetPreview(const char* buffer, intptr_t length, unsigned flag, LocalHandle* hInfo,
                                LocalHandle* hBits, spi::ProgressCallback progress, intptr_t userData) {
    FakePlugin& p = Slot(I);
    p.calls.push_back({"GetPreview", "", buffer, length, flag, ""});
    if (p.recipe.getPreview)
      return p.recipe.getPreview(buffer, length, flag, hInfo, hBits, progress, userData);
    return -1;
  }
  // Archive exports and the configuration dialog are only ever looked up, never called.
  static int SPI_API Unused() { return -1; }

  static std::map<std::string, void*> Table() {
    return {{"GetPluginInfo", reinterpret_cast<void*>(&GetPluginInfo)},
            {"IsSupported", reinterpret_cast<void*>(&IsSupported)},
            {"GetPictureInfo", reinterpret_cast<void*>(&GetPictureInfo)},
            {"GetPicture", reinterpret_cast<void*>(&GetPicture)},
            {"GetPreview", reinterpret_cast<void*>(&GetPreview)},
            {"GetArchiveInfo", reinterpret_cast<void*>(&Unused)},
            {"GetFileInfo", reinterpret_cast<void*>(&Unused)},
            {"GetFile", reinterpret_cast<void*>(&Unused)},
            {"ConfigurationDlg", reinterpret_cast<void*>(&Unused)}};
  }
};

template <size_t... I>
std::map<std::string, void*> TableOf(size_t slot, std::index_sequence<I...>) {
  using Maker = std::map<std::string, void*> (*)();
  static constexpr Maker makers[] = {&Exports<I>::Table...};
  return makers[slot]();
}

const std::set<std::string> kOptionalExports = {"GetArchiveInfo", "GetFileInfo", "GetFile",
                                                "ConfigurationDlg"};

}  // namespace

FakePlugin& InstallFakePlugin(const std::string& path, FakePluginRecipe recipe, bool addFile,
                              const std::string& reportedFileName) {
  auto& slots = Slots();
  size_t slot = 0;
  while (slot < kSlots && slots[slot]) ++slot;
  if (slot == kSlots) throw std::logic_error("too many fake plug-ins: call ResetFakePlugins in SetUp");

  std::map<std::string, void*> table = TableOf(slot, std::make_index_sequence<kSlots>{});
  for (auto it = table.begin(); it != table.end();) {
    bool absent = recipe.missing.count(it->first) ||
                  (kOptionalExports.count(it->first) && !recipe.extra.count(it->first));
    it = absent ? table.erase(it) : std::next(it);
  }
  slots[slot] = std::make_unique<FakePlugin>(FakePlugin{path, std::move(recipe), {}, 0, {}});
  headless::RegisterLibrary(path, std::move(table), reportedFileName);
  if (addFile) headless::DefaultFiles().AddFile(path, "MZ fake plug-in");
  return *slots[slot];
}

void ResetFakePlugins() {
  for (auto& s : Slots()) s.reset();
}

int32_t RowBytes(int32_t width, uint16_t bitCount) {
  return static_cast<int32_t>(((static_cast<int64_t>(width) * bitCount + 31) / 32) * 4);
}

int ReturnPicture(const FakePicture& picture, LocalHandle* hInfo, LocalHandle* hBits) {
  size_t paletteBytes = picture.palette.size() * 4;
  LocalHandle info = LocalAllocate(sizeof(BitmapInfoHeader) + paletteBytes);
  if (!info) return 4;
  size_t bitsSize = picture.bits.empty()
                        ? static_cast<size_t>(RowBytes(picture.width, picture.bitCount)) *
                              static_cast<size_t>(picture.height < 0 ? -picture.height : picture.height)
                        : picture.bits.size();
  LocalHandle bits = LocalAllocate(bitsSize);
  if (!bits) {
    LocalFreeHandle(info);
    return 4;
  }
  auto* header = static_cast<BitmapInfoHeader*>(LocalLockHandle(info));
  *header = BitmapInfoHeader{40,
                             picture.width,
                             picture.height,
                             1,
                             picture.bitCount,
                             0,
                             static_cast<uint32_t>(bitsSize),
                             0,
                             0,
                             static_cast<uint32_t>(picture.palette.size()),
                             0};
  if (paletteBytes) std::memcpy(header + 1, picture.palette.data(), paletteBytes);
  LocalUnlockHandle(info);
  if (!picture.bits.empty()) {
    std::memcpy(LocalLockHandle(bits), picture.bits.data(), bitsSize);
    LocalUnlockHandle(bits);
  }
  *hInfo = info;
  *hBits = bits;
  return 0;
}

}  // namespace zeb::test
