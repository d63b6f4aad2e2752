// The plain bitmap picture: a device-independent bitmap held in memory, read from and written to BMP
// files and streams. Decoding needs neither GDI nor the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/graphics/graphic.h"

namespace zeb {

class MemoryStream;

class Bitmap : public Image {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
  Bitmap();
  ~Bitmap() override;

  void Draw(Canvas& canvas, const PixelRect& rect) override;
  bool GetEmpty() override;
  bool Transparent() override;
  uint16_t DrawnBitCount() override { return GetEmpty() ? 0 : BitCount(); }
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  PaletteHandle GetPalette() override;
  void SetPalette(PaletteHandle palette) override;
  void SetWidth(int32_t width) override;
  void SetHeight(int32_t height) override;
  // Reads a BMP file (file header first). Raises InvalidPicture for anything malformed; on error the
  // bitmap keeps what it held.
  void LoadFromStream(Stream& stream) override;
  // The same from a BMP file in memory, taking the stream's memory over for the pixels where it can
  // (the stream may be left empty): for a file written only to be read in.
  void TakeFromStream(MemoryStream& stream);
  // Writes a BMP file: file header, BITMAPINFOHEADER, colour table, rows (nothing when empty).
  void SaveToStream(Stream& stream) override;
  // Copies another Bitmap (its pixels, colour table and palette). The pixels are shared until either
  // bitmap is changed through Bits, ScanLine, SetColorTable or SetPalette.
  void Assign(Image& source) override;

  // A new blank (zero-filled) picture. BitCount 1, 4, 8 (with a grey colour table), 24 or 32.
  // TopDown stores row 0 first in memory.
  void SetSize(int32_t width, int32_t height, uint16_t bitCount, bool topDown = false);
  uint16_t BitCount() const;
  bool TopDown() const;
  // The BITMAPINFO: a 40-byte BITMAPINFOHEADER (biHeight negative when top-down) and the colour table.
  const uint8_t* Info() const;
  uint32_t InfoSize() const;
  // Colour-table entries as stored (blue, green, red, reserved).
  uint32_t ColorCount() const;
  void SetColorTable(const uint8_t* rgbQuads, uint32_t count);
  const uint8_t* Bits() const;
  uint8_t* Bits();
  size_t BitsSize() const;
  size_t RowStride() const;
  // Row Y counted from the top of the picture, whatever the row order in memory.
  uint8_t* ScanLine(int32_t y);

 private:
  struct Dib;
  void Replace(std::shared_ptr<Dib> dib);
  // Pictures copied by Assign share their pixels until one of them is changed.
  Dib* Unshared();
  std::shared_ptr<Dib> dib_;
  PaletteHandle palette_ = 0;
};

// Draws a picture stretched onto a new bitmap of the given size (as the wallpaper needs): through GDI
// on Win32, through the raster canvas headless.
std::unique_ptr<Bitmap> DrawToNewBitmap(Image& graphic, int32_t width, int32_t height);

}  // namespace zeb
