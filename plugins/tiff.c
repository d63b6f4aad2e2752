/* tiff.spi: TIFF pictures through libtiff, the first page. Grey and palette pictures of one sample
   (1, 2, 4, 8 or 16 bits) come out as 8-bit DIBs with a grey ramp or their colour map, 8/16-bit RGB as
   24-bit and RGB with alpha as 32-bit, all read as stored, strip by strip or tile by tile; everything
   else libtiff can show as RGBA (CMYK, YCbCr, other sample layouts) comes out as 24-bit, or 32-bit
   when it has alpha. 16-bit samples are rounded to 8 bits. A stripped file that ends early keeps the
   rows it has. Pixels are read as stored and then turned upright as the orientation tag says. */
#include <stdlib.h>
#include <string.h>
#include <tiffio.h>

#include "common/display_profile.h"
#include "common/spi_orientation.h"
#include "common/spi_plugin.h"

const char* const kSpiFormatTexts[] = {"00IN", "ZEB TIFF plug-in 1.0 (libtiff 4)", "*.tif;*.tiff",
                                       "TIFF (Tagged Image File Format)"};
const int kSpiFormatTextCount = 4;

/* The largest single block libtiff may allocate. */
#define TIFF_MAX_ALLOC ((tmsize_t)512 * 1024 * 1024)

int SpiFormatSupported(const uint8_t* head, size_t size) {
  if (size < 4) return 0;
  return (head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0) ||
         (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43));
}

/* The data in memory, as libtiff's client procedures see it. */
typedef struct TiffMemory {
  const uint8_t* data;
  toff_t size, pos;
} TiffMemory;

static tmsize_t TiffRead(thandle_t h, void* buf, tmsize_t count) {
  TiffMemory* m = (TiffMemory*)h;
  if (count < 0) return -1;
  toff_t n = m->pos < m->size ? m->size - m->pos : 0;
  if ((toff_t)count < n) n = (toff_t)count;
  if (n) memcpy(buf, m->data + m->pos, (size_t)n);
  m->pos += n;
  return (tmsize_t)n;
}
static tmsize_t TiffWrite(thandle_t h, void* buf, tmsize_t count) {
  (void)h, (void)buf, (void)count;
  return -1;
}
static toff_t TiffSeek(thandle_t h, toff_t offset, int whence) {
  TiffMemory* m = (TiffMemory*)h;
  toff_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? m->size : 0;
  if (offset > (toff_t)INT64_MAX - base) return (toff_t)-1;
  m->pos = base + offset;
  return m->pos;
}
static int TiffClose(thandle_t h) {
  (void)h;
  return 0;
}
static toff_t TiffSize(thandle_t h) { return ((TiffMemory*)h)->size; }
static int TiffMap(thandle_t h, void** base, toff_t* size) {
  *base = (void*)((TiffMemory*)h)->data;
  *size = ((TiffMemory*)h)->size;
  return 1;
}
static void TiffUnmap(thandle_t h, void* base, toff_t size) { (void)h, (void)base, (void)size; }
static int TiffQuiet(TIFF* tif, void* user, const char* module, const char* fmt, va_list ap) {
  (void)tif, (void)user, (void)module, (void)fmt, (void)ap;
  return 1;
}

static TIFF* TiffOpen(TiffMemory* m, const uint8_t* data, size_t size) {
  m->data = data;
  m->size = size;
  m->pos = 0;
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == NULL) return NULL;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, TIFF_MAX_ALLOC);
  TIFFOpenOptionsSetErrorHandlerExtR(options, TiffQuiet, NULL);
  TIFFOpenOptionsSetWarningHandlerExtR(options, TiffQuiet, NULL);
  TIFF* tif = TIFFClientOpenExt("", "rm", (thandle_t)m, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                                TiffMap, TiffUnmap, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

/* How a page is read: its size, whether one sample is read as it is stored (8-bit output), and the
   output depth. */
typedef struct TiffPlan {
  uint32_t width, height;
  uint16_t bits, photometric, spp, orientation;
  int direct, bitCount;
  int premultiplied; /* the colours come premultiplied by alpha and are to be divided back */
} TiffPlan;

static int TiffMakePlan(TIFF* tif, TiffPlan* p) {
  uint16_t spp = 1, format = SAMPLEFORMAT_UINT, orientation = ORIENTATION_TOPLEFT,
           planar = PLANARCONFIG_CONTIG;
  uint16_t extra = 0, *kinds = NULL;
  memset(p, 0, sizeof *p);
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &p->width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &p->height))
    return SPI_BROKEN_DATA;
  if (!SpiSizeAllowed(p->width, p->height)) return SPI_BROKEN_DATA;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &p->bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extra, &kinds);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p->photometric)) p->photometric = 0xFFFF;
  p->spp = spp;
  p->orientation = orientation;
  /* Read as stored: one grey or palette sample, or 8/16-bit RGB with or without alpha. */
  const int plain = format == SAMPLEFORMAT_UINT && (planar == PLANARCONFIG_CONTIG || spp == 1);
  const int grey = p->photometric == PHOTOMETRIC_MINISBLACK || p->photometric == PHOTOMETRIC_MINISWHITE;
  const int palette = p->photometric == PHOTOMETRIC_PALETTE && p->bits <= 8;
  const int bitsOk = p->bits == 1 || p->bits == 2 || p->bits == 4 || p->bits == 8 || (grey && p->bits == 16);
  const int alphaKind = extra == 1 && kinds != NULL ? kinds[0] : -1;
  const int rgbAlpha =
      spp == 4 && (alphaKind == EXTRASAMPLE_ASSOCALPHA || alphaKind == EXTRASAMPLE_UNASSALPHA);
  if (plain && spp == 1 && bitsOk && (grey || palette)) {
    p->direct = 1;
    p->bitCount = 8;
    return SPI_ALL_RIGHT;
  }
  if (plain && p->photometric == PHOTOMETRIC_RGB && (p->bits == 8 || p->bits == 16) &&
      (spp == 3 || rgbAlpha)) {
    p->direct = 1;
    p->bitCount = spp == 3 ? 24 : 32;
    p->premultiplied = alphaKind == EXTRASAMPLE_ASSOCALPHA;
    return SPI_ALL_RIGHT;
  }
  char message[1024];
  if (!TIFFRGBAImageOK(tif, message)) return SPI_UNKNOWN_FORMAT;
  /* libtiff's RGBA reader premultiplies unassociated colour alpha, but hands grey with alpha over as
     stored: premultiplied only when the file says so. */
  p->premultiplied = !(grey && spp == 2 && alphaKind == EXTRASAMPLE_UNASSALPHA);
  p->bitCount = extra > 0 && kinds != NULL &&
                        (kinds[0] == EXTRASAMPLE_ASSOCALPHA || kinds[0] == EXTRASAMPLE_UNASSALPHA ||
                         (kinds[0] == EXTRASAMPLE_UNSPECIFIED && spp > 3))
                    ? 32
                    : 24;
  return SPI_ALL_RIGHT;
}

int SpiFormatInfo(const uint8_t* data, size_t size, int32_t* width, int32_t* height, int* bitCount) {
  TiffMemory m;
  TiffPlan p;
  TIFF* tif = TiffOpen(&m, data, size);
  if (tif == NULL) return SPI_BROKEN_DATA;
  int result = TiffMakePlan(tif, &p);
  TIFFClose(tif);
  if (result == SPI_ALL_RIGHT) {
    *width = (int32_t)p.width;
    *height = (int32_t)p.height;
    *bitCount = p.bitCount;
    SpiOrientSize(p.orientation, width, height);
  }
  return result;
}

/* Sample X of a row of Bits-bit samples (16-bit ones rounded to 8). */
static inline uint8_t TiffSample(const uint8_t* row, uint32_t x, int bits) {
  switch (bits) {
    case 1:
      return (uint8_t)((row[x >> 3] >> (7 - (x & 7))) & 1);
    case 2:
      return (uint8_t)((row[x >> 2] >> (6 - 2 * (x & 3))) & 3);
    case 4:
      return (uint8_t)((row[x >> 1] >> (4 - 4 * (x & 1))) & 15);
    case 8:
      return row[x];
    default: {
      uint16_t v;
      memcpy(&v, row + 2 * (size_t)x, 2); /* libtiff hands samples over in the machine's order */
      return SpiTo8(v);
    }
  }
}

static inline uint8_t TiffUnpremultiply(uint32_t c, uint32_t a) {
  uint32_t v = a ? (c * 255 + a / 2) / a : 0;
  return (uint8_t)(v > 255 ? 255 : v);
}

static void TiffColourTable(TIFF* tif, const TiffPlan* p, SpiDib* dib) {
  const int levels = p->bits == 16 ? 256 : 1 << p->bits;
  uint16_t *red, *green, *blue;
  if (dib->bitCount != 8) {
    return;
  } else if (p->photometric != PHOTOMETRIC_PALETTE) {
    SpiDibGreyRamp(dib, levels, p->photometric == PHOTOMETRIC_MINISWHITE);
  } else if (TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) {
    /* Some writers store 8-bit values in the 16-bit map. */
    int wide = 0;
    for (int i = 0; i < levels; ++i) wide |= red[i] > 255 || green[i] > 255 || blue[i] > 255;
    for (int i = 0; i < levels; ++i)
      SpiDibSetColor(dib, i, wide ? SpiTo8(red[i]) : (uint8_t)red[i],
                     wide ? SpiTo8(green[i]) : (uint8_t)green[i], wide ? SpiTo8(blue[i]) : (uint8_t)blue[i]);
  }
}

/* The rows of one strip, or of one row of tiles, at most the picture's. */
static uint32_t TiffBlockHeight(TIFF* tif, const TiffPlan* p) {
  uint32_t rows = 0;
  if (TIFFIsTiled(tif))
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &rows);
  else
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
  return rows == 0 || rows > p->height ? p->height : rows;
}

/* Samples as stored, strip by strip or tile by tile. Returns the rows complete from the top through
 *RowsDone. */
static int TiffDecodeDirect(TIFF* tif, const TiffPlan* p, SpiDib* dib, ProgressCallback progress,
                            LONG_PTR lData, uint32_t* rowsDone) {
  const int tiled = TIFFIsTiled(tif);
  const uint32_t blockHeight = TiffBlockHeight(tif, p);
  uint32_t blockWidth = p->width;
  if (tiled) TIFFGetField(tif, TIFFTAG_TILEWIDTH, &blockWidth);
  if (blockWidth == 0) return SPI_BROKEN_DATA;
  const tmsize_t blockSize = tiled ? TIFFTileSize(tif) : TIFFStripSize(tif);
  const tmsize_t rowSize = tiled ? TIFFTileRowSize(tif) : TIFFScanlineSize(tif);
  if (blockSize <= 0 || rowSize <= 0 || rowSize < ((tmsize_t)blockWidth * p->spp * p->bits + 7) / 8 ||
      blockSize / rowSize < (tmsize_t)blockHeight)
    return SPI_BROKEN_DATA;
  uint8_t* block = (uint8_t*)malloc((size_t)blockSize);
  if (block == NULL) return SPI_NO_MEMORY;
  TiffColourTable(tif, p, dib);
  int result = SPI_ALL_RIGHT;
  for (uint32_t top = 0; top < p->height && result == SPI_ALL_RIGHT; top += blockHeight) {
    if (SpiProgress(progress, (int)top, (int)p->height, lData) != SPI_ALL_RIGHT) {
      result = SPI_ABORT;
      break;
    }
    const uint32_t rows = p->height - top < blockHeight ? p->height - top : blockHeight;
    for (uint32_t left = 0; left < p->width; left += blockWidth) {
      tmsize_t got = tiled ? TIFFReadEncodedTile(tif, TIFFComputeTile(tif, left, top, 0, 0), block, blockSize)
                           : TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, top, 0), block, blockSize);
      if (got < rowSize * (tmsize_t)rows) {
        result = SPI_BROKEN_DATA;
        break;
      }
      const uint32_t columns = p->width - left < blockWidth ? p->width - left : blockWidth;
      for (uint32_t y = 0; y < rows; ++y) {
        const uint8_t* in = block + (size_t)y * (size_t)rowSize;
        uint8_t* out = SpiDibRow(dib, (int32_t)(top + y)) + (size_t)left * (dib->bitCount / 8);
        if (p->spp == 1) {
          for (uint32_t x = 0; x < columns; ++x) out[x] = TiffSample(in, x, p->bits);
        } else {
          for (uint32_t x = 0, i = 0; x < columns; ++x, i += p->spp) {
            const uint8_t red = TiffSample(in, i, p->bits), green = TiffSample(in, i + 1, p->bits);
            const uint8_t blue = TiffSample(in, i + 2, p->bits),
                          alpha = p->spp == 4 ? TiffSample(in, i + 3, p->bits) : 255;
            *out++ = p->premultiplied ? TiffUnpremultiply(blue, alpha) : blue;
            *out++ = p->premultiplied ? TiffUnpremultiply(green, alpha) : green;
            *out++ = p->premultiplied ? TiffUnpremultiply(red, alpha) : red;
            if (p->spp == 4) *out++ = alpha;
          }
        }
      }
    }
    if (result == SPI_ALL_RIGHT) *rowsDone = top + rows;
  }
  free(block);
  return result;
}

/* Anything else through libtiff's RGBA reader, a strip or a row of tiles at a time. */
static int TiffDecodeRgba(TIFF* tif, const TiffPlan* p, SpiDib* dib, ProgressCallback progress,
                          LONG_PTR lData, uint32_t* rowsDone) {
  char message[1024];
  TIFFRGBAImage image;
  if (!TIFFRGBAImageBegin(&image, tif, 1, message)) return SPI_UNKNOWN_FORMAT;
  image.req_orientation = image.orientation; /* as stored, turned upright afterwards */
  uint32_t band = TiffBlockHeight(tif, p);
  if (band < 16) band = p->height < 16 ? p->height : 16;
  uint32_t* raster = (uint32_t*)malloc((size_t)p->width * band * 4);
  int result = raster ? SPI_ALL_RIGHT : SPI_NO_MEMORY;
  for (uint32_t top = 0; top < p->height && result == SPI_ALL_RIGHT; top += band) {
    if (SpiProgress(progress, (int)top, (int)p->height, lData) != SPI_ALL_RIGHT) {
      result = SPI_ABORT;
      break;
    }
    const uint32_t rows = p->height - top < band ? p->height - top : band;
    image.row_offset = (int)top;
    image.col_offset = 0;
    if (!TIFFRGBAImageGet(&image, raster, p->width, rows)) {
      result = SPI_BROKEN_DATA;
      break;
    }
    for (uint32_t y = 0; y < rows; ++y) {
      const uint32_t* in = raster + (size_t)y * p->width;
      uint8_t* out = SpiDibRow(dib, (int32_t)(top + y));
      for (uint32_t x = 0; x < p->width; ++x, ++in) {
        const uint32_t a = TIFFGetA(*in);
        if (dib->bitCount == 32) {
          /* A DIB keeps straight colours. */
          *out++ = p->premultiplied ? TiffUnpremultiply(TIFFGetB(*in), a) : (uint8_t)TIFFGetB(*in);
          *out++ = p->premultiplied ? TiffUnpremultiply(TIFFGetG(*in), a) : (uint8_t)TIFFGetG(*in);
          *out++ = p->premultiplied ? TiffUnpremultiply(TIFFGetR(*in), a) : (uint8_t)TIFFGetR(*in);
          *out++ = (uint8_t)a;
        } else {
          *out++ = (uint8_t)TIFFGetB(*in);
          *out++ = (uint8_t)TIFFGetG(*in);
          *out++ = (uint8_t)TIFFGetR(*in);
        }
      }
    }
    *rowsDone = top + rows;
  }
  free(raster);
  TIFFRGBAImageEnd(&image);
  return result;
}

/* Whether some strip's data reaches past the end of the file. */
static int TiffTruncated(TIFF* tif, toff_t size) {
  const uint32_t strips = TIFFNumberOfStrips(tif);
  for (uint32_t s = 0; s < strips; ++s) {
    const toff_t offset = TIFFGetStrileOffset(tif, s), count = TIFFGetStrileByteCount(tif, s);
    if (offset > size || count > size - offset) return 1;
  }
  return 0;
}

int SpiFormatDecode(const uint8_t* data, size_t size, SpiDib* dib, ProgressCallback progress,
                    LONG_PTR lData) {
  TiffMemory m;
  TiffPlan p;
  TIFF* tif = TiffOpen(&m, data, size);
  if (tif == NULL) return SPI_BROKEN_DATA;
  int result = TiffMakePlan(tif, &p);
  if (result == SPI_ALL_RIGHT) result = SpiDibCreate(dib, p.width, p.height, p.bitCount);
  if (result == SPI_ALL_RIGHT) {
    uint32_t rowsDone = 0;
    result = p.direct ? TiffDecodeDirect(tif, &p, dib, progress, lData, &rowsDone)
                      : TiffDecodeRgba(tif, &p, dib, progress, lData, &rowsDone);
    /* A stripped file that ends early shows the rows it has. */
    if (result == SPI_BROKEN_DATA && rowsDone > 0 && !TIFFIsTiled(tif) && TiffTruncated(tif, m.size))
      result = SPI_ALL_RIGHT;
  }
  uint32_t iccSize = 0;
  void* icc = NULL;
  if (result == SPI_ALL_RIGHT && TIFFGetField(tif, TIFFTAG_ICCPROFILE, &iccSize, &icc))
    SpiDibToDisplay(dib, icc, iccSize);
  TIFFClose(tif);
  return result == SPI_ALL_RIGHT ? SpiDibOrient(dib, p.orientation) : result;
}
