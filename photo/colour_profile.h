/* Colour management: pixels that carry an ICC profile (JPEG APP2, PNG iCCP, WebP ICCP, TIFF's profile
   tag) converted with Little CMS 2 to the display's profile, where the picture is decoded. Shared by the
   viewer's built-in JPEG reader and our own plug-ins. Portable C: no windows.h here; the display's
   profile is handed in, or looked up by the caller's lookup when a conversion first needs it.

   Thread-safe: the viewer decodes on several threads at once. A transform takes milliseconds to make,
   so the last ones used are kept (keyed by the embedded profile's bytes and the pixel layout). Between
   two matrix-shaper profiles the pixels go through a kernel of our own over the curves and matrices
   lcms2 reads; any other pair through lcms2's own 8-bit transform. */
#ifndef ZEB_PHOTO_COLOUR_PROFILE_H
#define ZEB_PHOTO_COLOUR_PROFILE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The display's profile, copied (NULL, or a profile that cannot take RGB from the profile connection
   space: sRGB, the default). Conversions made afterwards use it. */
void zeb_colour_set_display_profile(const void* icc, size_t size);
/* How the display's profile is found (a function that hands it to zeb_colour_set_display_profile):
   run once, by the first conversion, so that pictures without a profile never wait for it. Setting it
   again changes nothing once it has run. */
void zeb_colour_set_display_profile_lookup(void (*lookup)(void));

/* Converts in place Height rows of Width pixels, Stride bytes apart (negative for a bottom-up DIB walked
   from its top row), of blue, green, red (BytesPerPixel 3) or blue, green, red and straight alpha (4; the
   alpha is untouched) from the RGB profile Icc to the display's. Returns 0 when converted, non-zero
   when the profile cannot be used (not an RGB profile, damaged, or no memory): the pixels are then
   unchanged. */
int zeb_colour_to_display(const void* icc, size_t size, unsigned char* pixels, int width, int height,
                          ptrdiff_t stride, int bytes_per_pixel);

/* For a decoder that converts as its rows come: a transform from a picture's profile to the display's,
   taken once and applied to each band of rows. */
typedef struct zeb_colour_transform zeb_colour_transform;
enum zeb_colour_layout {
  ZEB_COLOUR_BGR,           /* in and out: blue, green, red */
  ZEB_COLOUR_BGRA,          /* in and out: blue, green, red, straight alpha (kept) */
  ZEB_COLOUR_CMYK,          /* in: cyan, magenta, yellow, black; out: blue, green, red */
  ZEB_COLOUR_CMYK_INVERTED, /* the same with every ink stored as 255 - ink, as Adobe writes it */
};
/* The transform for pictures of this profile and layout, or NULL when the profile cannot be used for it
   (its colour space is not the layout's, it is damaged, or there is no memory). Release it after use. */
zeb_colour_transform* zeb_colour_transform_acquire(const void* icc, size_t size,
                                                   enum zeb_colour_layout layout);
/* Height rows of Width pixels from In to Out (which may be the same rows), each Stride bytes apart. */
void zeb_colour_transform_rows(const zeb_colour_transform* transform, const unsigned char* in,
                               ptrdiff_t in_stride, unsigned char* out, ptrdiff_t out_stride, int width,
                               int height);
void zeb_colour_transform_release(zeb_colour_transform* transform);

#ifdef __cplusplus
}
#endif

#endif
