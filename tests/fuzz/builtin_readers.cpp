#include "builtin_readers.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/raster_canvas.h"

namespace zeb::fuzz {

namespace {
void Fill(MemoryStream& stream, const uint8_t* data, size_t size) {
  stream.WriteBuffer(data, static_cast<int64_t>(size));
  stream.SetPosition(0);
}

// Drawing samples every row and column at most once per canvas pixel, so it stays cheap.
void Draw(Image& picture) {
  RasterCanvas canvas(37, 23);
  picture.Draw(canvas, Rect(-3, -2, 40, 25));
  picture.Draw(canvas, Rect(30, 20, 2, 1));
}

constexpr uint64_t kMaxJpegPixels = uint64_t{1} << 22;

struct HeaderError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

// The picture size the JPEG header declares, as libjpeg reads it (0 when it reads no header).
uint64_t DeclaredPixels(const uint8_t* data, size_t size) {
  jpeg_decompress_struct cinfo;
  HeaderError error;
  cinfo.err = jpeg_std_error(&error.pub);
  error.pub.error_exit = [](j_common_ptr c) {
    std::longjmp(reinterpret_cast<HeaderError*>(c->err)->jump, 1);
  };
  error.pub.emit_message = [](j_common_ptr, int) {};
  uint64_t pixels = 0;
  jpeg_create_decompress(&cinfo);
  if (setjmp(error.jump) == 0) {
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    pixels = uint64_t{cinfo.image_width} * cinfo.image_height;
  }
  jpeg_destroy_decompress(&cinfo);
  return pixels;
}
// Reads the bytes into Picture and draws it: false when the reader refuses them; a picture read but
// empty or without a size is a fault.
bool LoadAndDraw(Image& picture, const uint8_t* data, size_t size) {
  MemoryStream stream;
  Fill(stream, data, size);
  try {
    picture.LoadFromStream(stream);
  } catch (const InvalidPicture&) {
    return false;
  }
  if (picture.GetEmpty() || picture.GetWidth() <= 0 || picture.GetHeight() <= 0) std::abort();
  Draw(picture);
  return true;
}
}  // namespace

void ReadBmp(const uint8_t* data, size_t size) {
  Bitmap bitmap;
  if (!LoadAndDraw(bitmap, data, size)) return;
  bitmap.GetPalette();

  // Saving and reading back must give the same picture (kept to pictures of reasonable size).
  if (bitmap.BitsSize() <= (size_t(32) << 20)) {
    MemoryStream saved;
    bitmap.SaveToStream(saved);
    saved.SetPosition(0);
    Bitmap back;
    back.LoadFromStream(saved);
    if (back.InfoSize() != bitmap.InfoSize() || back.BitsSize() != bitmap.BitsSize() ||
        std::memcmp(back.Info(), bitmap.Info(), bitmap.InfoSize()) != 0 ||
        std::memcmp(static_cast<const Bitmap&>(back).Bits(), static_cast<const Bitmap&>(bitmap).Bits(),
                    bitmap.BitsSize()) != 0)
      std::abort();
  }
}

void ReadJpeg(const uint8_t* data, size_t size) {
  if (DeclaredPixels(data, size) > kMaxJpegPixels) return;
  JpegImage jpeg;
  jpeg.SetLargestDrawSize(20, 12);
  if (!LoadAndDraw(jpeg, data, size)) return;
  Bitmap full;
  try {
    jpeg.AssignTo(full);
  } catch (const InvalidPicture&) {
    return;  // the same bytes, decoded once, may still fail at another scale
  }
  if (full.GetWidth() != jpeg.GetWidth() || full.GetHeight() != jpeg.GetHeight()) std::abort();
}

}  // namespace zeb::fuzz
