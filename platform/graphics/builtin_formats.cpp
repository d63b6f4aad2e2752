// The formats the picture classes read themselves. The mask is built from the latest registration back to the
// first, so registering wmf, emf, ico, bmp, then jpeg and jpg makes it read
// *.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf.
#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"

namespace zeb::PictureFormats {

void RegisterBuiltIn(const std::string& extension, const std::string& description, ImageClass cls);

void EnsureBuiltIns() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterBuiltIn("wmf", "Metafiles", &MetafileImage::Class);
  RegisterBuiltIn("emf", "Enhanced Metafiles", &MetafileImage::Class);
  RegisterBuiltIn("ico", "Icons", &IconImage::Class);
  RegisterBuiltIn("bmp", "Bitmaps", &Bitmap::Class);
  RegisterBuiltIn("jpeg", "JPEG Image File", &JpegImage::Class);
  RegisterBuiltIn("jpg", "JPEG Image File", &JpegImage::Class);
}

}  // namespace zeb::PictureFormats
