/* Wine's floor for a window program: the least a Win32 program does to show a picture (one window of
 * one colour, 1400 x 1000, at the top-left corner).   floor_window.exe R G B
 * Without a colour ("floor_window.exe hold") it holds one hidden window until it is ended: Wine's desktop
 * process (explorer.exe) then stays up, as the shell does on Windows, and no timed program pays its start. */
#include <stdlib.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
  (void)previous, (void)line;
  const int hold = __argc < 4;
  WNDCLASSW cls = {0, DefWindowProcW, 0, 0, instance, NULL, NULL, NULL, NULL, L"Floor"};
  if (!hold) cls.hbrBackground = CreateSolidBrush(RGB(atoi(__argv[1]), atoi(__argv[2]), atoi(__argv[3])));
  RegisterClassW(&cls);
  HWND window = CreateWindowW(L"Floor", L"floor", WS_OVERLAPPEDWINDOW, 0, 0, hold ? 1 : 1400, hold ? 1 : 1000,
                              NULL, NULL, instance, NULL);
  if (!hold) ShowWindow(window, show);
  for (MSG msg; GetMessageW(&msg, NULL, 0, 0) > 0;) DispatchMessageW(&msg);
  return 0;
}
