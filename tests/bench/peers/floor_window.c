/* Wine's floor for a window program: the least a Win32 program does to show a picture (one window of
 * one colour, 1400 x 1000, at the top-left corner).   floor_window.exe R G B */
#include <stdlib.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
  (void)previous, (void)line;
  WNDCLASSW cls = {0, DefWindowProcW, 0, 0, instance, NULL, NULL, NULL, NULL, L"Floor"};
  cls.hbrBackground = CreateSolidBrush(RGB(atoi(__argv[1]), atoi(__argv[2]), atoi(__argv[3])));
  RegisterClassW(&cls);
  ShowWindow(
      CreateWindowW(L"Floor", L"floor", WS_OVERLAPPEDWINDOW, 0, 0, 1400, 1000, NULL, NULL, instance, NULL),
      show);
  for (MSG msg; GetMessageW(&msg, NULL, 0, 0) > 0;) DispatchMessageW(&msg);
  return 0;
}
