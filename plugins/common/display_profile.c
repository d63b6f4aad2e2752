/* Colour management in our plug-ins. The Susie interface has no way to hand a picture's ICC profile to
   the host, so each plug-in converts its own pictures to the display's profile before handing them
   over (which also serves every other host). The display's profile is looked up here once, on first
   use: the screen's profile where Windows has one, else sRGB (and always sRGB in the native fuzz build). */
#include "common/display_profile.h"

#include <stdlib.h>

#include "photo/colour_profile.h"

#ifdef _WIN32
/* Larger files are no display profile. */
#define DISPLAY_PROFILE_MAX_SIZE (16u << 20)

static void LookUpDisplayProfile(void) {
  HDC screen = GetDC(NULL);
  WCHAR path[MAX_PATH];
  DWORD length = MAX_PATH;
  const BOOL found = screen != NULL && GetICMProfileW(screen, &length, path);
  if (screen) ReleaseDC(NULL, screen);
  HANDLE file = found ? CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL)
                      : INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) return;
  const DWORD size = GetFileSize(file, NULL);
  void* bytes = size != INVALID_FILE_SIZE && size <= DISPLAY_PROFILE_MAX_SIZE ? malloc(size) : NULL;
  DWORD read = 0;
  if (bytes && ReadFile(file, bytes, size, &read, NULL) && read == size)
    zeb_colour_set_display_profile(bytes, size);
  free(bytes);
  CloseHandle(file);
}

/* 0: not looked up yet, 1: being looked up by one thread, 2: done. */
static volatile LONG displayState;

static void EnsureDisplayProfile(void) {
  if (InterlockedCompareExchange(&displayState, 1, 0) == 0) {
    LookUpDisplayProfile();
    InterlockedExchange(&displayState, 2);
  }
  while (InterlockedCompareExchange(&displayState, 2, 2) != 2) Sleep(1);
}
#else
static void EnsureDisplayProfile(void) {}
#endif

void SpiDibToDisplay(SpiDib* dib, const void* icc, size_t size) {
  if (icc == NULL || size == 0) return;
  EnsureDisplayProfile();
  if (dib->bitCount == 8) /* a palette picture: its colour table (blue, green, red, unused) */
    zeb_colour_to_display(icc, size, (unsigned char*)dib->info->bmiColors, 256, 1, 256 * 4, 4);
  else
    zeb_colour_to_display(icc, size, dib->bits, dib->width, dib->height, (ptrdiff_t)dib->stride,
                          dib->bitCount / 8);
}
