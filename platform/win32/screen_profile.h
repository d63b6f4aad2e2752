/* The screen's colour profile as Windows names it, for the colour code: the viewer and our plug-ins
   hand this lookup to zeb_colour_set_display_profile_lookup, so that it runs only when a picture with
   a profile first needs it. */
#ifndef ZEB_PHOTO_SCREEN_PROFILE_H
#define ZEB_PHOTO_SCREEN_PROFILE_H

#ifdef __cplusplus
extern "C" {
#endif

/* Reads the primary screen's ICC profile and makes it the display's (zeb_colour_set_display_profile);
   without one (or one larger than 16 MB) the display stays sRGB. */
void zeb_colour_look_up_screen_profile(void);

#ifdef __cplusplus
}
#endif

#endif
