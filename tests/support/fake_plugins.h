// In-process fake Susie plug-ins for the headless platform: each is a fake library (registered with
// zeb::headless::RegisterLibrary) whose exports run the behaviour a test sets. Results are allocated
// with LocalAllocate, as a plug-in allocates them with LocalAlloc.
//
//   zeb::headless::ResetAll();
//   zeb::test::ResetFakePlugins();
//   auto& ppm = zeb::test::InstallFakePlugin("C:\\zeb\\a.spi", {.filters = {{"*.ppm", "PPM"}}});
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/services/local_memory.h"
#include "spi/susie.h"

namespace zeb::test {

// One call of a picture export, as the fake saw it.
struct FakeCall {
  std::string name;      // the export
  std::string fileName;  // IsSupported: the file name passed
  const char* buffer;    // IsSupported: the header address; the others: their buffer argument
  intptr_t length;       // the length argument (0 for IsSupported)
  unsigned flag;         // the flag argument (0 for IsSupported)
  std::string header;    // IsSupported: the first 16 bytes at the header address
};

// A picture a fake returns from GetPicture / GetPreview: a BITMAPINFOHEADER, Palette (as RGBQUAD
// values 0x00RRGGBB) and Bits copied into two LocalAllocate blocks.
struct FakePicture {
  int32_t width = 2;
  int32_t height = 2;
  uint16_t bitCount = 24;
  std::vector<uint32_t> palette = {};
  std::string bits = {};  // the pixel rows, bottom-up, each padded to 4 bytes; made zero-filled when empty
};

using FakeInfoFn = std::function<int(int infoNo, char* buffer, int length)>;
using FakeIsSupportedFn = std::function<int(const std::string& fileName, const uint8_t* header)>;
using FakePictureInfoFn =
    std::function<int(const char* buffer, intptr_t length, unsigned flag, spi::PictureInfo* info)>;
using FakePictureFn =
    std::function<int(const char* buffer, intptr_t length, unsigned flag, LocalHandle* hInfo,
                      LocalHandle* hBits, spi::ProgressCallback progress, intptr_t userData)>;

struct FakePluginRecipe {
  // Info 0 and 1; an empty text is not answered (the call returns 0).
  std::string apiVersion = "00IN";
  std::string name = "Fake plug-in";
  // Info 2, 3, 4, 5, ...: filter and description pairs.
  std::vector<std::pair<std::string, std::string>> filters = {};
  // Replaces the texts above when set (it sees every GetPluginInfo call).
  FakeInfoFn pluginInfo = nullptr;
  // Exports the library lacks ("GetPicture", "GetPluginInfo", ...).
  std::set<std::string> missing = {};
  // Exports beyond the picture ones (archive exports, ConfigurationDlg) are present when listed here.
  std::set<std::string> extra = {};

  // IsSupported: by default non-zero when the header begins with Magic (never when Magic is empty).
  std::string magic = {};
  FakeIsSupportedFn isSupported = nullptr;
  // GetPictureInfo: by default fills the record from Picture and returns 0.
  FakePictureInfoFn getPictureInfo = nullptr;
  // GetPicture / GetPreview: by default report progress 0 and 1 of 1 (returning 1 when the callback
  // asks to stop) and return Picture; GetPreview returns -1 (not implemented).
  FakePicture picture = {};
  FakePictureFn getPicture = nullptr;
  FakePictureFn getPreview = nullptr;
};

struct FakePlugin {
  std::string path;
  FakePluginRecipe recipe;
  std::vector<FakeCall> calls;  // picture exports only
  int infoCalls = 0;            // GetPluginInfo calls
  std::vector<int> infoAsked;   // the info numbers, in order
};

// Registers a fake library for Path (and, when AddFile is true, an entry for it in the headless file
// system, so a folder search finds it). ReportedFileName is what the loader reports as its full path.
FakePlugin& InstallFakePlugin(const std::string& path, FakePluginRecipe recipe, bool addFile = true,
                              const std::string& reportedFileName = "");
// Forgets every fake plug-in (call after zeb::headless::ResetAll in SetUp).
void ResetFakePlugins();

// Copies a picture into newly allocated BITMAPINFO and bits blocks; returns 0, or 4 (memory) when a
// block cannot be allocated (nothing is left allocated then).
int ReturnPicture(const FakePicture& picture, LocalHandle* hInfo, LocalHandle* hBits);
// Bytes in one padded row of a picture of this width and depth.
int32_t RowBytes(int32_t width, uint16_t bitCount);

}  // namespace zeb::test
