/* Wine's floor for a window program: the least a Win32 program does to show a picture (one window of
 * one colour, 1400 x 1000, at the top-left corner).   floor_window.exe R G B
 * With "hold" it keeps one hidden window until it is ended: Wine's desktop process (explorer.exe)
 * then stays running, as the shell does on Windows, and no timed program pays its start.
 *   floor_window.exe hold */
#include <stdlib.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
  (void)previous, (void)line;
  WNDCLASSW cls = {0, DefWindowProcW, 0, 0, instance, NULL, NULL, NULL, NULL, L"Floor"};
  const int hold = __argc == 2 && lstrcmpA(__argv[1], "hold") == 0;
  if (!hold && __argc < 4) return 2;
  if (!hold) cls.hbrBackground = CreateSolidBrush(RGB(atoi(__argv[1]), atoi(__argv[2]), atoi(__argv[3])));
  RegisterClassW(&cls);
  if (hold) {
    CreateWindowW(L"Floor", L"hold", WS_OVERLAPPEDWINDOW, 0, 0, 1, 1, NULL, NULL, instance, NULL);
    for (MSG msg; GetMessageW(&msg, NULL, 0, 0) > 0;) DispatchMessageW(&msg);
    return 0;
  }
  ShowWindow(
      CreateWindowW(L"Floor", L"floor", WS_OVERLAPPEDWINDOW, 0, 0, 1400, 1000, NULL, NULL, instance, NULL),
      show);
  for (MSG msg; GetMessageW(&msg, NULL, 0, 0) > 0;) DispatchMessageW(&msg);
  return 0;
}
