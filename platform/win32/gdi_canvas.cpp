// Drawing through GDI, and logical palettes.
#include "platform/win32/gdi_canvas.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/graphics/raster_canvas.h"
#include "platform/win32/dib_surface.h"

namespace zeb {

namespace win32 {

namespace {

// A top-down 32-bit DIB section selected into a memory DC of its own.
class Section {
 public:
  Section(int32_t width, int32_t height)
      : width_(width), height_(height), info_(TopDown32BitInfo(width, height)), surface_(&info_) {}
  bool ok() const { return surface_.ok(); }
  HDC dc() const { return surface_.dc(); }
  // Draws this section's pixels onto Target's pixels, turned.
  void TurnOnto(Section& target, PictureTurn turn) const {
    GdiFlush();
    RasterCanvas canvas(static_cast<uint8_t*>(target.surface_.bits()), target.width_, target.height_,
                        static_cast<ptrdiff_t>(target.width_) * 4);
    canvas.Turn = turn;
    canvas.StretchDIB(Rect(0, 0, width_, height_), width_, -height_, surface_.bits(), &info_, 0);
  }

 private:
  int32_t width_, height_;
  BITMAPINFO info_;
  DibSurface surface_;
};

// The most bytes of pixel data handed to GDI in one StretchDIBits: GDI counts a bitmap's size in a
// signed 32-bit number, so the pictures past 2 GB that a 64-bit process holds are drawn in bands.
constexpr uint64_t kMaxBandBytes = uint64_t{1} << 30;

// Draws an uncompressed DIB of more than kMaxBandBytes in horizontal bands, each with a header of its
// own (the colour table copied along); false when it is no such DIB.
bool StretchDIBInBands(HDC dc, const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                       const BITMAPINFO* info, DWORD rop) {
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0) return false;
  const uint64_t stride = (uint64_t{static_cast<uint32_t>(h.biWidth)} * h.biBitCount + 31) / 32 * 4;
  const int64_t rows = std::abs(int64_t{h.biHeight});
  if (stride * rows <= kMaxBandBytes || std::abs(int64_t{srcHeight}) != rows) return false;
  const uint32_t colours = h.biClrUsed ? h.biClrUsed : h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
  std::string header(h.biSize + size_t{4} * colours, '\0');
  std::memcpy(header.data(), info, header.size());
  auto* band = reinterpret_cast<BITMAPINFOHEADER*>(header.data());
  band->biSizeImage = 0;
  const int64_t bands = static_cast<int64_t>((stride * rows + kMaxBandBytes - 1) / kMaxBandBytes);
  for (int64_t i = 0; i < bands; ++i) {
    // Rows [top, bottom) of the picture, counted from its top, onto the matching part of Dest.
    const int64_t top = rows * i / bands, bottom = rows * (i + 1) / bands;
    const int32_t destTop = dest.Top + static_cast<int32_t>(int64_t{dest.Height()} * i / bands);
    const int32_t destBottom = dest.Top + static_cast<int32_t>(int64_t{dest.Height()} * (i + 1) / bands);
    // Bottom-up rows store the picture's last row first.
    const uint64_t firstStored =
        h.biHeight > 0 ? static_cast<uint64_t>(rows - bottom) : static_cast<uint64_t>(top);
    band->biHeight = static_cast<LONG>(h.biHeight > 0 ? bottom - top : top - bottom);
    StretchDIBits(dc, dest.Left, destTop, dest.Width(), destBottom - destTop, 0, 0, srcWidth,
                  static_cast<int>(bottom - top), static_cast<const uint8_t*>(bits) + firstStored * stride,
                  reinterpret_cast<const BITMAPINFO*>(header.data()), DIB_RGB_COLORS, rop);
  }
  return true;
}

}  // namespace

bool GdiCanvas::DrawTurned(const PixelRect& dest, const std::function<void(GdiCanvas& upright)>& draw) {
  if (Turn.Identity()) return false;
  const PixelRect area = TurnedRect(dest, Turn);
  if (dest.Width() <= 0 || dest.Height() <= 0) return true;  // nothing to draw into
  Section upright(dest.Width(), dest.Height());
  Section turned(area.Width(), area.Height());
  if (!upright.ok() || !turned.ok()) return false;
  BitBlt(turned.dc(), 0, 0, area.Width(), area.Height(), dc_, area.Left, area.Top, SRCCOPY);
  turned.TurnOnto(upright, Turn.Inverse());
  GdiCanvas canvas(upright.dc());
  canvas.CopyMode = CopyMode;
  draw(canvas);
  upright.TurnOnto(turned, Turn);
  BitBlt(dc_, area.Left, area.Top, area.Width(), area.Height(), turned.dc(), 0, 0, SRCCOPY);
  return true;
}

void GdiCanvas::StretchDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                           const void* info, PaletteHandle palette) {
  const auto upright = [&](GdiCanvas& c) {
    c.StretchDIB(Rect(0, 0, dest.Width(), dest.Height()), srcWidth, srcHeight, bits, info, palette);
  };
  if (DrawTurned(dest, upright)) return;
  HPALETTE old = nullptr;
  if (palette) {
    old = SelectPalette(dc_, reinterpret_cast<HPALETTE>(palette), TRUE);
    RealizePalette(dc_);
  }
  int oldMode = SetStretchBltMode(dc_, COLORONCOLOR);
  // The row order is the header's business; the source rectangle is always the whole picture.
  if (!StretchDIBInBands(dc_, dest, srcWidth, srcHeight, bits, static_cast<const BITMAPINFO*>(info),
                         CopyMode))
    StretchDIBits(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), 0, 0, srcWidth, std::abs(srcHeight),
                  bits, static_cast<const BITMAPINFO*>(info), DIB_RGB_COLORS, CopyMode);
  if (oldMode) SetStretchBltMode(dc_, oldMode);
  if (old) SelectPalette(dc_, old, TRUE);
}

void GdiCanvas::AlphaDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                         const void* info) {
  const auto upright = [&](GdiCanvas& c) {
    c.AlphaDIB(Rect(0, 0, dest.Width(), dest.Height()), srcWidth, srcHeight, bits, info);
  };
  if (DrawTurned(dest, upright)) return;
  const BITMAPINFOHEADER& h = static_cast<const BITMAPINFO*>(info)->bmiHeader;
  const int width = std::abs(srcWidth), height = std::abs(srcHeight);
  BITMAPINFO header = {};
  header.bmiHeader = h;
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biSizeImage = 0;
  header.bmiHeader.biClrUsed = 0;
  void* pixels = nullptr;
  // A picture too large for GDI in one piece is drawn in bands, without its transparency.
  const bool fits =
      uint64_t{static_cast<uint32_t>(width)} * 4 * static_cast<uint32_t>(height) <= kMaxBandBytes;
  HDC source = fits ? CreateCompatibleDC(dc_) : nullptr;
  HBITMAP section = source ? CreateDIBSection(dc_, &header, DIB_RGB_COLORS, &pixels, nullptr, 0) : nullptr;
  if (section && pixels && h.biBitCount == 32 && h.biCompression == BI_RGB) {
    std::memcpy(pixels, bits,
                static_cast<size_t>(std::abs(h.biWidth)) * 4 * static_cast<size_t>(std::abs(h.biHeight)));
    HGDIOBJ old = SelectObject(source, section);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), source, 0, 0, width, height, blend);
    SelectObject(source, old);
  } else {
    // No memory for the copy: the picture is drawn without its transparency.
    StretchDIB(dest, srcWidth, srcHeight, bits, info, 0);
  }
  if (section) DeleteObject(section);
  if (source) DeleteDC(source);
}

void GdiCanvas::FillRect(const PixelRect& rect, uint32_t rgb) {
  HBRUSH brush = CreateSolidBrush(RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF));
  RECT r = {rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::FillRect(dc_, &r, brush);
  DeleteObject(brush);
}

void GdiCanvas::FillChecker(const PixelRect& rect) {
  // One fill with a brush of two squares by two, its origin at the rectangle's corner.
  constexpr int kSide = 2 * kCheckerSquare;
  struct {
    BITMAPINFOHEADER header;
    uint32_t pixels[kSide * kSide];
  } pattern = {};
  pattern.header = {sizeof(BITMAPINFOHEADER), kSide, -kSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      pattern.pixels[y * kSide + x] =
          (x / kCheckerSquare + y / kCheckerSquare) % 2 ? kCheckerDark : kCheckerLight;
  HBRUSH brush = CreateDIBPatternBrushPt(&pattern, DIB_RGB_COLORS);
  if (!brush) {
    Canvas::FillChecker(rect);
    return;
  }
  POINT oldOrigin;
  SetBrushOrgEx(dc_, rect.Left, rect.Top, &oldOrigin);
  RECT r = {rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::FillRect(dc_, &r, brush);
  SetBrushOrgEx(dc_, oldOrigin.x, oldOrigin.y, nullptr);
  DeleteObject(brush);
}

void GdiCanvas::DrawIcon(const uint8_t* image, size_t size, int32_t width, int32_t height,
                         const PixelRect& dest) {
  const auto upright = [&](GdiCanvas& c) {
    c.DrawIcon(image, size, width, height, Rect(0, 0, dest.Width(), dest.Height()));
  };
  if (DrawTurned(dest, upright)) return;
  HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image), static_cast<DWORD>(size), TRUE, 0x00030000,
                                        width, height, LR_DEFAULTCOLOR);
  if (!icon) return;
  DrawIconEx(dc_, dest.Left, dest.Top, icon, dest.Width(), dest.Height(), 0, nullptr, DI_NORMAL);
  DestroyIcon(icon);
}

void GdiCanvas::PlayMetafile(const uint8_t* data, size_t size, bool enhanced, const PixelRect& dest) {
  const auto upright = [&](GdiCanvas& c) {
    c.PlayMetafile(data, size, enhanced, Rect(0, 0, dest.Width(), dest.Height()));
  };
  if (DrawTurned(dest, upright)) return;
  // A Windows metafile without a picture frame is fitted to the reference device; playing it into Dest
  // then scales that frame to Dest.
  HENHMETAFILE emf = enhanced ? SetEnhMetaFileBits(static_cast<UINT>(size), data)
                              : SetWinMetaFileBits(static_cast<UINT>(size), data, nullptr, nullptr);
  if (!emf) return;
  RECT r = {dest.Left, dest.Top, dest.Right, dest.Bottom};
  PlayEnhMetaFile(dc_, emf, &r);
  DeleteEnhMetaFile(emf);
}

}  // namespace win32

PaletteHandle NewPalette(const std::vector<PaletteEntry>& entries) {
  if (entries.empty() || entries.size() > 0xFFFF) return 0;
  size_t bytes = sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY);
  auto storage = std::make_unique<uint64_t[]>((bytes + 7) / 8);
  auto* log = reinterpret_cast<LOGPALETTE*>(storage.get());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const PaletteEntry& e = entries[i];
    log->palPalEntry[i] = PALETTEENTRY{e.peRed, e.peGreen, e.peBlue, e.peFlags};
  }
  return reinterpret_cast<PaletteHandle>(CreatePalette(log));
}

void FreePalette(PaletteHandle palette) {
  if (palette) DeleteObject(reinterpret_cast<HPALETTE>(palette));
}

std::vector<PaletteEntry> PaletteEntries(PaletteHandle palette) {
  if (!palette) return {};
  auto h = reinterpret_cast<HPALETTE>(palette);
  UINT n = GetPaletteEntries(h, 0, 0, nullptr);
  if (n == 0) return {};
  std::vector<PALETTEENTRY> raw(n);
  n = GetPaletteEntries(h, 0, n, raw.data());
  std::vector<PaletteEntry> entries(n);
  for (UINT i = 0; i < n; ++i) entries[i] = {raw[i].peRed, raw[i].peGreen, raw[i].peBlue, raw[i].peFlags};
  return entries;
}

}  // namespace zeb
