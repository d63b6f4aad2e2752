// Pictures for fake plug-ins to return, as raw bytes, so a test can hand back any header (hostile ones
// included); BMP file bytes of the same pictures; and a recorder of progress reports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/graphic.h"
#include "tests/support/fake_plugins.h"

namespace zeb::test {

// A BITMAPINFO block (header and colour table) and a pixel block, byte for byte.
struct RawDib {
  std::string info;
  std::string bits;
};

// A well-formed DIB: biSize 40, BI_RGB, biClrUsed = ClrUsed. Table holds RGBQUAD values 0x00RRGGBB;
// when it is empty and the picture needs a table (ClrUsed, or 2, 16, 256 entries for 1, 4, 8 bits), a
// table of distinct colours is made. Bits are zero-filled rows (padded to 4 bytes) when empty.
RawDib MakeDib(int32_t width, int32_t height, uint16_t bitCount, uint32_t clrUsed = 0,
               std::vector<uint32_t> table = {}, std::string bits = "");
// Overwrites a header field in place (offset into the BITMAPINFOHEADER).
void PutLE32(RawDib& dib, size_t offset, uint32_t value);
void PutLE16(RawDib& dib, size_t offset, uint16_t value);
// The colour of table entry I of a made table.
uint32_t MadeTableColour(uint32_t i);

// Copies the DIB into two new local-memory blocks, as a plug-in returns it; 0, or 4 when out of memory.
int ReturnDib(const RawDib& dib, LocalHandle* hInfo, LocalHandle* hBits);
// A GetPicture / GetPreview behaviour that returns the DIB (after progress 0 and 1 of 1, stopping with
// 1 when the callback asks to stop).
FakePictureFn Returning(RawDib dib);

// A BMP file of the DIB: the 14-byte file header, then the information block and the pixels unchanged.
std::string MakeBmpFile(const RawDib& dib);

// Every progress report, in order.
struct ProgressReport {
  Image* sender;
  ProgressStage stage;
  uint8_t percent;
  bool redrawNow;
  PixelRect r;
  std::string msg;
};
struct ProgressLog {
  std::vector<ProgressReport> reports;
  ProgressHandler Listener() {
    return [this](Image* sender, ProgressStage stage, uint8_t percent, bool redraw, const PixelRect& r,
                  const std::string& msg) {
      reports.push_back({sender, stage, percent, redraw, r, msg});
    };
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> m;
    for (auto& r : reports) m.push_back(r.msg);
    return m;
  }
};

}  // namespace zeb::test
