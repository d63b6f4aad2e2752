// The JPEG picture: decoded through libjpeg into a 24-bit top-down bitmap that it holds, so drawing is
// the bitmap's. Baseline and progressive files, greyscale, YCbCr and CMYK/YCCK (Adobe) are read.
// Decoding needs neither GDI nor the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"

namespace zeb {

class TJPEGImage : public TGraphic {
 public:
  ZEB_GRAPHIC_CLASS_DECL(TJPEGImage)
  TJPEGImage();
  ~TJPEGImage() override;

  void Draw(TCanvas& canvas, const TRect& rect) override;
  bool GetEmpty() override;
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  // A JPEG picture keeps the size it was decoded at: both raise EInvalidGraphic.
  void SetWidth(int32_t width) override;
  void SetHeight(int32_t height) override;
  // Reads a JPEG file from the stream's position to its end and decodes it. Reports progress: starting,
  // running (every few percent) and ending (also when the decode fails). Raises EInvalidGraphic for
  // anything that is not a decodable JPEG or is too large to hold; the picture then keeps what it held.
  // An error raised by a progress handler (EAbort, say) stops the decode and is raised again.
  void LoadFromStream(TStream& stream) override;
  // Writes the JPEG file as it was read (nothing for an empty picture).
  void SaveToStream(TStream& stream) override;
  // Takes over another TJPEGImage: both then share the same file bytes and decoded pixels.
  void Assign(TGraphic& source) override;
  // Into a TBitmap: the decoded pixels.
  void AssignTo(TGraphic& dest) override;

  // The decoded pixels (24 bits, top-down), or nullptr when empty. Shared with assigned copies, so read-only.
  const TBitmap* Bitmap() const { return bitmap_.get(); }
  // The JPEG file's bytes as read.
  const std::vector<uint8_t>* Data() const { return data_.get(); }

  // Pictures of more pixels than this are refused before any pixel memory is taken.
  static constexpr uint64_t kMaxPixels = uint64_t{1} << 28;

 private:
  std::shared_ptr<const std::vector<uint8_t>> data_;
  std::shared_ptr<TBitmap> bitmap_;
};

}  // namespace zeb
