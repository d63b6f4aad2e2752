/* jxl.spi: JPEG XL pictures through libjxl, bare codestreams and ISO BMFF containers alike, lossy or
   lossless, of any bit depth (rounded to 8 bits by libjxl), upright (libjxl applies the orientation the
   file names), the first frame of an animation (composed on its canvas). Pictures with alpha come out
   as 32-bit DIBs with straight alpha, the others as 24-bit. Progress is reported, and a stop honoured,
   once the headers are read, before the picture is decoded. */
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

/* One decoding: the decoder, its threads, and the picture it writes into. */
typedef struct JxlRead {
  JxlDecoder* decoder;
  void* runner;
  JxlBasicInfo info;
  SpiDib* dib;
  void* profile; /* the ICC profile of the decoded pixels (malloc'ed), or NULL when they are sRGB */
  size_t profileSize;
} JxlRead;

static void JxlReadEnd(JxlRead* read) {
  if (read->decoder) JxlDecoderDestroy(read->decoder);
  if (read->runner) JxlThreadParallelRunnerDestroy(read->runner);
  free(read->profile);
  memset(read, 0, sizeof *read);
}

/* Makes the decoder for the given events, upright output and straight alpha; a result code. */
static int JxlReadBegin(JxlRead* read, int events, int threads) {
  memset(read, 0, sizeof *read);
  read->decoder = JxlDecoderCreate(NULL);
  if (read->decoder == NULL) return SPI_NO_MEMORY;
  if (threads) {
    read->runner = JxlThreadParallelRunnerCreate(NULL, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    if (read->runner == NULL ||
        JxlDecoderSetParallelRunner(read->decoder, JxlThreadParallelRunner, read->runner) != JXL_DEC_SUCCESS)
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

/* Receives a piece of a decoded row, RGB or RGBA, and puts it in the DIB as BGR or BGRA. libjxl calls
   it from its threads, on pieces that do not overlap. */
static void JxlReceivePixels(void* opaque, size_t x, size_t y, size_t count, const void* pixels) {
  const SpiDib* dib = (const SpiDib*)opaque;
  if (y >= (size_t)dib->height || x >= (size_t)dib->width || count > (size_t)dib->width - x) return;
  const int channels = dib->bitCount / 8;
  const uint8_t* in = (const uint8_t*)pixels;
  uint8_t* out = SpiDibRow(dib, (int32_t)y) + x * (size_t)channels;
  for (size_t i = 0; i < count; ++i, in += channels, out += channels) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    if (channels == 4) out[3] = in[3];
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
  JxlPixelFormat format = {3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
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
    } else if (status == JXL_DEC_COLOR_ENCODING) {
      result = JxlTakeColour(&read);
    } else if (status == JXL_DEC_FRAME) {
      /* The pixels go straight into the DIB, for the first frame only. The frame is decoded in one
         call of libjxl's (faster than handing it the data in pieces), with a report before it. */
      if (JxlDecoderSetImageOutCallback(read.decoder, &format, JxlReceivePixels, dib) != JXL_DEC_SUCCESS)
        result = SPI_BROKEN_DATA;
      else
        result = SpiProgress(progress, 1, 3, lData);
    } else if (status == JXL_DEC_FULL_IMAGE) {
      break; /* the first frame is the picture */
    } else {
      /* An error, data that ends before the picture does, or no frame at all: a broken file. */
      result = SPI_BROKEN_DATA;
    }
  }
  if (result == SPI_ALL_RIGHT && read.dib == NULL) result = SPI_BROKEN_DATA;
  /* The ICC of the picture's data (none: sRGB, as libjxl gives pictures it codes in XYB). */
  if (result == SPI_ALL_RIGHT) SpiDibToDisplay(dib, read.profile, read.profileSize);
  JxlReadEnd(&read);
  return result;
}
