/* webp.spi: WebP pictures through libwebp: lossy, lossless, with or without alpha, and the first frame
   of an animation (composed on its canvas). Pictures with alpha come out as 32-bit DIBs, the others as
   24-bit. A still picture is decoded incrementally straight into the DIB, top row first, and its rows
   are then put in the DIB's bottom-up order, so a file that ends early keeps the rows it has. A picture
   whose EXIF chunk gives an orientation is turned upright. */
#include <string.h>
#include <webp/decode.h>
#include <webp/demux.h>

#include "common/display_profile.h"
#include "common/spi_orientation.h"
#include "common/spi_plugin.h"

const char* const kSpiFormatTexts[] = {"00IN", "ZEB WebP plug-in 1.0 (libwebp)", "*.webp", "WebP"};
const int kSpiFormatTextCount = 4;

/* Bytes handed to the decoder between two progress reports. */
#define WEBP_PROGRESS_CHUNK (256 * 1024)

int SpiFormatSupported(const uint8_t* head, size_t size) {
  return size >= 16 && memcmp(head, "RIFF", 4) == 0 && memcmp(head + 8, "WEBP", 4) == 0 &&
         (memcmp(head + 12, "VP8 ", 4) == 0 || memcmp(head + 12, "VP8L", 4) == 0 ||
          memcmp(head + 12, "VP8X", 4) == 0);
}

static int WebpResult(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OK:
      return SPI_ALL_RIGHT;
    case VP8_STATUS_OUT_OF_MEMORY:
      return SPI_NO_MEMORY;
    case VP8_STATUS_UNSUPPORTED_FEATURE:
      return SPI_UNKNOWN_FORMAT;
    default:
      return SPI_BROKEN_DATA;
  }
}

/* The orientation the demuxed file's EXIF chunk gives: 1 without one, 0 when the file says it has one
   but the chunk is not there (the chunk follows the picture data, and the data may stop before it). */
static int WebpOrientation(WebPDemuxer* demux) {
  WebPChunkIterator chunk;
  if (demux == NULL || !(WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG)) return 1;
  if (!WebPDemuxGetChunk(demux, "EXIF", 1, &chunk)) return 0;
  const int orientation = zeb_exif_orientation(chunk.chunk.bytes, chunk.chunk.size);
  WebPDemuxReleaseChunkIterator(&chunk);
  return orientation;
}

int SpiFormatInfo(const uint8_t* data, size_t size, int32_t* width, int32_t* height, int* bitCount) {
  WebPBitstreamFeatures features;
  int result = WebpResult(WebPGetFeatures(data, size, &features)), unreached = 0;
  if (result == SPI_ALL_RIGHT) {
    *width = features.width;
    *height = features.height;
    *bitCount = features.has_alpha ? 32 : 24;
    WebPData webp = {data, size};
    WebPDemuxState state;
    WebPDemuxer* demux = WebPDemuxPartial(&webp, &state);
    const int orientation = WebpOrientation(demux);
    unreached = orientation == 0 && state != WEBP_DEMUX_DONE;
    WebPDemuxDelete(demux);
    SpiOrientSize(orientation, width, height);
  }
  /* Only the start of the file was read: the whole of it is, to find the orientation (a file cut off
     before its EXIF chunk is told as broken here, and still shows the rows it has). */
  return unreached ? SPI_BROKEN_DATA : result;
}

/* The first frame of an animation, composed on the canvas. */
static int WebpDecodeAnimation(const uint8_t* data, size_t size, SpiDib* dib) {
  WebPData webp = {data, size};
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) return SPI_OTHER_ERROR;
  options.color_mode = MODE_BGRA;
  options.use_threads = 0;
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&webp, &options);
  if (decoder == NULL) return SPI_BROKEN_DATA;
  WebPAnimInfo info;
  uint8_t* frame = NULL;
  int timestamp = 0;
  int result = SPI_BROKEN_DATA;
  if (WebPAnimDecoderGetInfo(decoder, &info) && (int64_t)info.canvas_width == dib->width &&
      (int64_t)info.canvas_height == dib->height && WebPAnimDecoderGetNext(decoder, &frame, &timestamp)) {
    for (int32_t y = 0; y < dib->height; ++y) {
      const uint8_t* in = frame + (size_t)y * dib->width * 4;
      uint8_t* out = SpiDibRow(dib, y);
      if (dib->bitCount == 32) {
        memcpy(out, in, (size_t)dib->width * 4);
      } else {
        for (int32_t x = 0; x < dib->width; ++x, in += 4, out += 3) memcpy(out, in, 3);
      }
    }
    result = SPI_ALL_RIGHT;
  }
  WebPAnimDecoderDelete(decoder);
  return result;
}

/* Reverses the order of the DIB's rows in place. */
static void ReverseRows(SpiDib* dib) {
  uint8_t chunk[256];
  for (int32_t y = 0; y < dib->height / 2; ++y) {
    uint8_t* a = dib->bits + (size_t)y * dib->stride;
    uint8_t* b = dib->bits + (size_t)(dib->height - 1 - y) * dib->stride;
    for (size_t x = 0; x < dib->stride; x += sizeof chunk) {
      const size_t n = dib->stride - x < sizeof chunk ? dib->stride - x : sizeof chunk;
      memcpy(chunk, a + x, n);
      memcpy(a + x, b + x, n);
      memcpy(b + x, chunk, n);
    }
  }
}

/* A still picture, fed to the incremental decoder a chunk at a time. libwebp's own flip (a negative
   stride) is not used: its row addressing with a negative stride overflows a pointer, which is
   undefined behaviour on every lossy picture taller than one macroblock. */
static int WebpDecodeStill(const uint8_t* data, size_t size, SpiDib* dib, ProgressCallback progress,
                           LONG_PTR lData) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) return SPI_OTHER_ERROR;
  config.output.colorspace = dib->bitCount == 32 ? MODE_BGRA : MODE_BGR;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = dib->bits;
  config.output.u.RGBA.stride = (int)dib->stride;
  config.output.u.RGBA.size = dib->stride * (size_t)dib->height;
  WebPIDecoder* decoder = WebPIDecode(NULL, 0, &config);
  if (decoder == NULL) return SPI_NO_MEMORY;
  int result = SPI_ALL_RIGHT, rows = 0;
  VP8StatusCode status = VP8_STATUS_SUSPENDED;
  for (size_t fed = 0; fed < size && status == VP8_STATUS_SUSPENDED;) {
    fed = size - fed > WEBP_PROGRESS_CHUNK ? fed + WEBP_PROGRESS_CHUNK : size;
    status = WebPIUpdate(decoder, data, fed);
    if (WebPIDecGetRGB(decoder, &rows, NULL, NULL, NULL) == NULL) rows = 0;
    if (status == VP8_STATUS_SUSPENDED && SpiProgress(progress, rows, dib->height, lData) != SPI_ALL_RIGHT) {
      result = SPI_ABORT;
      break;
    }
  }
  /* Data that ends early keeps the rows it had. */
  if (result == SPI_ALL_RIGHT)
    result = status == VP8_STATUS_SUSPENDED && rows > 0 ? SPI_ALL_RIGHT : WebpResult(status);
  if (result == SPI_ALL_RIGHT) ReverseRows(dib);
  WebPIDelete(decoder);
  WebPFreeDecBuffer(&config.output);
  return result;
}

/* The decoded picture made ready from one reading of the file's chunks: converted from the profile of
   its ICCP chunk, then turned as its EXIF chunk says. */
static int WebpFinish(const uint8_t* data, size_t size, SpiDib* dib) {
  WebPData bytes = {data, size};
  WebPDemuxer* demux = WebPDemuxPartial(&bytes, NULL);
  WebPChunkIterator chunk;
  if (demux && (WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & ICCP_FLAG) &&
      WebPDemuxGetChunk(demux, "ICCP", 1, &chunk)) {
    SpiDibToDisplay(dib, chunk.chunk.bytes, chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
  }
  const int orientation = WebpOrientation(demux);
  WebPDemuxDelete(demux);
  return SpiDibOrient(dib, orientation);
}

int SpiFormatDecode(const uint8_t* data, size_t size, SpiDib* dib, ProgressCallback progress,
                    LONG_PTR lData) {
  WebPBitstreamFeatures features;
  int result = WebpResult(WebPGetFeatures(data, size, &features));
  if (result == SPI_ALL_RIGHT)
    result = SpiDibCreate(dib, features.width, features.height, features.has_alpha ? 32 : 24);
  if (result != SPI_ALL_RIGHT) return result;
  result = features.has_animation ? WebpDecodeAnimation(data, size, dib)
                                  : WebpDecodeStill(data, size, dib, progress, lData);
  return result == SPI_ALL_RIGHT ? WebpFinish(data, size, dib) : result;
}
