// Where pictures are drawn: a canvas. The Win32 layer implements it over a GDI device context; the
// software raster canvas (raster_canvas.h) draws into memory, for the headless build and for tests.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace zeb {

struct PixelRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool operator==(const PixelRect&) const = default;
};

inline PixelRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return {left, top, right, bottom};
}

struct PaletteEntry {
  uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
  bool operator==(const PaletteEntry&) const = default;
};

// A logical palette (HPALETTE on Win32); 0 is none.
using PaletteHandle = uintptr_t;
// Creates a palette of these entries (version 0x300); 0 on failure.
PaletteHandle NewPalette(const std::vector<PaletteEntry>& entries);
void FreePalette(PaletteHandle palette);
std::vector<PaletteEntry> PaletteEntries(PaletteHandle palette);

constexpr uint32_t kSourceCopy = 0x00CC0020;

// How a picture is turned as it is drawn: mirrored left to right first, then turned clockwise by
// quarter turns. The default draws it as it is stored.
struct PictureTurn {
  uint8_t quarterTurns = 0;  // 0 to 3
  bool mirrored = false;
  bool Identity() const { return quarterTurns % 4 == 0 && !mirrored; }
  // A quarter or three quarters turn: the picture's width runs down the screen.
  bool SwapsSides() const { return quarterTurns % 2 == 1; }
  // The turn that brings a turned picture back (a mirrored turn is its own inverse).
  PictureTurn Inverse() const {
    return mirrored ? *this : PictureTurn{static_cast<uint8_t>((4 - quarterTurns % 4) % 4), false};
  }
  bool operator==(const PictureTurn&) const = default;
};

// Where a picture drawn into Dest with Turn lands: Dest's top-left corner, with width and height
// exchanged by a quarter turn.
inline PixelRect TurnedRect(const PixelRect& dest, PictureTurn turn) {
  if (!turn.SwapsSides()) return dest;
  return {dest.Left, dest.Top, dest.Left + dest.Height(), dest.Top + dest.Width()};
}

class Canvas {
 public:
  virtual ~Canvas() = default;
  // Stretches a device-independent bitmap into Dest with COLORONCOLOR: Info is a BITMAPINFO (header
  // and colour table), Bits its rows; SrcWidth and SrcHeight are the source size (a negative height
  // means top-down rows). A palette, when given, is selected as a background palette and realised for
  // the call, and the previous one selected back afterwards.
  virtual void StretchDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                          const void* info, PaletteHandle palette) = 0;
  // Stretches a 32-bit BI_RGB DIB whose pixels carry premultiplied alpha over what Dest already holds
  // (source over). A canvas that cannot blend draws it as a plain DIB.
  virtual void AlphaDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                        const void* info) {
    StretchDIB(dest, srcWidth, srcHeight, bits, info, 0);
  }
  virtual void FillRect(const PixelRect& rect, uint32_t rgb) = 0;
  // Fills Rect with the checkerboard the transparent parts of a picture are shown over: neutral grey
  // squares of kCheckerSquare pixels, counted from Rect's top-left corner.
  static constexpr int32_t kCheckerSquare = 8;
  static constexpr uint32_t kCheckerLight = 0x999999, kCheckerDark = 0x666666;
  virtual void FillChecker(const PixelRect& rect) {
    for (int32_t y = rect.Top; y < rect.Bottom; y += kCheckerSquare)
      for (int32_t x = rect.Left; x < rect.Right; x += kCheckerSquare)
        FillRect(
            Rect(x, y, std::min(x + kCheckerSquare, rect.Right), std::min(y + kCheckerSquare, rect.Bottom)),
            ((x - rect.Left) / kCheckerSquare + (y - rect.Top) / kCheckerSquare) % 2 ? kCheckerDark
                                                                                     : kCheckerLight);
  }
  // Draws one icon image (the BMP or PNG data of one .ico entry) stretched into Dest.
  virtual void DrawIcon(const uint8_t* image, size_t size, int32_t width, int32_t height,
                        const PixelRect& dest) = 0;
  // Plays a metafile (an enhanced one, or a Windows metafile without its placeable header) into Dest.
  virtual void PlayMetafile(const uint8_t* data, size_t size, bool enhanced, const PixelRect& dest) = 0;

  uint32_t CopyMode = kSourceCopy;
  // Turns what the four calls above draw. Dest keeps the picture's own proportions (so a picture
  // that picks its pixels by the size it is drawn at sees that size); the turned picture covers
  // TurnedRect(Dest, Turn). The default leaves every call as it is, with no pixel copied.
  PictureTurn Turn;
};

}  // namespace zeb
