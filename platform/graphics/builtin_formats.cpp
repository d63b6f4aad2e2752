// The formats the picture classes read themselves. The mask is built from the latest registration back to the
// first, so registering wmf, emf, ico, bmp, then jpeg and jpg makes it read
// *.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf.
#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"

namespace zeb::PictureFormats {

void RegisterBuiltIn(const std::string& extension, const std::string& description, const ImageFormat* format);

void EnsureBuiltIns() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterBuiltIn("wmf", "Metafiles", &MetafileImage::kFormat);
  RegisterBuiltIn("emf", "Enhanced Metafiles", &MetafileImage::kFormat);
  RegisterBuiltIn("ico", "Icons", &IconImage::kFormat);
  RegisterBuiltIn("bmp", "Bitmaps", &Bitmap::kFormat);
  RegisterBuiltIn("jpeg", "JPEG Image File", &JpegImage::kFormat);
  RegisterBuiltIn("jpg", "JPEG Image File", &JpegImage::kFormat);
}

}  // namespace zeb::PictureFormats
