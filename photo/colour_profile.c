#include "photo/colour_profile.h"

#include <lcms2.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

/* Transforms kept for the profiles used last: a folder of photos mostly carries one or two. */
#define COLOUR_CACHE_SIZE 8
/* Larger profiles are not taken (the largest printer profiles are a few megabytes). */
static const size_t kMaxProfileSize = (size_t)64 << 20;

/* Between two matrix-shaper RGB profiles (what cameras and phones embed: sRGB, Adobe RGB, Display P3)
   the conversion is three curves, a matrix and three curves again. lcms2 evaluates those curves and
   reads the matrices; the pixels then go through this kernel, several times faster than lcms2's generic
   8-bit path (which calls through pointers for every pixel). Linear light is held at 14 bits, the
   matrix at 13 bits of fraction (coefficients up to 4, so that a sum stays within 31 bits). */
#define LINEAR_ONE 16384
#define MATRIX_ONE 8192
#define MATRIX_LIMIT 4.0
typedef struct MatrixShaper {
  int32_t linear[3][256];            /* red, green, blue samples to linear light */
  int32_t matrix[3][3];              /* the picture's linear RGB to the display's */
  uint8_t encode[3][LINEAR_ONE + 1]; /* the display's linear light to its samples */
} MatrixShaper;

struct zeb_colour_transform {
  MatrixShaper* fast; /* set: the kernel above converts, not lcms2 */
  cmsHTRANSFORM lcms; /* neither: the picture's profile is the display's, nothing to do */
  unsigned char* icc; /* the picture's profile, for telling it apart */
  size_t size;
  uint64_t hash;
  enum zeb_colour_layout layout;
  unsigned generation; /* the display profile's it was made for */
  int users;           /* callers holding it, and the cache itself */
  unsigned long long lastUse;
};

/* One lock over the cache and the display profile, held for lookups only: making a transform and
   applying one happen outside it. Short enough for a spin lock (C11 has no portable mutex on every
   compiler we build with). */
static atomic_flag lock = ATOMIC_FLAG_INIT;
static zeb_colour_transform* cache[COLOUR_CACHE_SIZE];
static unsigned long long useCounter;
static unsigned char* displayIcc; /* NULL: sRGB */
static size_t displaySize;
static unsigned displayGeneration;

static void Lock(void) {
  while (atomic_flag_test_and_set_explicit(&lock, memory_order_acquire)) {
  }
}
static void Unlock(void) { atomic_flag_clear_explicit(&lock, memory_order_release); }

static uint64_t HashBytes(const unsigned char* p, size_t size) {
  uint64_t h = 1469598103934665603ull; /* FNV-1a */
  for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

static void FreeTransform(zeb_colour_transform* t) {
  free(t->fast);
  if (t->lcms) cmsDeleteTransform(t->lcms);
  free(t->icc);
  free(t);
}

/* Drops a user (with the lock held); the last one frees it. */
static void DropUser(zeb_colour_transform* t) {
  if (--t->users == 0) FreeTransform(t);
}

/* The display's profile opened, when it is an RGB profile that colours can be converted into; else NULL. */
static cmsHPROFILE OpenUsableDisplay(const unsigned char* icc, size_t size) {
  cmsHPROFILE display = icc ? cmsOpenProfileFromMem(icc, (cmsUInt32Number)size) : NULL;
  if (display && (cmsGetColorSpace(display) != cmsSigRgbData ||
                  !cmsIsIntentSupported(display, INTENT_PERCEPTUAL, LCMS_USED_AS_OUTPUT))) {
    cmsCloseProfile(display);
    display = NULL;
  }
  return display;
}

static cmsHPROFILE OpenDisplay(const unsigned char* icc, size_t size) {
  cmsHPROFILE display = OpenUsableDisplay(icc, size);
  return display ? display : cmsCreate_sRGBProfile();
}

void zeb_colour_set_display_profile(const void* icc, size_t size) {
  unsigned char* copy = NULL;
  cmsHPROFILE usable = icc && size && size <= kMaxProfileSize ? OpenUsableDisplay(icc, size) : NULL;
  if (usable) {
    cmsCloseProfile(usable);
    copy = malloc(size);
    if (copy) memcpy(copy, icc, size);
  }
  Lock();
  free(displayIcc);
  displayIcc = copy;
  displaySize = copy ? size : 0;
  ++displayGeneration;
  for (int i = 0; i < COLOUR_CACHE_SIZE; ++i)
    if (cache[i]) DropUser(cache[i]), cache[i] = NULL;
  Unlock();
}

/* Whether lcms2 would convert from (or to) the profile through its matrix and curves alone, as the
   kernel does: no table for the intent takes precedence. */
static int PlainMatrixShaper(cmsHPROFILE p, cmsTagSignature table, cmsTagSignature floatTable) {
  return cmsGetColorSpace(p) == cmsSigRgbData && cmsIsMatrixShaper(p) && !cmsIsTag(p, table) &&
         !cmsIsTag(p, floatTable);
}

/* The profile's red, green and blue colorants (PCS XYZ) as the columns of a matrix; 0 when missing. */
static int ReadColorants(cmsHPROFILE p, double m[3][3]) {
  static const cmsTagSignature kTags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                           cmsSigBlueColorantTag};
  for (int c = 0; c < 3; ++c) {
    const cmsCIEXYZ* xyz = cmsReadTag(p, kTags[c]);
    if (xyz == NULL) return 0;
    m[0][c] = xyz->X, m[1][c] = xyz->Y, m[2][c] = xyz->Z;
  }
  return 1;
}

/* The kernel's tables for Source to Display, or NULL when either is no plain matrix-shaper (or odd). */
static MatrixShaper* MakeMatrixShaper(cmsHPROFILE source, cmsHPROFILE display) {
  static const cmsTagSignature kCurves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
  double s[3][3], d[3][3];
  if (!PlainMatrixShaper(source, cmsSigAToB0Tag, cmsSigDToB0Tag) ||
      !PlainMatrixShaper(display, cmsSigBToA0Tag, cmsSigBToD0Tag) || !ReadColorants(source, s) ||
      !ReadColorants(display, d))
    return NULL;
  /* The display's matrix inverted (by its adjugate), then times the picture's. */
  double inverse[3][3];
  const double det = d[0][0] * (d[1][1] * d[2][2] - d[1][2] * d[2][1]) -
                     d[0][1] * (d[1][0] * d[2][2] - d[1][2] * d[2][0]) +
                     d[0][2] * (d[1][0] * d[2][1] - d[1][1] * d[2][0]);
  if (det > -1e-9 && det < 1e-9) return NULL;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      inverse[r][c] = (d[r1][c1] * d[r2][c2] - d[r1][c2] * d[r2][c1]) / det;
    }
  MatrixShaper* k = malloc(sizeof *k);
  if (k == NULL) return NULL;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const double m = inverse[r][0] * s[0][c] + inverse[r][1] * s[1][c] + inverse[r][2] * s[2][c];
      if (m > MATRIX_LIMIT || m < -MATRIX_LIMIT) {
        free(k);
        return NULL;
      }
      k->matrix[r][c] = (int32_t)(m * MATRIX_ONE + (m < 0 ? -0.5 : 0.5));
    }
  for (int c = 0; c < 3; ++c) {
    const cmsToneCurve* in = cmsReadTag(source, kCurves[c]);
    const cmsToneCurve* out = cmsReadTag(display, kCurves[c]);
    cmsToneCurve* reverse = out ? cmsReverseToneCurve(out) : NULL;
    if (in == NULL || reverse == NULL) {
      if (reverse) cmsFreeToneCurve(reverse);
      free(k);
      return NULL;
    }
    for (int v = 0; v < 256; ++v)
      k->linear[c][v] =
          (int32_t)(cmsEvalToneCurveFloat(in, (cmsFloat32Number)(v / 255.0)) * LINEAR_ONE + 0.5f);
    for (int i = 0; i <= LINEAR_ONE; ++i)
      k->encode[c][i] =
          (uint8_t)(cmsEvalToneCurveFloat(reverse, (cmsFloat32Number)i / LINEAR_ONE) * 255 + 0.5f);
    cmsFreeToneCurve(reverse);
  }
  return k;
}

/* Width pixels of Step bytes (blue, green, red first) through the kernel. */
static void MatrixShaperRow(const MatrixShaper* k, const unsigned char* in, unsigned char* out, int width,
                            int step) {
  for (int x = 0; x < width; ++x, in += step, out += step) {
    const int32_t r = k->linear[0][in[2]], g = k->linear[1][in[1]], b = k->linear[2][in[0]];
    for (int c = 0; c < 3; ++c) {
      int32_t v =
          (k->matrix[c][0] * r + k->matrix[c][1] * g + k->matrix[c][2] * b + MATRIX_ONE / 2) / MATRIX_ONE;
      v = v < 0 ? 0 : v > LINEAR_ONE ? LINEAR_ONE : v;
      out[2 - c] = k->encode[c][v];
    }
    if (step == 4) out[3] = in[3];
  }
}

static const cmsUInt32Number kInputFormats[] = {TYPE_BGR_8, TYPE_BGRA_8, TYPE_CMYK_8, TYPE_CMYK_8_REV};
static const cmsColorSpaceSignature kSpaces[] = {cmsSigRgbData, cmsSigRgbData, cmsSigCmykData,
                                                 cmsSigCmykData};

/* Makes the transform for the picture's profile (outside the lock); NULL when it cannot be used. */
static zeb_colour_transform* MakeTransform(const unsigned char* icc, size_t size, uint64_t hash,
                                           enum zeb_colour_layout layout, const unsigned char* display,
                                           size_t displayBytes, unsigned generation) {
  zeb_colour_transform* t = calloc(1, sizeof *t);
  if (t == NULL || (t->icc = malloc(size)) == NULL) {
    free(t);
    return NULL;
  }
  memcpy(t->icc, icc, size);
  t->size = size;
  t->hash = hash;
  t->layout = layout;
  t->generation = generation;
  t->users = 1;
  const int same = display ? displayBytes == size && memcmp(display, icc, size) == 0
                           : 0; /* sRGB's own bytes differ from file to file: converted anyway */
  if (same && layout <= ZEB_COLOUR_BGRA) return t;
  cmsHPROFILE source = cmsOpenProfileFromMem(icc, (cmsUInt32Number)size);
  if (source && cmsGetColorSpace(source) == kSpaces[layout]) {
    cmsHPROFILE target = OpenDisplay(display, displayBytes);
    const cmsUInt32Number out = layout == ZEB_COLOUR_BGRA ? TYPE_BGRA_8 : TYPE_BGR_8;
    cmsUInt32Number flags = cmsFLAGS_NOCACHE | (layout == ZEB_COLOUR_BGRA ? cmsFLAGS_COPY_ALPHA : 0);
    if (layout <= ZEB_COLOUR_BGRA) t->fast = MakeMatrixShaper(source, target);
    if (!t->fast)
      t->lcms = cmsCreateTransform(source, kInputFormats[layout], target, out, INTENT_PERCEPTUAL, flags);
    cmsCloseProfile(target);
  }
  if (source) cmsCloseProfile(source);
  if (t->fast == NULL && t->lcms == NULL) {
    FreeTransform(t);
    return NULL;
  }
  return t;
}

zeb_colour_transform* zeb_colour_transform_acquire(const void* icc, size_t size,
                                                   enum zeb_colour_layout layout) {
  if (icc == NULL || size < 128 || size > kMaxProfileSize || (unsigned)layout > ZEB_COLOUR_CMYK_INVERTED)
    return NULL;
  const unsigned char* bytes = icc;
  const uint64_t hash = HashBytes(bytes, size);
  Lock();
  zeb_colour_transform* found = NULL;
  for (int i = 0; i < COLOUR_CACHE_SIZE && !found; ++i)
    if (cache[i] && cache[i]->hash == hash && cache[i]->size == size && cache[i]->layout == layout)
      found = cache[i];
  if (found) {
    ++found->users;
    found->lastUse = ++useCounter;
    Unlock();
    if (memcmp(found->icc, bytes, size) == 0) return found;
    zeb_colour_transform_release(found); /* two profiles of one hash: made afresh, not cached */
    return MakeTransform(bytes, size, hash, layout, NULL, 0, 0);
  }
  /* The display's profile is copied for the making, which takes milliseconds. */
  const unsigned generation = displayGeneration;
  const size_t displayBytes = displaySize;
  unsigned char* display = displayIcc ? malloc(displayBytes) : NULL;
  if (display) memcpy(display, displayIcc, displayBytes);
  Unlock();
  if (displayBytes && !display) return NULL;
  zeb_colour_transform* made = MakeTransform(bytes, size, hash, layout, display, displayBytes, generation);
  free(display);
  if (made == NULL) return NULL;
  Lock();
  if (made->generation == displayGeneration) {
    /* Into a free place, else in place of the one used longest ago. */
    int slot = 0;
    for (int i = 0; i < COLOUR_CACHE_SIZE; ++i) {
      if (!cache[i]) {
        slot = i;
        break;
      }
      if (cache[i]->lastUse < cache[slot]->lastUse) slot = i;
    }
    if (cache[slot]) DropUser(cache[slot]);
    cache[slot] = made;
    ++made->users;
    made->lastUse = ++useCounter;
  }
  Unlock();
  return made;
}

void zeb_colour_transform_rows(const zeb_colour_transform* t, const unsigned char* in, ptrdiff_t inStride,
                               unsigned char* out, ptrdiff_t outStride, int width, int height) {
  if (t->fast) {
    for (int y = 0; y < height; ++y)
      MatrixShaperRow(t->fast, in + y * inStride, out + y * outStride, width,
                      t->layout == ZEB_COLOUR_BGRA ? 4 : 3);
    return;
  }
  if (t->lcms == NULL) {
    for (int y = 0; in != out && y < height; ++y)
      memmove(out + y * outStride, in + y * inStride, (size_t)width * (t->layout == ZEB_COLOUR_BGRA ? 4 : 3));
    return;
  }
  if (width <= 0) return;
  /* Row by row, so that a bottom-up picture's negative stride needs nothing of lcms2. */
  for (int y = 0; y < height; ++y)
    cmsDoTransform(t->lcms, in + y * inStride, out + y * outStride, (cmsUInt32Number)width);
}

void zeb_colour_transform_release(zeb_colour_transform* t) {
  if (t == NULL) return;
  Lock();
  DropUser(t);
  Unlock();
}

int zeb_colour_to_display(const void* icc, size_t size, unsigned char* pixels, int width, int height,
                          ptrdiff_t stride, int bytes_per_pixel) {
  if (bytes_per_pixel != 3 && bytes_per_pixel != 4) return 1;
  zeb_colour_transform* t =
      zeb_colour_transform_acquire(icc, size, bytes_per_pixel == 4 ? ZEB_COLOUR_BGRA : ZEB_COLOUR_BGR);
  if (t == NULL) return 1;
  zeb_colour_transform_rows(t, pixels, stride, pixels, stride, width, height);
  zeb_colour_transform_release(t);
  return 0;
}
