/* png.spi: PNG pictures through libpng. Palette pictures come out as 8-bit DIBs with their palette,
   grey ones as 8-bit with a grey ramp, colour ones as 24-bit, and anything with transparency (an alpha
   channel or a tRNS chunk) as 32-bit with alpha. 16-bit channels are scaled to 8 bits with rounding.
   A file that ends early keeps the rows it has, unless it is interlaced. */
#include <png.h>
#include <setjmp.h>
#include <string.h>

#include "common/spi_plugin.h"

const char* const kSpiFormatTexts[] = {"00IN", "ZEB PNG plug-in 1.0 (libpng " PNG_LIBPNG_VER_STRING ")",
                                       "*.png", "PNG (Portable Network Graphics)"};
const int kSpiFormatTextCount = 4;

/* Rows decoded between two progress reports. */
#define PNG_PROGRESS_BAND 64

static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

int SpiFormatSupported(const uint8_t* head, size_t size) {
  return size >= sizeof kSignature && memcmp(head, kSignature, sizeof kSignature) == 0;
}

typedef struct PngReader {
  png_structp png;
  png_infop info;
  const uint8_t* data;
  size_t size, pos;
  int truncated; /* the data ran out */
} PngReader;

static void PngRead(png_structp png, png_bytep out, png_size_t count) {
  PngReader* r = (PngReader*)png_get_io_ptr(png);
  if (count > r->size - r->pos) {
    r->truncated = 1;
    png_error(png, "truncated");
  }
  memcpy(out, r->data + r->pos, count);
  r->pos += count;
}

static void PngError(png_structp png, png_const_charp message) {
  (void)message;
  png_longjmp(png, 1);
}

static void PngWarning(png_structp png, png_const_charp message) {
  (void)png;
  (void)message;
}

static int PngOpen(PngReader* r, const uint8_t* data, size_t size) {
  memset(r, 0, sizeof *r);
  r->data = data;
  r->size = size;
  r->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, r, PngError, PngWarning);
  r->info = r->png ? png_create_info_struct(r->png) : NULL;
  if (r->info == NULL) return SPI_NO_MEMORY;
  png_set_read_fn(r->png, r, PngRead);
  png_set_user_limits(r->png, (png_uint_32)SPI_MAX_PIXELS, (png_uint_32)SPI_MAX_PIXELS);
  return SPI_ALL_RIGHT;
}

static void PngClose(PngReader* r) {
  if (r->png) png_destroy_read_struct(&r->png, r->info ? &r->info : NULL, NULL);
}

/* Chooses the output depth from the header and, when Transform is set, asks libpng for it. */
static int PngPlan(PngReader* r, int transform) {
  png_structp png = r->png;
  png_infop info = r->info;
  const int type = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  const int trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  const int alpha = trns || (type & PNG_COLOR_MASK_ALPHA);
  const int bitCount = alpha ? 32 : (type == PNG_COLOR_TYPE_PALETTE || type == PNG_COLOR_TYPE_GRAY) ? 8 : 24;
  if (!transform) return bitCount;
  if (depth == 16) png_set_scale_16(png);
  if (bitCount == 8) {
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (depth < 8) png_set_packing(png);
  } else {
    png_set_expand(png); /* palette to RGB, tRNS to alpha */
    if (!(type & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    png_set_bgr(png);
  }
  return bitCount;
}

int SpiFormatInfo(const uint8_t* data, size_t size, int32_t* width, int32_t* height, int* bitCount) {
  PngReader r;
  int result = PngOpen(&r, data, size);
  if (result == SPI_ALL_RIGHT) {
    if (setjmp(png_jmpbuf(r.png))) {
      result = SPI_BROKEN_DATA;
    } else {
      png_read_info(r.png, r.info);
      *width = (int32_t)png_get_image_width(r.png, r.info);
      *height = (int32_t)png_get_image_height(r.png, r.info);
      *bitCount = PngPlan(&r, 0);
      if ((int64_t)*width * *height > SPI_MAX_PIXELS) result = SPI_BROKEN_DATA;
    }
  }
  PngClose(&r);
  return result;
}

/* The part of the decode that libpng may leave by its error jump; State keeps what it reached. */
typedef struct PngState {
  volatile int passes, rowsDone, result;
} PngState;

static void PngDecodeRows(PngReader* r, SpiDib* dib, PngState* s, ProgressCallback progress, LONG_PTR lData) {
  png_read_info(r->png, r->info);
  const int bitCount = PngPlan(r, 1);
  s->passes = png_set_interlace_handling(r->png);
  png_read_update_info(r->png, r->info);
  const int64_t width = png_get_image_width(r->png, r->info), height = png_get_image_height(r->png, r->info);
  s->result = SpiDibCreate(dib, width, height, bitCount);
  if (s->result != SPI_ALL_RIGHT) return;
  if (png_get_rowbytes(r->png, r->info) > dib->stride) {
    s->result = SPI_BROKEN_DATA;
    return;
  }
  if (bitCount == 8) {
    png_colorp palette;
    int count = 0;
    if (png_get_color_type(r->png, r->info) == PNG_COLOR_TYPE_PALETTE) {
      if (png_get_PLTE(r->png, r->info, &palette, &count) && count <= 256)
        for (int i = 0; i < count; ++i)
          SpiDibSetColor(dib, i, palette[i].red, palette[i].green, palette[i].blue);
    } else {
      SpiDibGreyRamp(dib, 256, 0);
    }
  }
  const int total = s->passes * dib->height;
  for (int pass = 0; pass < s->passes; ++pass) {
    for (int32_t y = 0; y < dib->height; ++y) {
      if (y % PNG_PROGRESS_BAND == 0 &&
          SpiProgress(progress, pass * dib->height + y, total, lData) != SPI_ALL_RIGHT) {
        s->result = SPI_ABORT;
        return;
      }
      png_read_row(r->png, SpiDibRow(dib, y), NULL);
      if (pass == 0) s->rowsDone = y + 1;
    }
  }
}

int SpiFormatDecode(const uint8_t* data, size_t size, SpiDib* dib, ProgressCallback progress,
                    LONG_PTR lData) {
  PngReader r;
  PngState s = {0, 0, SPI_ALL_RIGHT};
  int result = PngOpen(&r, data, size);
  if (result != SPI_ALL_RIGHT) return result;
  if (setjmp(png_jmpbuf(r.png))) {
    /* A file that stops early shows its rows; any other fault refuses the picture. */
    s.result = r.truncated && s.passes == 1 && s.rowsDone > 0 ? SPI_ALL_RIGHT : SPI_BROKEN_DATA;
  } else {
    PngDecodeRows(&r, dib, &s, progress, lData);
  }
  PngClose(&r);
  return s.result;
}
