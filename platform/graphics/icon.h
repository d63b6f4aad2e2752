// The icon picture: an .ico file held as read. Of its images the best one is shown: the largest, then
// the one with the most colours. Its size comes from the image's own header (BMP or PNG), so no GDI is
// needed to know it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/graphic.h"

namespace zeb {

class IconImage : public Image {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
  IconImage();
  ~IconImage() override;

  // Draws the chosen image through the canvas's icon drawing.
  void Draw(Canvas& canvas, const PixelRect& rect) override;
  bool Transparent() override { return true; }  // an icon's mask
  bool GetEmpty() override;
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  // An icon keeps its images' sizes: both raise InvalidPicture.
  void SetWidth(int32_t width) override;
  void SetHeight(int32_t height) override;
  // Reads an .ico file from the stream's position to its end. Raises InvalidPicture for a malformed
  // file (bad directory, an image outside the file, an image that is neither a DIB nor a PNG); the icon
  // then keeps what it held.
  void LoadFromStream(Stream& stream) override;
  // Writes the .ico file as it was read.
  void SaveToStream(Stream& stream) override;
  // Takes over another IconImage (sharing its bytes).
  void Assign(Image& source) override;

  struct Entry {
    uint32_t offset = 0, size = 0;  // of its bytes within the file
    int32_t width = 0, height = 0;
    uint16_t bitCount = 0;
    bool png = false;
  };
  const std::vector<Entry>& Images() const { return images_; }
  // Index of the image shown, or -1 when empty.
  int32_t BestImage() const { return best_; }

 private:
  std::shared_ptr<const std::vector<uint8_t>> data_;
  std::vector<Entry> images_;
  int32_t best_ = -1;
};

}  // namespace zeb
