/* An archive plug-in ("00AM") with the archive exports; it supports no file. */
#define PLUGIN_INFO "00AM", "Archive test plug-in", "*.tar", "Test archive"
#include "common/plugin_info.h"

__declspec(dllexport) int __stdcall IsSupported(LPCSTR filename, DWORD_PTR dw) {
  (void)filename, (void)dw;
  return 0;
}

__declspec(dllexport) int __stdcall GetArchiveInfo(LPCSTR buf, LONG_PTR len, unsigned int flag,
                                                   HLOCAL* lphInf) {
  (void)buf, (void)len, (void)flag;
  if (lphInf) *lphInf = NULL;
  return -1;
}

__declspec(dllexport) int __stdcall GetFileInfo(LPCSTR buf, LONG_PTR len, LPCSTR filename, unsigned int flag,
                                                void* lpInfo) {
  (void)buf, (void)len, (void)filename, (void)flag, (void)lpInfo;
  return -1;
}

__declspec(dllexport) int __stdcall GetFile(LPCSTR src, LONG_PTR len, LPSTR dest, unsigned int flag,
                                            FARPROC progress, LONG_PTR lData) {
  (void)src, (void)len, (void)dest, (void)flag, (void)progress, (void)lData;
  return -1;
}
