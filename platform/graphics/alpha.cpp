// Alpha in 32-bit pictures: found and premultiplied once when a picture is loaded, so that drawing
// only blends.
#include "platform/graphics/dib_image.h"

namespace zeb {

void PremultiplyAlpha(DibImage& dib) {
  dib.alpha = false;
  if (dib.bitCount != 32 || !dib.bits) return;
  uint8_t* p = dib.bits.get();
  const size_t pixels = dib.bitsSize / 4;
  size_t i = 0;
  while (i < pixels && p[4 * i + 3] == 0) ++i;
  if (i == pixels) return;
  dib.alpha = true;
  for (i = 0; i < pixels; ++i, p += 4) {
    const unsigned a = p[3];
    if (a == 255) continue;
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((p[c] * a + 127) / 255);
  }
}

void UnpremultiplyAlpha(const uint8_t* in, uint8_t* out, size_t count) {
  for (size_t i = 0; i < count; ++i, in += 4, out += 4) {
    const unsigned a = in[3];
    for (int c = 0; c < 3; ++c) {
      const unsigned v = a == 255 ? in[c] : a ? (in[c] * 255 + a / 2) / a : 0;
      out[c] = static_cast<uint8_t>(v > 255 ? 255 : v);
    }
    out[3] = in[3];
  }
}

}  // namespace zeb
