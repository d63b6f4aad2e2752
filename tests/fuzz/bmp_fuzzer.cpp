// Feeds arbitrary bytes to the BMP reader; whatever loads is saved, read back and drawn.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/raster_canvas.h"

// A small quarantine keeps memory bounded when inputs declare large (but valid) RLE pictures.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zeb::MemoryStream stream;
  stream.WriteBuffer(data, static_cast<int64_t>(size));
  stream.SetPosition(0);
  zeb::Bitmap bitmap;
  try {
    bitmap.LoadFromStream(stream);
  } catch (const zeb::InvalidPicture&) {
    return 0;
  }
  if (bitmap.GetEmpty() || bitmap.GetWidth() <= 0 || bitmap.GetHeight() <= 0) std::abort();

  // Drawing samples every row and column at most once per canvas pixel, so it stays cheap.
  zeb::RasterCanvas canvas(37, 23);
  bitmap.Draw(canvas, zeb::Rect(-3, -2, 40, 25));
  bitmap.Draw(canvas, zeb::Rect(30, 20, 2, 1));
  bitmap.GetPalette();

  // Saving and reading back must give the same picture (kept to pictures of reasonable size).
  if (bitmap.BitsSize() <= (size_t(32) << 20)) {
    zeb::MemoryStream saved;
    bitmap.SaveToStream(saved);
    saved.SetPosition(0);
    zeb::Bitmap back;
    back.LoadFromStream(saved);
    if (back.InfoSize() != bitmap.InfoSize() || back.BitsSize() != bitmap.BitsSize() ||
        std::memcmp(back.Info(), bitmap.Info(), bitmap.InfoSize()) != 0 ||
        std::memcmp(static_cast<const zeb::Bitmap&>(back).Bits(),
                    static_cast<const zeb::Bitmap&>(bitmap).Bits(), bitmap.BitsSize()) != 0)
      std::abort();
  }
  return 0;
}
