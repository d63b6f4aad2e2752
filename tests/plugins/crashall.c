/* A plug-in whose every export writes through a null pointer, GetPluginInfo included. */
#include <windows.h>

#include "common/susie_types.h"

static void Crash(void) { *(volatile int*)0 = 1; }

__declspec(dllexport) int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
  (void)infono;
  (void)buf;
  (void)buflen;
  Crash();
  return 0;
}

__declspec(dllexport) int __stdcall IsSupported(LPCSTR filename, DWORD_PTR dw) {
  (void)filename;
  (void)dw;
  Crash();
  return 0;
}

__declspec(dllexport) int __stdcall GetPictureInfo(LPCSTR buf, LONG_PTR len, unsigned int flag,
                                                   PictureInfo* lpInfo) {
  (void)buf;
  (void)len;
  (void)flag;
  (void)lpInfo;
  Crash();
  return 0;
}

__declspec(dllexport) int __stdcall GetPicture(LPCSTR buf, LONG_PTR len, unsigned int flag, HLOCAL* pHBInfo,
                                               HLOCAL* pHBm, ProgressCallback lpPrgressCallback,
                                               LONG_PTR lData) {
  (void)buf;
  (void)len;
  (void)flag;
  (void)pHBInfo;
  (void)pHBm;
  (void)lpPrgressCallback;
  (void)lData;
  Crash();
  return 0;
}
