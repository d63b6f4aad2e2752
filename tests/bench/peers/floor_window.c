/* Wine's floor for a window program: the least a Win32 program does to put a picture on screen (one
 * window of one colour, 1400 x 1000, at the top-left corner). Its time until shown is what any
 * program's start costs under Wine.
 *   floor_window.exe R G B */
#include <stdlib.h>
#include <windows.h>

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
  (void)previous, (void)line;
  WNDCLASSW cls = {0};
  cls.lpfnWndProc = Proc;
  cls.hInstance = instance;
  cls.lpszClassName = L"Floor";
  cls.hbrBackground = CreateSolidBrush(RGB(atoi(__argv[1]), atoi(__argv[2]), atoi(__argv[3])));
  RegisterClassW(&cls);
  HWND hwnd =
      CreateWindowW(L"Floor", L"floor", WS_OVERLAPPEDWINDOW, 0, 0, 1400, 1000, NULL, NULL, instance, NULL);
  ShowWindow(hwnd, show);
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
