#include "photo/colour_profile.h"

#include <lcms2.h>
#include <stdatomic.h>
#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#define COLOUR_SSE2 1
#endif
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
   matrix at 13 bits of fraction (coefficients below 4, so that a sum stays within 31 bits). */
#define LINEAR_ONE 16384
#define MATRIX_BITS 13
#define MATRIX_ONE (1 << MATRIX_BITS)
#define MATRIX_LIMIT 3.99 /* 16-bit coefficients, as SSE2's multiply-add takes them */
typedef struct MatrixShaper {
  uint16_t linear[3][256];           /* red, green, blue samples to linear light */
  int32_t matrix[3][3];              /* the picture's linear RGB to the display's */
  uint8_t encode[3][LINEAR_ONE + 1]; /* the display's linear light to its samples */
  int sharedEncode;                  /* the three are the same: the first serves all (less cache) */
  int simd;                          /* the processor has SSE2: eight pixels at a time */
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

/* The lookup of the display's profile and whether it has run: 0 not yet, 1 running, 2 done. */
static void (*_Atomic displayLookup)(void);
static atomic_int displayLookupState;

void zeb_colour_set_display_profile_lookup(void (*lookup)(void)) {
  atomic_store_explicit(&displayLookup, lookup, memory_order_release);
}

/* Runs the lookup on the first call; a conversion on another thread meanwhile waits for its end (a
   screen's profile is read in milliseconds, and only when a picture first carries one). */
static void LookUpDisplayProfileOnce(void) {
  int expected = 0;
  if (atomic_compare_exchange_strong(&displayLookupState, &expected, 1)) {
    void (*lookup)(void) = atomic_load_explicit(&displayLookup, memory_order_acquire);
    if (lookup) lookup();
    atomic_store_explicit(&displayLookupState, 2, memory_order_release);
  }
  while (atomic_load_explicit(&displayLookupState, memory_order_acquire) != 2) {
  }
}

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

/* A curve's value, 0 to 1 (beyond it clipped), as 0 to Top. */
static int Scaled(cmsFloat32Number v, int top) { return v <= 0 ? 0 : v >= 1 ? top : (int)(v * top + 0.5f); }

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
          (uint16_t)Scaled(cmsEvalToneCurveFloat(in, (cmsFloat32Number)(v / 255.0)), LINEAR_ONE);
    for (int i = 0; i <= LINEAR_ONE; ++i)
      k->encode[c][i] =
          (uint8_t)Scaled(cmsEvalToneCurveFloat(reverse, (cmsFloat32Number)i / LINEAR_ONE), 255);
    cmsFreeToneCurve(reverse);
  }
#ifdef COLOUR_SSE2
  k->simd = __builtin_cpu_supports("sse2");
#endif
  k->sharedEncode = memcmp(k->encode[0], k->encode[1], sizeof k->encode[0]) == 0 &&
                    memcmp(k->encode[0], k->encode[2], sizeof k->encode[0]) == 0;
  return k;
}

static inline int32_t Clamp(int32_t v) { return v < 0 ? 0 : v > LINEAR_ONE ? LINEAR_ONE : v; }

/* Width pixels of Step bytes (blue, green, red first) through the kernel; everything it reads is held
   in locals, as the pixels written may be the ones read. */
static void MatrixShaperRow(const MatrixShaper* k, const unsigned char* in, unsigned char* out, int width,
                            int step) {
  const uint16_t *lr = k->linear[0], *lg = k->linear[1], *lb = k->linear[2];
  const uint8_t *er = k->encode[0], *eg = k->encode[k->sharedEncode ? 0 : 1],
                *eb = k->encode[k->sharedEncode ? 0 : 2];
  const int32_t m00 = k->matrix[0][0], m01 = k->matrix[0][1], m02 = k->matrix[0][2];
  const int32_t m10 = k->matrix[1][0], m11 = k->matrix[1][1], m12 = k->matrix[1][2];
  const int32_t m20 = k->matrix[2][0], m21 = k->matrix[2][1], m22 = k->matrix[2][2];
  for (int x = 0; x < width; ++x, in += step, out += step) {
    const int32_t r = lr[in[2]], g = lg[in[1]], b = lb[in[0]];
    const int32_t red = Clamp((m00 * r + m01 * g + m02 * b + MATRIX_ONE / 2) >> MATRIX_BITS);
    const int32_t green = Clamp((m10 * r + m11 * g + m12 * b + MATRIX_ONE / 2) >> MATRIX_BITS);
    const int32_t blue = Clamp((m20 * r + m21 * g + m22 * b + MATRIX_ONE / 2) >> MATRIX_BITS);
    const unsigned char alpha = step == 4 ? in[3] : 0;
    out[0] = eb[blue];
    out[1] = eg[green];
    out[2] = er[red];
    if (step == 4) out[3] = alpha;
  }
}

#ifdef COLOUR_SSE2
/* The same for Width pixels eight at a time, the matrix in SSE2 (the tables stay scalar); the rest go to
   MatrixShaperRow. The same integer arithmetic, so the same results. */
__attribute__((target("sse2"), always_inline)) static inline int MatrixShaperRowSse2(const MatrixShaper* k,
                                                                                     const unsigned char* in,
                                                                                     unsigned char* out,
                                                                                     int width, int step) {
  const uint16_t *lr = k->linear[0], *lg = k->linear[1], *lb = k->linear[2];
  const uint8_t *er = k->encode[0], *eg = k->encode[k->sharedEncode ? 0 : 1],
                *eb = k->encode[k->sharedEncode ? 0 : 2];
  __m128i redGreen[3], blueHalf[3];
  for (int c = 0; c < 3; ++c) {
    redGreen[c] =
        _mm_set1_epi32((int32_t)((uint32_t)(uint16_t)k->matrix[c][1] << 16 | (uint16_t)k->matrix[c][0]));
    blueHalf[c] = _mm_set1_epi32((int32_t)((uint32_t)(MATRIX_ONE / 2) << 16 | (uint16_t)k->matrix[c][2]));
  }
  const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi16(1), top = _mm_set1_epi16(LINEAR_ONE);
  int x = 0;
  for (; x + 8 <= width; x += 8, in += 8 * step, out += 8 * step) {
    __m128i r = zero, g = zero, b = zero;
#define COLOUR_GATHER(i)                              \
  r = _mm_insert_epi16(r, lr[in[(i)*step + 2]], (i)); \
  g = _mm_insert_epi16(g, lg[in[(i)*step + 1]], (i)); \
  b = _mm_insert_epi16(b, lb[in[(i)*step]], (i))
    COLOUR_GATHER(0);
    COLOUR_GATHER(1);
    COLOUR_GATHER(2);
    COLOUR_GATHER(3);
    COLOUR_GATHER(4);
    COLOUR_GATHER(5);
    COLOUR_GATHER(6);
    COLOUR_GATHER(7);
#undef COLOUR_GATHER
    const __m128i rgLow = _mm_unpacklo_epi16(r, g), rgHigh = _mm_unpackhi_epi16(r, g);
    const __m128i b1Low = _mm_unpacklo_epi16(b, one), b1High = _mm_unpackhi_epi16(b, one);
    __m128i linear[3];
    for (int c = 0; c < 3; ++c) {
      const __m128i low = _mm_srai_epi32(
          _mm_add_epi32(_mm_madd_epi16(rgLow, redGreen[c]), _mm_madd_epi16(b1Low, blueHalf[c])), MATRIX_BITS);
      const __m128i high = _mm_srai_epi32(
          _mm_add_epi32(_mm_madd_epi16(rgHigh, redGreen[c]), _mm_madd_epi16(b1High, blueHalf[c])),
          MATRIX_BITS);
      linear[c] = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(low, high), zero), top);
    }
#define COLOUR_PUT(i)                                        \
  if (step == 4) out[(i)*4 + 3] = in[(i)*4 + 3];             \
  out[(i)*step] = eb[_mm_extract_epi16(linear[2], (i))];     \
  out[(i)*step + 1] = eg[_mm_extract_epi16(linear[1], (i))]; \
  out[(i)*step + 2] = er[_mm_extract_epi16(linear[0], (i))]
    COLOUR_PUT(0);
    COLOUR_PUT(1);
    COLOUR_PUT(2);
    COLOUR_PUT(3);
    COLOUR_PUT(4);
    COLOUR_PUT(5);
    COLOUR_PUT(6);
    COLOUR_PUT(7);
#undef COLOUR_PUT
  }
  return x;
}
#endif

/* The kernel compiled once for each pixel size. A 32-bit Windows caller keeps its stack to 4 bytes, and
   SSE2 spills want 16: the entry realigns it. */
__attribute__((target("sse2"), force_align_arg_pointer)) static int MatrixShaperRowSse2Bgr(
    const MatrixShaper* k, const unsigned char* in, unsigned char* out, int width) {
  return MatrixShaperRowSse2(k, in, out, width, 3);
}
__attribute__((target("sse2"), force_align_arg_pointer)) static int MatrixShaperRowSse2Bgra(
    const MatrixShaper* k, const unsigned char* in, unsigned char* out, int width) {
  return MatrixShaperRowSse2(k, in, out, width, 4);
}

static void ConvertRow(const MatrixShaper* k, const unsigned char* in, unsigned char* out, int width,
                       int step) {
  int done = 0;
#ifdef COLOUR_SSE2
  if (k->simd)
    done = step == 4 ? MatrixShaperRowSse2Bgra(k, in, out, width) : MatrixShaperRowSse2Bgr(k, in, out, width);
#endif
  MatrixShaperRow(k, in + done * step, out + done * step, width - done, step);
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
  LookUpDisplayProfileOnce();
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
      ConvertRow(t->fast, in + y * inStride, out + y * outStride, width,
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
