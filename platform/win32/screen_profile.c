#include "platform/win32/screen_profile.h"

#include <stdlib.h>
#include <windows.h>

#include "photo/colour_profile.h"

/* Larger files are no display profile. */
#define SCREEN_PROFILE_MAX_SIZE (16u << 20)

void zeb_colour_look_up_screen_profile(void) {
  HDC screen = GetDC(NULL);
  WCHAR path[MAX_PATH];
  DWORD length = MAX_PATH;
  const BOOL found = screen != NULL && GetICMProfileW(screen, &length, path);
  if (screen) ReleaseDC(NULL, screen);
  HANDLE file = found ? CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL)
                      : INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) return;
  const DWORD size = GetFileSize(file, NULL);
  void* bytes = size != INVALID_FILE_SIZE && size <= SCREEN_PROFILE_MAX_SIZE ? malloc(size) : NULL;
  DWORD read = 0;
  if (bytes && ReadFile(file, bytes, size, &read, NULL) && read == size)
    zeb_colour_set_display_profile(bytes, size);
  free(bytes);
  CloseHandle(file);
}
