/* png.spi: PNG pictures through libpng. Palette pictures come out as 8-bit DIBs with their palette,
   grey ones as 8-bit with a grey ramp, colour ones as 24-bit, and anything with transparency (an alpha
   channel or a tRNS chunk) as 32-bit with alpha. 16-bit channels are scaled to 8 bits with rounding.
   A file that ends early keeps the rows it has, unless it is interlaced. A picture whose eXIf chunk
   (before the picture data) gives an orientation is turned upright. */
#include <png.h>
#include <setjmp.h>
#include <string.h>

#include "common/display_profile.h"
#include "common/spi_orientation.h"
#include "common/spi_plugin.h"

const char* const kSpiFormatTexts[] = {"00IN", "ZEB PNG plug-in 1.0 (libpng " PNG_LIBPNG_VER_STRING ")",
                                       "*.png", "PNG (Portable Network Graphics)"};
const int kSpiFormatTextCount = 4;

/* Rows decoded between two progress reports. */
#define PNG_PROGRESS_BAND 64
/* Bytes handed to libpng at a time. */
#define PNG_FEED_SIZE (64 * 1024)

static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

int SpiFormatSupported(const uint8_t* head, size_t size) {
  return size >= sizeof kSignature && memcmp(head, kSignature, sizeof kSignature) == 0;
}

typedef struct PngReader {
  png_structp png;
  png_infop info;
  const uint8_t* data;
  size_t size, pos;
} PngReader;

static void PngRead(png_structp png, png_bytep out, png_size_t count) {
  PngReader* r = (PngReader*)png_get_io_ptr(png);
  if (count > r->size - r->pos) png_error(png, "truncated");
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
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  /* The fuzz target gets past the checksums to the decoder. */
  png_set_crc_action(r->png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
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

/* The orientation of the eXIf chunk read so far, 1 without one. */
static int PngOrientation(png_structp png, png_infop info) {
  png_uint_32 size = 0;
  png_bytep exif = NULL;
  return png_get_eXIf_1(png, info, &size, &exif) && exif != NULL ? zeb_exif_orientation(exif, size) : 1;
}

/* The same from the data: libpng's progressive reader passes the chunk over, so the decode reads the
   chunks before the picture data once more for it. */
static int PngHeaderOrientation(const uint8_t* data, size_t size) {
  PngReader r;
  volatile int orientation = 1;
  if (PngOpen(&r, data, size) == SPI_ALL_RIGHT) {
    if (!setjmp(png_jmpbuf(r.png))) {
      png_read_info(r.png, r.info);
      orientation = PngOrientation(r.png, r.info);
    }
  }
  PngClose(&r);
  return orientation;
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
      SpiOrientSize(PngOrientation(r.png, r.info), width, height);
    }
  }
  PngClose(&r);
  return result;
}

/* The decode, driven by libpng's progressive reader so that a file that stops early still hands over
   the rows it had; the callbacks find the DIB and the state here. */
typedef struct PngDecode {
  PngReader* r;
  SpiDib* dib;
  ProgressCallback progress;
  LONG_PTR lData;
  int passes, rowsDone, ended, result;
} PngDecode;

static void PngInfoReady(png_structp png, png_infop info) {
  PngDecode* d = (PngDecode*)png_get_progressive_ptr(png);
  const int bitCount = PngPlan(d->r, 1);
  d->passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  d->result = SpiDibCreate(d->dib, png_get_image_width(png, info), png_get_image_height(png, info), bitCount);
  if (d->result == SPI_ALL_RIGHT && png_get_rowbytes(png, info) > d->dib->stride) d->result = SPI_BROKEN_DATA;
  if (d->result != SPI_ALL_RIGHT) png_error(png, "no picture");
  if (bitCount == 8) {
    png_colorp palette;
    int count = 0;
    if (png_get_color_type(png, info) != PNG_COLOR_TYPE_PALETTE)
      SpiDibGreyRamp(d->dib, 256, 0);
    else if (png_get_PLTE(png, info, &palette, &count) && count <= 256)
      for (int i = 0; i < count; ++i)
        SpiDibSetColor(d->dib, i, palette[i].red, palette[i].green, palette[i].blue);
  }
}

static void PngRowReady(png_structp png, png_bytep row, png_uint_32 y, int pass) {
  PngDecode* d = (PngDecode*)png_get_progressive_ptr(png);
  if (row == NULL || y >= (png_uint_32)d->dib->height) return;
  png_progressive_combine_row(png, SpiDibRow(d->dib, (int32_t)y), row);
  /* Rows complete: all of them when not interlaced, else those of the last pass (the odd rows). */
  if (d->passes == 1 || pass == 6) d->rowsDone = (int)y + 1;
  if (y % PNG_PROGRESS_BAND == 0 && SpiProgress(d->progress, pass * d->dib->height + (int)y,
                                                d->passes * d->dib->height, d->lData) != SPI_ALL_RIGHT) {
    d->result = SPI_ABORT;
    png_error(png, "aborted");
  }
}

static void PngEnded(png_structp png, png_infop info) {
  (void)info;
  ((PngDecode*)png_get_progressive_ptr(png))->ended = 1;
}

int SpiFormatDecode(const uint8_t* data, size_t size, SpiDib* dib, ProgressCallback progress,
                    LONG_PTR lData) {
  PngReader r;
  int result = PngOpen(&r, data, size);
  if (result != SPI_ALL_RIGHT) {
    PngClose(&r);
    return result;
  }
  PngDecode d = {&r, dib, progress, lData, 0, 0, 0, SPI_ALL_RIGHT};
  if (setjmp(png_jmpbuf(r.png))) {
    if (d.result == SPI_ALL_RIGHT) d.result = SPI_BROKEN_DATA;
  } else {
    png_set_progressive_read_fn(r.png, &d, PngInfoReady, PngRowReady, PngEnded);
    for (size_t fed = 0; fed < size && !d.ended;) {
      size_t n = size - fed < PNG_FEED_SIZE ? size - fed : PNG_FEED_SIZE;
      png_process_data(r.png, r.info, (png_bytep)data + fed, n);
      fed += n;
    }
    /* A file that stops early shows its rows, unless it is interlaced; a header alone shows nothing.
       A file whose image data ends before its last row disagrees with its header. */
    const int needed = d.passes == 1 ? dib->height : dib->height - 1;
    if (d.ended ? d.rowsDone < needed : d.passes != 1 || d.rowsDone == 0) d.result = SPI_BROKEN_DATA;
  }
  png_charp name;
  int method;
  png_bytep profile;
  png_uint_32 length;
  if (d.result == SPI_ALL_RIGHT && png_get_iCCP(r.png, r.info, &name, &method, &profile, &length))
    SpiDibToDisplay(dib, profile, length);
  PngClose(&r);
  return d.result == SPI_ALL_RIGHT ? SpiDibOrient(dib, PngHeaderOrientation(data, size)) : d.result;
}
