/* gif.spi: GIF pictures through giflib, the first frame of an animation on its logical screen. A frame
   that fills the screen without a transparent colour comes out as an 8-bit DIB with its colour map;
   otherwise the picture is 32-bit with alpha, transparent where the frame leaves the screen empty or
   uses its transparent colour. Interlaced rows are put in their places. A file that ends early keeps
   the rows it has, unless it is interlaced. */
#include <gif_lib.h>
#include <stdlib.h>
#include <string.h>

#include "common/spi_plugin.h"

const char* const kSpiFormatTexts[] = {"00IN", "ZEB GIF plug-in 1.0 (giflib 5)", "*.gif",
                                       "GIF (Graphics Interchange Format)"};
const int kSpiFormatTextCount = 4;

#define GIF_PROGRESS_BAND 64

int SpiFormatSupported(const uint8_t* head, size_t size) {
  return size >= 6 && (memcmp(head, "GIF87a", 6) == 0 || memcmp(head, "GIF89a", 6) == 0);
}

typedef struct GifReader {
  const uint8_t* data;
  size_t size, pos;
  int truncated;
} GifReader;

static int GifRead(GifFileType* gif, GifByteType* out, int count) {
  GifReader* r = (GifReader*)gif->UserData;
  size_t n = count < 0 ? 0 : (size_t)count;
  if (n > r->size - r->pos) {
    n = r->size - r->pos;
    r->truncated = 1;
  }
  memcpy(out, r->data + r->pos, n);
  r->pos += n;
  return (int)n;
}

/* The first frame: its description read, its transparent colour (-1 for none) from the graphic
   control extension before it, and the canvas it is shown on. */
typedef struct GifFrame {
  GifFileType* gif;
  int transparent;
  int64_t width, height; /* the logical screen, grown to hold the frame */
  int bitCount;
} GifFrame;

static int GifOpenFrame(GifFrame* f, GifReader* r) {
  int error = 0;
  memset(f, 0, sizeof *f);
  f->transparent = -1;
  f->gif = DGifOpen(r, GifRead, &error);
  if (f->gif == NULL) return error == D_GIF_ERR_NOT_ENOUGH_MEM ? SPI_NO_MEMORY : SPI_BROKEN_DATA;
  GifFileType* gif = f->gif;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return SPI_BROKEN_DATA;
    if (type == IMAGE_DESC_RECORD_TYPE) break;
    if (type != EXTENSION_RECORD_TYPE) return SPI_BROKEN_DATA; /* no picture before the end */
    int code;
    GifByteType* ext = NULL;
    if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) return SPI_BROKEN_DATA;
    if (code == GRAPHICS_EXT_FUNC_CODE && ext != NULL) {
      GraphicsControlBlock gcb;
      if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK) f->transparent = gcb.TransparentColor;
    }
    while (ext != NULL)
      if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) return SPI_BROKEN_DATA;
  }
  if (DGifGetImageDesc(gif) == GIF_ERROR) return SPI_BROKEN_DATA;
  const GifImageDesc* d = &gif->Image;
  if (d->Width <= 0 || d->Height <= 0) return SPI_BROKEN_DATA;
  if (d->ColorMap == NULL && gif->SColorMap == NULL) return SPI_BROKEN_DATA;
  f->width = gif->SWidth > d->Left + d->Width ? gif->SWidth : d->Left + d->Width;
  f->height = gif->SHeight > d->Top + d->Height ? gif->SHeight : d->Top + d->Height;
  const int covers = d->Left == 0 && d->Top == 0 && d->Width == f->width && d->Height == f->height;
  f->bitCount = covers && f->transparent < 0 ? 8 : 32;
  return SPI_ALL_RIGHT;
}

static void GifCloseFrame(GifFrame* f) {
  int error;
  if (f->gif) DGifCloseFile(f->gif, &error);
}

int SpiFormatInfo(const uint8_t* data, size_t size, int32_t* width, int32_t* height, int* bitCount) {
  GifReader r = {data, size, 0, 0};
  GifFrame f;
  int result = GifOpenFrame(&f, &r);
  if (result == SPI_ALL_RIGHT) {
    *width = (int32_t)f.width;
    *height = (int32_t)f.height;
    *bitCount = f.bitCount;
  }
  GifCloseFrame(&f);
  return result;
}

/* The frame row decoded N-th: rows come in four passes when interlaced. */
static int GifRowOf(int n, int height, int interlaced) {
  static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  if (!interlaced) return n;
  for (int pass = 0; pass < 4; ++pass) {
    int count = height > start[pass] ? (height - start[pass] + step[pass] - 1) / step[pass] : 0;
    if (n < count) return start[pass] + n * step[pass];
    n -= count;
  }
  return -1;
}

static int GifDecodeFrame(GifFrame* f, GifReader* r, SpiDib* dib, ProgressCallback progress, LONG_PTR lData) {
  GifFileType* gif = f->gif;
  const GifImageDesc* d = &gif->Image;
  const ColorMapObject* map = d->ColorMap ? d->ColorMap : gif->SColorMap;
  int result = SpiDibCreate(dib, f->width, f->height, f->bitCount);
  if (result != SPI_ALL_RIGHT) return result;
  /* Colours past the map are black; the transparent one has alpha 0, all others 255. */
  uint8_t bgra[256][4];
  memset(bgra, 0, sizeof bgra);
  for (int i = 0; i < 256; ++i) {
    if (i < map->ColorCount) {
      const GifColorType* c = &map->Colors[i];
      SpiDibSetColor(dib, i, c->Red, c->Green, c->Blue);
      bgra[i][0] = c->Blue, bgra[i][1] = c->Green, bgra[i][2] = c->Red;
    }
    bgra[i][3] = i == f->transparent ? 0 : 255;
  }
  GifPixelType* line = (GifPixelType*)malloc((size_t)d->Width);
  if (line == NULL) return SPI_NO_MEMORY;
  int rowsDone = 0;
  for (int n = 0; n < d->Height; ++n) {
    if (n % GIF_PROGRESS_BAND == 0 && SpiProgress(progress, n, d->Height, lData) != SPI_ALL_RIGHT) {
      result = SPI_ABORT;
      break;
    }
    if (DGifGetLine(gif, line, d->Width) == GIF_ERROR) {
      result = r->truncated && !d->Interlace && rowsDone > 0 ? SPI_ALL_RIGHT : SPI_BROKEN_DATA;
      break;
    }
    uint8_t* out = SpiDibRow(dib, d->Top + GifRowOf(n, d->Height, d->Interlace));
    if (f->bitCount == 8) {
      memcpy(out, line, (size_t)d->Width);
    } else {
      out += (size_t)d->Left * 4;
      for (int x = 0; x < d->Width; ++x, out += 4) memcpy(out, bgra[line[x]], 4);
    }
    ++rowsDone;
  }
  free(line);
  return result;
}

int SpiFormatDecode(const uint8_t* data, size_t size, SpiDib* dib, ProgressCallback progress,
                    LONG_PTR lData) {
  GifReader r = {data, size, 0, 0};
  GifFrame f;
  int result = GifOpenFrame(&f, &r);
  if (result == SPI_ALL_RIGHT) result = GifDecodeFrame(&f, &r, dib, progress, lData);
  GifCloseFrame(&f);
  return result;
}
