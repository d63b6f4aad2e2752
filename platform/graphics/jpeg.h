// The JPEG picture: decoded through libjpeg into a top-down bitmap that it holds, so drawing is the
// bitmap's: 32 bits a pixel (blue, green, red, unused), as the screen holds them, 24 for CMYK and YCCK files.
// Baseline and progressive files, greyscale, YCbCr and CMYK/YCCK (Adobe) are read. Colours with an embedded
// ICC profile are converted to the display's as they are decoded (photo/colour_profile.h). Decoding needs
// neither GDI nor the user-interface thread.
//
// A picture told the largest size it will be drawn at decodes at the smallest of libjpeg's scales
// (1/8 to 8/8) that still gives at least that many pixels, and keeps the file's bytes: drawing it
// larger later, or asking for the full pixels, decodes it again at the scale needed.
//
// The pixels are held as stored; the Exif orientation of the file's APP1 block is reported by
// Orientation, so the viewer turns the picture as it draws it and no pixel is moved.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/dib_limits.h"
#include "platform/graphics/graphic.h"

namespace zeb {

class JpegImage : public Image {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
  JpegImage();
  ~JpegImage() override;

  void Draw(Canvas& canvas, const PixelRect& rect) override;
  bool GetEmpty() override;
  // The file's own size, whatever the scale the pixels are held at.
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  // A JPEG picture keeps the size of its file: both raise InvalidPicture.
  void SetWidth(int32_t width) override;
  void SetHeight(int32_t height) override;
  // Reads a JPEG file from the stream's position to its end and decodes it. Reports progress: starting,
  // running (every few percent) and ending (also when the decode fails). Raises InvalidPicture for
  // anything that is not a decodable JPEG or is too large to hold; the picture then keeps what it held.
  // An error raised by a progress handler (SilentAbort, say) stops the decode and is raised again.
  void LoadFromStream(Stream& stream) override;
  // Writes the JPEG file as it was read (nothing for an empty picture).
  void SaveToStream(Stream& stream) override;
  // Takes over another JpegImage: both then share the same file bytes and decoded pixels.
  void Assign(Image& source) override;
  // Into a Bitmap: the pixels at full size in 24 bits (decoded again unless those are held).
  void AssignTo(Image& dest) override;
  // Applies to the next LoadFromStream: the smallest scale whose picture is at least as large as the
  // upright picture fitted into Width x Height (keeping its proportions). 0 x 0, or a box the picture
  // fits into whole, decodes at full size.
  void SetLargestDrawSize(int32_t width, int32_t height) override;
  PictureTurn Orientation() override { return orientation_; }
  uint16_t DrawnBitCount() override { return bitmap_ ? bitmap_->BitCount() : 0; }

  // The decoded pixels (top-down) at the scale held, or nullptr when empty. Shared with
  // assigned copies, so read-only.
  const Bitmap* DecodedBitmap() const { return bitmap_.get(); }
  // The JPEG file's bytes as read.
  const std::vector<uint8_t>* Data() const { return data_.get(); }

  // Pictures of more pixels than this are refused before any pixel memory is taken.
  static constexpr uint64_t kMaxPixels = kMaxDibPixels;

 private:
  // The file's pixels at Eighths/8 of its size, without progress reports; nullptr (and Message, when
  // given) when that fails.
  std::shared_ptr<Bitmap> DecodeAgain(int eighths, std::string* message, uint16_t bitCount = 32) const;

  std::shared_ptr<const std::vector<uint8_t>> data_;
  std::shared_ptr<Bitmap> bitmap_;
  int32_t width_ = 0, height_ = 0;
  int eighths_ = 8;  // the scale bitmap_ was decoded at
  PictureTurn orientation_;
  int32_t largestDrawWidth_ = 0, largestDrawHeight_ = 0;
};

}  // namespace zeb
