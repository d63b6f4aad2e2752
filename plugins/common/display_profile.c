/* Colour management in our plug-ins. The Susie interface has no way to hand a picture's ICC profile to
   the host, so each plug-in converts its own pictures to the display's profile before handing them
   over (which also serves every other host). The display's profile is looked up once, by the first
   conversion: the screen's profile where Windows has one, else sRGB (and always sRGB in the native
   fuzz build). */
#include "common/display_profile.h"

#include "photo/colour_profile.h"

#ifdef _WIN32
#include "platform/win32/screen_profile.h"
#endif

void SpiDibToDisplay(SpiDib* dib, const void* icc, size_t size) {
  if (icc == NULL || size == 0) return;
#ifdef _WIN32
  zeb_colour_set_display_profile_lookup(zeb_colour_look_up_screen_profile);
#endif
  if (dib->bitCount == 8) /* a palette picture: its colour table (blue, green, red, unused) */
    zeb_colour_to_display(icc, size, (unsigned char*)dib->info->bmiColors, 256, 1, 256 * 4, 4);
  else
    zeb_colour_to_display(icc, size, dib->bits, dib->width, dib->height, (ptrdiff_t)dib->stride,
                          dib->bitCount / 8);
}
