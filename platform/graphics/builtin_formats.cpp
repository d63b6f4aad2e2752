// The formats the framework reads itself. Registered so that the mask reads
// *.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf.
#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"

namespace zeb::PictureFormats {

void RegisterBuiltIn(const std::string& extension, const std::string& description, TGraphicClass cls);

void EnsureBuiltIns() {
  static bool done = false;
  if (done) return;
  done = true;
  // Icons, metafiles and JPEG are added with their classes.
  RegisterBuiltIn("bmp", "Bitmaps", &TBitmap::Class);
}

}  // namespace zeb::PictureFormats
