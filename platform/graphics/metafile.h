// The metafile picture: an enhanced metafile (.emf) or a Windows metafile (.wmf, with or without the
// placeable header), held as read and played through the canvas. Its size is known without GDI:
// - .emf: the header's picture frame (rclFrame, in 0.01 mm) at 96 dots per inch, the size
//   picture programs and the shell show for a metafile on a normal-DPI screen; when the frame is empty, the
//   bounds (rclBounds, inclusive device pixels).
// - placeable .wmf: the bounding box in the header's units per inch, at 96 dots per inch.
// - plain .wmf: the window extent the metafile sets (its first SetWindowExt record), in pixels; a plain
//   Windows metafile that sets none has no size and is not read.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/graphic.h"

namespace zeb {

class MetafileImage : public Image {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
  MetafileImage();
  ~MetafileImage() override;

  void Draw(Canvas& canvas, const PixelRect& rect) override;
  bool GetEmpty() override;
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  // The size at which the metafile is shown; its records are untouched.
  void SetWidth(int32_t width) override;
  void SetHeight(int32_t height) override;
  // Reads an enhanced or Windows metafile from the stream's position to its end. Every record must lie
  // within the file; anything malformed raises InvalidPicture and the picture keeps what it held.
  void LoadFromStream(Stream& stream) override;
  // Writes the file as it was read.
  void SaveToStream(Stream& stream) override;
  // Takes over another MetafileImage (sharing its bytes).
  void Assign(Image& source) override;

  bool Enhanced() const { return enhanced_; }
  // The records played: the whole enhanced metafile, or the Windows metafile after its placeable header.
  const uint8_t* PlayData() const { return data_ ? data_->data() + playOffset_ : nullptr; }
  size_t PlaySize() const { return playSize_; }

 private:
  std::shared_ptr<const std::vector<uint8_t>> data_;
  size_t playOffset_ = 0, playSize_ = 0;
  bool enhanced_ = false;
  int32_t width_ = 0, height_ = 0;
};

}  // namespace zeb
