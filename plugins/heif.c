/* heif.spi: HEIF files through libheif: HEIC (HEVC, decoded by libde265) and AVIF (AV1, decoded by
   dav1d). The primary image is read, whole when it is a grid of tiles, with its rotation, mirroring and
   cropping applied by libheif; an AVIF sequence shows its still picture, the first frame. Pictures with
   alpha come out as 32-bit DIBs with straight alpha, the others as 24-bit; 10- and 12-bit samples are
   rounded to 8 bits. libheif reports no progress and takes no stop while it decodes: the decoding runs on
   a thread of its own while the caller reports progress by the time gone, and a stop asked meanwhile is
   honoured at once (the decoding then ends on its own, on its own copy of the file). */
#include <lcms2.h>
#include <libheif/heif.h>
#include <stdlib.h>
#include <string.h>

#include "common/display_profile.h"
#include "common/spi_plugin.h"

const char* const kSpiFormatTexts[] = {
    "00IN", "ZEB HEIF plug-in 1.0 (libheif, libde265, dav1d)", "*.heic;*.heif;*.hif", "HEIC/HEIF", "*.avif",
    "AVIF"};
const int kSpiFormatTextCount = 6;

/* Rows copied into the DIB between two progress reports. */
#define HEIF_PROGRESS_ROWS 256
/* Progress is told in thousandths: the decoding up to 900, the copy into the DIB the rest. */
#define HEIF_PROGRESS_TOTAL 1000
#define HEIF_PROGRESS_DECODED 900
/* How often progress is told while libheif decodes, and the time it is expected to take per megapixel
   (the progress told stays short of the copy's part however long it takes). */
#define HEIF_TICK_MS 50
#define HEIF_MS_PER_MEGAPIXEL 300

/* The brands of the HEIF files read here: still images and sequences of HEVC or AV1. */
static int HeifBrandKnown(const uint8_t* brand) {
  static const char kBrands[][4] = {{'h', 'e', 'i', 'c'}, {'h', 'e', 'i', 'x'}, {'h', 'e', 'v', 'c'},
                                    {'m', 'i', 'f', '1'}, {'m', 's', 'f', '1'}, {'a', 'v', 'i', 'f'},
                                    {'a', 'v', 'i', 's'}};
  for (size_t i = 0; i < sizeof kBrands / sizeof kBrands[0]; ++i)
    if (memcmp(brand, kBrands[i], 4) == 0) return 1;
  return 0;
}

/* A file type box first, whose major brand or one of whose compatible brands is one of ours. */
int SpiFormatSupported(const uint8_t* head, size_t size) {
  if (size < 16 || memcmp(head + 4, "ftyp", 4) != 0) return 0;
  size_t boxSize = (size_t)head[0] << 24 | (size_t)head[1] << 16 | (size_t)head[2] << 8 | head[3];
  if (boxSize < 16 || boxSize % 4 != 0) return 0;
  if (boxSize > size) boxSize = size - size % 4;
  if (HeifBrandKnown(head + 8)) return 1;
  for (size_t at = 16; at + 4 <= boxSize; at += 4)
    if (HeifBrandKnown(head + at)) return 1;
  return 0;
}

static int HeifResult(struct heif_error error) {
  switch (error.code) {
    case heif_error_Ok:
      return SPI_ALL_RIGHT;
    case heif_error_Memory_allocation_error: /* also pictures over libheif's own size limit */
      return error.subcode == heif_suberror_Security_limit_exceeded ? SPI_BROKEN_DATA : SPI_NO_MEMORY;
    case heif_error_Unsupported_feature:
      return SPI_UNKNOWN_FORMAT; /* a codec or kind of image that this build does not read */
    default:
      return SPI_BROKEN_DATA;
  }
}

/* The file parsed in place, and its primary image. */
typedef struct HeifFile {
  struct heif_context* context;
  struct heif_image_handle* primary;
} HeifFile;

static void HeifClose(HeifFile* file) {
  if (file->primary) heif_image_handle_release(file->primary);
  if (file->context) heif_context_free(file->context);
  memset(file, 0, sizeof *file);
}

/* Parses the file and finds its primary image, checking its announced size; a result code. */
static int HeifOpen(HeifFile* file, const uint8_t* data, size_t size) {
  memset(file, 0, sizeof *file);
  file->context = heif_context_alloc();
  if (file->context == NULL) return SPI_NO_MEMORY;
  int result = HeifResult(heif_context_read_from_memory_without_copy(file->context, data, size, NULL));
  if (result == SPI_ALL_RIGHT)
    result = HeifResult(heif_context_get_primary_image_handle(file->context, &file->primary));
  if (result == SPI_ALL_RIGHT && !SpiSizeAllowed(heif_image_handle_get_width(file->primary),
                                                 heif_image_handle_get_height(file->primary)))
    result = SPI_BROKEN_DATA;
  if (result != SPI_ALL_RIGHT) HeifClose(file);
  return result;
}

int SpiFormatInfo(const uint8_t* data, size_t size, int32_t* width, int32_t* height, int* bitCount) {
  HeifFile file;
  int result = HeifOpen(&file, data, size);
  if (result != SPI_ALL_RIGHT) return result;
  *width = heif_image_handle_get_width(file.primary);
  *height = heif_image_handle_get_height(file.primary);
  *bitCount = heif_image_handle_has_alpha_channel(file.primary) ? 32 : 24;
  HeifClose(&file);
  return SPI_ALL_RIGHT;
}

/* Copies the decoded interleaved image (8 bits, or 16-bit little-endian containers of Depth bits)
   into the DIB as BGR or BGRA, rounding deeper samples to 8 bits and undoing premultiplied alpha. */
static int HeifCopy(const uint8_t* pixels, int pixelStride, int depth, int premultiplied, SpiDib* dib,
                    ProgressCallback progress, LONG_PTR lData) {
  const int channels = dib->bitCount / 8;
  const unsigned maximum = (1u << depth) - 1;
  for (int32_t y = 0; y < dib->height; ++y) {
    if (y % HEIF_PROGRESS_ROWS == 0 &&
        SpiProgress(progress,
                    HEIF_PROGRESS_DECODED +
                        (int)((int64_t)y * (HEIF_PROGRESS_TOTAL - HEIF_PROGRESS_DECODED) / dib->height),
                    HEIF_PROGRESS_TOTAL, lData) != SPI_ALL_RIGHT)
      return SPI_ABORT;
    const uint8_t* in = pixels + (size_t)y * (size_t)pixelStride;
    uint8_t* out = SpiDibRow(dib, y);
    uint8_t* const end = out + (size_t)dib->width * (size_t)channels;
    if (depth == 8) {
      /* The common case, kept to a plain swap of red and blue. */
      for (; out < end; out += channels, in += channels) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        if (channels == 4) out[3] = in[3];
      }
    } else {
      for (uint8_t* at = out; at < end; ++at, in += 2) {
        const unsigned v = (unsigned)in[0] | (unsigned)in[1] << 8;
        *at = v >= maximum ? 255 : (uint8_t)((v * 255u + maximum / 2) / maximum);
      }
      for (uint8_t* at = out; at < end; at += channels) {
        const uint8_t red = at[0];
        at[0] = at[2];
        at[2] = red;
      }
    }
    for (uint8_t* at = out; channels == 4 && premultiplied && at < end; at += 4) {
      for (int c = 0; c < 3 && at[3] != 255; ++c)
        at[c] = at[3] == 0 ? 0 : (uint8_t)(at[c] >= at[3] ? 255 : (at[c] * 255u + at[3] / 2) / at[3]);
    }
  }
  return SPI_ALL_RIGHT;
}

/* An ICC profile made of the colour description of an AVIF (or HEIC) file without one: its primaries,
   white point and transfer curve (malloc'ed), or NULL for sRGB and for curves that an ICC profile does
   not describe (those of HDR video, shown as they are). */
static void* HeifProfileFromNclx(const struct heif_color_profile_nclx* nclx, size_t* size) {
  static const cmsFloat64Number kSrgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  static const cmsFloat64Number kVideo[5] = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081};
  const int transfer = nclx->transfer_characteristics, primaries = nclx->color_primaries;
  cmsToneCurve* curve = NULL;
  if (transfer == heif_transfer_characteristic_IEC_61966_2_1 ||
      transfer == heif_transfer_characteristic_unspecified) {
    if (primaries == heif_color_primaries_ITU_R_BT_709_5 || primaries == heif_color_primaries_unspecified)
      return NULL; /* sRGB */
    curve = cmsBuildParametricToneCurve(NULL, 4, kSrgb);
  } else if (transfer == heif_transfer_characteristic_ITU_R_BT_709_5 ||
             transfer == heif_transfer_characteristic_ITU_R_BT_601_6 ||
             transfer == heif_transfer_characteristic_ITU_R_BT_2020_2_10bit ||
             transfer == heif_transfer_characteristic_ITU_R_BT_2020_2_12bit) {
    curve = cmsBuildParametricToneCurve(NULL, 4, kVideo);
  } else if (transfer == heif_transfer_characteristic_ITU_R_BT_470_6_System_M ||
             transfer == heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G ||
             transfer == heif_transfer_characteristic_linear) {
    curve = cmsBuildGamma(NULL, transfer == heif_transfer_characteristic_linear                    ? 1.0
                                : transfer == heif_transfer_characteristic_ITU_R_BT_470_6_System_M ? 2.2
                                                                                                   : 2.8);
  }
  if (curve == NULL) return NULL;
  const cmsCIExyY white = {nclx->color_primary_white_x, nclx->color_primary_white_y, 1};
  const cmsCIExyYTRIPLE rgb = {{nclx->color_primary_red_x, nclx->color_primary_red_y, 1},
                               {nclx->color_primary_green_x, nclx->color_primary_green_y, 1},
                               {nclx->color_primary_blue_x, nclx->color_primary_blue_y, 1}};
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE made = cmsCreateRGBProfile(&white, &rgb, curves);
  cmsFreeToneCurve(curve);
  cmsUInt32Number bytes = 0;
  void* profile = NULL;
  if (made && cmsSaveProfileToMem(made, NULL, &bytes) && bytes && (profile = malloc(bytes)) != NULL &&
      !cmsSaveProfileToMem(made, profile, &bytes)) {
    free(profile);
    profile = NULL;
  }
  if (made) cmsCloseProfile(made);
  *size = profile ? bytes : 0;
  return profile;
}

/* The colour profile of the primary image: the ICC profile it embeds, else one made of its colour
   description (malloc'ed), or NULL when it is sRGB. */
static void* HeifColourProfile(const struct heif_image_handle* primary, size_t* size) {
  enum heif_color_profile_type type = heif_image_handle_get_color_profile_type(primary);
  *size = 0;
  struct heif_color_profile_nclx* nclx = NULL;
  if (type == heif_color_profile_type_nclx) {
    /* libheif may hand over a description together with an error (values it does not know): it is
       freed either way. */
    const int read = heif_image_handle_get_nclx_color_profile(primary, &nclx).code == heif_error_Ok;
    void* made = read && nclx ? HeifProfileFromNclx(nclx, size) : NULL;
    heif_nclx_color_profile_free(nclx);
    return made;
  }
  if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return NULL;
  size_t bytes = heif_image_handle_get_raw_color_profile_size(primary);
  void* profile = bytes ? malloc(bytes) : NULL;
  if (profile && heif_image_handle_get_raw_color_profile(primary, profile).code == heif_error_Ok) {
    *size = bytes;
    return profile;
  }
  free(profile);
  return NULL;
}

/* One decoding of a primary image, on its own copy of the file: whoever lets go of it last (the caller,
   or the decoding thread of a caller that stopped waiting) frees it. */
typedef struct HeifDecoding {
  volatile LONG owners;
  uint8_t* data;
  HeifFile file;
  enum heif_chroma chroma;
  struct heif_image* image;
  int result;
} HeifDecoding;

#ifdef _WIN32
#define HEIF_LET_GO(owners) InterlockedDecrement(owners)
#else
#define HEIF_LET_GO(owners) (--*(owners)) /* the fuzz targets decode on the caller's thread alone */
#endif

static void HeifDecodingRelease(HeifDecoding* decoding) {
  if (HEIF_LET_GO(&decoding->owners) != 0) return;
  if (decoding->image) heif_image_release(decoding->image);
  HeifClose(&decoding->file);
  free(decoding->data);
  free(decoding);
}

static void HeifDecodingRun(HeifDecoding* decoding) {
  struct heif_decoding_options* options = heif_decoding_options_alloc();
  if (options == NULL) {
    decoding->result = SPI_NO_MEMORY;
    return;
  }
  /* Rotation, mirroring and cropping are applied by libheif, as the file asks. */
  options->ignore_transformations = 0;
  decoding->result = HeifResult(heif_decode_image(decoding->file.primary, &decoding->image,
                                                  heif_colorspace_RGB, decoding->chroma, options));
  heif_decoding_options_free(options);
}

#ifdef _WIN32
typedef struct HeifThreadStart {
  HeifDecoding* decoding;
  HMODULE self; /* a reference to this plug-in, so that it stays loaded until the thread has ended */
} HeifThreadStart;

static DWORD WINAPI HeifDecodingThread(LPVOID parameter) {
  HeifThreadStart start = *(HeifThreadStart*)parameter;
  free(parameter);
  HeifDecodingRun(start.decoding);
  HeifDecodingRelease(start.decoding);
  FreeLibraryAndExitThread(start.self, 0);
  return 0;
}

/* Runs the decoding on a thread of its own, telling progress meanwhile; SPI_ABORT when a stop was asked
   (the decoding is then left to end on its own), else the decoding's result. */
static int HeifDecodeBeside(HeifDecoding* decoding, int64_t pixels, ProgressCallback progress,
                            LONG_PTR lData) {
  HeifThreadStart* start = (HeifThreadStart*)malloc(sizeof *start);
  HANDLE thread = NULL;
  if (start != NULL && GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                          (LPCWSTR)(void*)HeifDecodingThread, &start->self)) {
    start->decoding = decoding;
    InterlockedIncrement(&decoding->owners);
    thread = CreateThread(NULL, 0, HeifDecodingThread, start, 0, NULL);
    if (thread == NULL) {
      InterlockedDecrement(&decoding->owners);
      FreeLibrary(start->self);
    }
  }
  if (thread == NULL) {
    free(start);
    HeifDecodingRun(decoding); /* no thread to be had: here, without progress */
    return decoding->result;
  }
  const DWORD began = GetTickCount();
  const int64_t expected = 1 + pixels / 1000000 * HEIF_MS_PER_MEGAPIXEL;
  while (WaitForSingleObject(thread, HEIF_TICK_MS) == WAIT_TIMEOUT) {
    const int64_t gone = (int64_t)(GetTickCount() - began);
    /* Nearer the end the longer it takes, never reaching it. */
    const int done = (int)(HEIF_PROGRESS_DECODED * gone / (gone + expected));
    if (SpiProgress(progress, done, HEIF_PROGRESS_TOTAL, lData) != SPI_ALL_RIGHT) {
      CloseHandle(thread);
      return SPI_ABORT;
    }
  }
  CloseHandle(thread);
  return decoding->result;
}
#else
static int HeifDecodeBeside(HeifDecoding* decoding, int64_t pixels, ProgressCallback progress,
                            LONG_PTR lData) {
  (void)pixels;
  (void)progress;
  (void)lData;
  HeifDecodingRun(decoding);
  return decoding->result;
}
#endif

int SpiFormatDecode(const uint8_t* data, size_t size, SpiDib* dib, ProgressCallback progress,
                    LONG_PTR lData) {
  HeifDecoding* decoding = (HeifDecoding*)calloc(1, sizeof *decoding);
  if (decoding == NULL || (decoding->data = (uint8_t*)malloc(size ? size : 1)) == NULL) {
    free(decoding);
    return SPI_NO_MEMORY;
  }
  decoding->owners = 1;
  memcpy(decoding->data, data, size);
  HeifFile* file = &decoding->file;
  int result = HeifOpen(file, decoding->data, size);
  const int alpha = result == SPI_ALL_RIGHT && heif_image_handle_has_alpha_channel(file->primary);
  const int depth = result == SPI_ALL_RIGHT ? heif_image_handle_get_luma_bits_per_pixel(file->primary) : 8;
  if (result == SPI_ALL_RIGHT)
    result = SpiDibCreate(dib, heif_image_handle_get_width(file->primary),
                          heif_image_handle_get_height(file->primary), alpha ? 32 : 24);
  if (result == SPI_ALL_RIGHT) {
    decoding->chroma = depth > 8
                           ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                           : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    result = HeifDecodeBeside(decoding, (int64_t)dib->width * dib->height, progress, lData);
  }
  struct heif_image* image = result == SPI_ALL_RIGHT ? decoding->image : NULL;
  if (image) {
    int stride = 0;
    const uint8_t* pixels = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const int bits = heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved);
    /* The decoded image must be what the headers announced. */
    if (pixels == NULL || heif_image_get_width(image, heif_channel_interleaved) != dib->width ||
        heif_image_get_height(image, heif_channel_interleaved) != dib->height || bits < 8 || bits > 16 ||
        (bits > 8) != (depth > 8))
      result = SPI_BROKEN_DATA;
    else
      result = HeifCopy(pixels, stride, bits, heif_image_is_premultiplied_alpha(image), dib, progress, lData);
  }
  if (result == SPI_ALL_RIGHT) {
    size_t profileSize = 0;
    void* profile = HeifColourProfile(file->primary, &profileSize);
    /* The file's own profile, or one made of its colour description (none: sRGB, left as it is). */
    SpiDibToDisplay(dib, profile, profileSize);
    free(profile);
  }
  HeifDecodingRelease(decoding);
  return result;
}
