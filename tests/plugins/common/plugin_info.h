/* GetPluginInfo for the test plug-ins. Define PLUGIN_INFO as the list of texts (info 0, 1, 2, ...)
   before including this file: the API version, the plug-in's name, then filter and description pairs. */
#ifndef ZEB_TEST_PLUGIN_INFO_H
#define ZEB_TEST_PLUGIN_INFO_H

#include <windows.h>

static const char* const kPluginInfo[] = {PLUGIN_INFO};

/* Copies text number InfoNo (at most BufLen - 1 characters and a NUL); returns the characters copied,
   or 0 past the last text. */
__declspec(dllexport) int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
  int count = (int)(sizeof kPluginInfo / sizeof kPluginInfo[0]);
  if (infono < 0 || infono >= count || buf == NULL || buflen <= 0) return 0;
  lstrcpynA(buf, kPluginInfo[infono], buflen);
  return lstrlenA(buf);
}

#endif
