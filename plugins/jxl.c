/* jxl.spi: JPEG XL pictures through libjxl, bare codestreams and ISO BMFF containers alike, lossy or
   lossless, of any bit depth (rounded to 8 bits by libjxl), upright (libjxl applies the orientation the
   file names), the first frame of an animation (composed on its canvas). Pictures with alpha come out
   as 32-bit DIBs with straight alpha, the others as 24-bit. libjxl writes the pixels straight into the
   DIB's memory; progress is reported, and a stop honoured, between pieces of its thread pool's runs. */
#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>
#include <stdlib.h>
#include <string.h>

#include "common/display_profile.h"
#include "common/spi_plugin.h"

const char* const kSpiFormatTexts[] = {"00IN", "ZEB JPEG XL plug-in 1.0 (libjxl)", "*.jxl", "JPEG XL"};
const int kSpiFormatTextCount = 4;

int SpiFormatSupported(const uint8_t* head, size_t size) {
  static const uint8_t kContainer[12] = {0, 0, 0, 12, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
  return (size >= 2 && head[0] == 0xFF && head[1] == 0x0A) ||
         (size >= sizeof kContainer && memcmp(head, kContainer, sizeof kContainer) == 0);
}

/* libjxl's thread pool with its runs cut into pieces: between them, on the caller's thread, progress is
   told and a stop asked for ends the decoding. */
typedef struct JxlPacedRunner {
  void* pool;
  ProgressCallback progress;
  LONG_PTR lData;
  int done, total; /* tasks run, of about as many as the picture is expected to take */
  int stopped;
} JxlPacedRunner;

/* Later pieces of a run: the run's set-up was made by its first piece, for the same pool. */
static JxlParallelRetCode JxlSetUpAlready(void* opaque, size_t threads) {
  (void)opaque;
  (void)threads;
  return 0;
}

static JxlParallelRetCode JxlPacedRun(void* runnerOpaque, void* jpegxlOpaque, JxlParallelRunInit init,
                                      JxlParallelRunFunction func, uint32_t start, uint32_t end) {
  JxlPacedRunner* paced = (JxlPacedRunner*)runnerOpaque;
  /* Eight pieces of a long run, so that the pool's threads stay busy within each. */
  const uint32_t count = end - start, piece = count < 16 ? count : (count + 7) / 8;
  if (count == 0) return JxlThreadParallelRunner(paced->pool, jpegxlOpaque, init, func, start, end);
  for (uint32_t begin = start; begin < end; begin += piece) {
    const uint32_t stop = end - begin < piece ? end : begin + piece;
    const JxlParallelRetCode result = JxlThreadParallelRunner(
        paced->pool, jpegxlOpaque, begin == start ? init : JxlSetUpAlready, func, begin, stop);
    if (result != 0) return result;
    paced->done += (int)(stop - begin);
    if (paced->done >= paced->total) paced->total = paced->done + paced->done / 4 + 1;
    if (SpiProgress(paced->progress, paced->done, paced->total, paced->lData) != SPI_ALL_RIGHT) {
      paced->stopped = 1;
      return JXL_PARALLEL_RET_RUNNER_ERROR;
    }
  }
  return 0;
}

/* One decoding: the decoder, its threads, and the picture it writes into. */
typedef struct JxlRead {
  JxlDecoder* decoder;
  JxlPacedRunner runner;
  JxlBasicInfo info;
  SpiDib* dib;
  void* profile; /* the ICC profile of the decoded pixels (malloc'ed), or NULL when they are sRGB */
  size_t profileSize;
} JxlRead;

static void JxlReadEnd(JxlRead* read) {
  if (read->decoder) JxlDecoderDestroy(read->decoder);
  if (read->runner.pool) JxlThreadParallelRunnerDestroy(read->runner.pool);
  free(read->profile);
  memset(read, 0, sizeof *read);
}

/* Makes the decoder for the given events, upright output and straight alpha; a result code. */
static int JxlReadBegin(JxlRead* read, int events, int threads) {
  memset(read, 0, sizeof *read);
  read->decoder = JxlDecoderCreate(NULL);
  if (read->decoder == NULL) return SPI_NO_MEMORY;
  if (threads) {
    read->runner.pool = JxlThreadParallelRunnerCreate(NULL, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    if (read->runner.pool == NULL ||
        JxlDecoderSetParallelRunner(read->decoder, JxlPacedRun, &read->runner) != JXL_DEC_SUCCESS)
      return SPI_NO_MEMORY;
  }
  return JxlDecoderSubscribeEvents(read->decoder, events) == JXL_DEC_SUCCESS &&
                 JxlDecoderSetKeepOrientation(read->decoder, JXL_FALSE) == JXL_DEC_SUCCESS &&
                 JxlDecoderSetUnpremultiplyAlpha(read->decoder, JXL_TRUE) == JXL_DEC_SUCCESS
             ? SPI_ALL_RIGHT
             : SPI_OTHER_ERROR;
}

/* The size of the upright picture: orientations 5 to 8 turn it by a quarter. */
static void JxlUprightSize(const JxlBasicInfo* info, int64_t* width, int64_t* height) {
  const int turned = info->orientation >= JXL_ORIENT_TRANSPOSE;
  *width = turned ? info->ysize : info->xsize;
  *height = turned ? info->xsize : info->ysize;
}

int SpiFormatInfo(const uint8_t* data, size_t size, int32_t* width, int32_t* height, int* bitCount) {
  JxlRead read;
  int result = JxlReadBegin(&read, JXL_DEC_BASIC_INFO, 0);
  if (result == SPI_ALL_RIGHT) {
    JxlDecoderSetInput(read.decoder, data, size);
    JxlDecoderCloseInput(read.decoder);
    if (JxlDecoderProcessInput(read.decoder) != JXL_DEC_BASIC_INFO ||
        JxlDecoderGetBasicInfo(read.decoder, &read.info) != JXL_DEC_SUCCESS)
      result = SPI_BROKEN_DATA;
  }
  if (result == SPI_ALL_RIGHT) {
    int64_t w, h;
    JxlUprightSize(&read.info, &w, &h);
    if (!SpiSizeAllowed(w, h)) {
      result = SPI_BROKEN_DATA;
    } else {
      *width = (int32_t)w;
      *height = (int32_t)h;
      *bitCount = read.info.alpha_bits ? 32 : 24;
    }
  }
  JxlReadEnd(&read);
  return result;
}

/* The decoded rows, RGB or RGBA from the top, made the DIB's BGR or BGRA from the bottom in place: rows
   are swapped end for end, red and blue within each pixel. */
static void JxlToDibOrder(const SpiDib* dib) {
  const size_t channels = (size_t)dib->bitCount / 8, width = (size_t)dib->width;
  for (int32_t top = 0, bottom = dib->height - 1; top <= bottom; ++top, --bottom) {
    uint8_t* a = dib->bits + (size_t)top * dib->stride;
    uint8_t* b = dib->bits + (size_t)bottom * dib->stride;
    if (a == b) {
      for (size_t i = 0; i < width * channels; i += channels) {
        const uint8_t red = a[i];
        a[i] = a[i + 2];
        a[i + 2] = red;
      }
      continue;
    }
    for (size_t i = 0; i < width * channels; i += channels) {
      const uint8_t r0 = a[i], g0 = a[i + 1], b0 = a[i + 2];
      a[i] = b[i + 2];
      a[i + 1] = b[i + 1];
      a[i + 2] = b[i];
      b[i] = b0;
      b[i + 1] = g0;
      b[i + 2] = r0;
      if (channels == 4) {
        const uint8_t alpha = a[i + 3];
        a[i + 3] = b[i + 3];
        b[i + 3] = alpha;
      }
    }
  }
}

/* At the colour event: pictures stored as XYB are asked of libjxl in sRGB; the others keep the ICC
   profile of their data (the file's own, or made by libjxl of its colour description) unless that is
   sRGB. */
static int JxlTakeColour(JxlRead* read) {
  if (!read->info.uses_original_profile) {
    JxlColorEncoding srgb;
    memset(&srgb, 0, sizeof srgb);
    srgb.color_space = read->info.num_color_channels == 1 ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
    srgb.white_point = JXL_WHITE_POINT_D65;
    srgb.primaries = JXL_PRIMARIES_SRGB;
    srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
    srgb.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
    return JxlDecoderSetPreferredColorProfile(read->decoder, &srgb) == JXL_DEC_SUCCESS ? SPI_ALL_RIGHT
                                                                                       : SPI_BROKEN_DATA;
  }
  /* Described as sRGB: nothing to convert. */
  JxlColorEncoding described;
  if (JxlDecoderGetColorAsEncodedProfile(read->decoder, NULL, JXL_COLOR_PROFILE_TARGET_DATA, &described) ==
          JXL_DEC_SUCCESS &&
      described.white_point == JXL_WHITE_POINT_D65 &&
      described.transfer_function == JXL_TRANSFER_FUNCTION_SRGB &&
      (described.color_space == JXL_COLOR_SPACE_GRAY || described.primaries == JXL_PRIMARIES_SRGB))
    return SPI_ALL_RIGHT;
  size_t size = 0;
  if (JxlDecoderGetICCProfileSize(read->decoder, NULL, JXL_COLOR_PROFILE_TARGET_DATA, &size) !=
          JXL_DEC_SUCCESS ||
      size == 0)
    return SPI_ALL_RIGHT;
  read->profile = malloc(size);
  if (read->profile == NULL) return SPI_NO_MEMORY;
  if (JxlDecoderGetColorAsICCProfile(read->decoder, NULL, JXL_COLOR_PROFILE_TARGET_DATA,
                                     (uint8_t*)read->profile, size) != JXL_DEC_SUCCESS) {
    free(read->profile);
    read->profile = NULL;
    return SPI_BROKEN_DATA;
  }
  read->profileSize = size;
  return SPI_ALL_RIGHT;
}

int SpiFormatDecode(const uint8_t* data, size_t size, SpiDib* dib, ProgressCallback progress,
                    LONG_PTR lData) {
  JxlRead read;
  int result = JxlReadBegin(
      &read, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FRAME | JXL_DEC_FULL_IMAGE, 1);
  if (result == SPI_ALL_RIGHT) {
    JxlDecoderSetInput(read.decoder, data, size);
    JxlDecoderCloseInput(read.decoder);
  }
  /* Rows as long as the DIB's: libjxl fills the DIB's memory from its first row. */
  JxlPixelFormat format = {3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 4};
  read.runner.progress = progress;
  read.runner.lData = lData;
  while (result == SPI_ALL_RIGHT) {
    const JxlDecoderStatus status = JxlDecoderProcessInput(read.decoder);
    if (status == JXL_DEC_BASIC_INFO) {
      int64_t width, height;
      if (JxlDecoderGetBasicInfo(read.decoder, &read.info) != JXL_DEC_SUCCESS) {
        result = SPI_BROKEN_DATA;
        break;
      }
      JxlUprightSize(&read.info, &width, &height);
      format.num_channels = read.info.alpha_bits ? 4 : 3;
      result = SpiDibCreate(dib, width, height, read.info.alpha_bits ? 32 : 24);
      read.dib = dib;
      /* About three runs over the picture's 256 x 256 groups. */
      read.runner.total = (int)(3 * ((width + 255) / 256) * ((height + 255) / 256)) + 1;
    } else if (status == JXL_DEC_COLOR_ENCODING) {
      result = JxlTakeColour(&read);
    } else if (status == JXL_DEC_FRAME) {
      /* The pixels go straight into the DIB, for the first frame only. */
      size_t needed = 0;
      if (JxlDecoderImageOutBufferSize(read.decoder, &format, &needed) != JXL_DEC_SUCCESS ||
          needed > dib->stride * (size_t)dib->height ||
          JxlDecoderSetImageOutBuffer(read.decoder, &format, dib->bits, dib->stride * (size_t)dib->height) !=
              JXL_DEC_SUCCESS)
        result = SPI_BROKEN_DATA;
      else
        result = SpiProgress(progress, 0, read.runner.total, lData);
    } else if (status == JXL_DEC_FULL_IMAGE) {
      break; /* the first frame is the picture */
    } else {
      /* An error (or the stop asked for), data that ends before the picture does, or no frame at all:
         a broken file. */
      result = read.runner.stopped ? SPI_ABORT : SPI_BROKEN_DATA;
    }
  }
  if (result == SPI_ALL_RIGHT && read.dib == NULL) result = SPI_BROKEN_DATA;
  if (result == SPI_ALL_RIGHT) JxlToDibOrder(dib);
  /* The ICC of the picture's data (none: sRGB, as libjxl gives pictures it codes in XYB). */
  if (result == SPI_ALL_RIGHT) SpiDibToDisplay(dib, read.profile, read.profileSize);
  JxlReadEnd(&read);
  return result;
}
