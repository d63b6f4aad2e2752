/* An import plug-in with the wide-character entry points: PPM and PGM as ppm.spi, and IsSupportedW,
   GetPictureInfoW and GetPictureW, which open a file by its UTF-16 name (and read it into memory for
   the ANSI exports). Its texts come in UTF-16 too, its name in letters a Western code page lacks. */
#define PLUGIN_INFO "00IN", "PPM test plug-in (wide names)", "*.ppm", "PPM"
#include "common/plugin_info.h"
#include "common/pnm_import.h"

static const WCHAR* const kWideInfo[] = {L"00IN", L"ワイド名 PPM", L"*.ppm", L"PPM"};

__declspec(dllexport) int __stdcall GetPluginInfoW(int infono, LPWSTR buf, int buflen) {
  if (infono < 0 || infono >= (int)(sizeof kWideInfo / sizeof kWideInfo[0]) || !buf || buflen <= 0) return 0;
  lstrcpynW(buf, kWideInfo[infono], buflen);
  return lstrlenW(buf);
}

__declspec(dllexport) int __stdcall IsSupportedW(LPCWSTR filename, DWORD_PTR dw) {
  (void)filename;
  return IsSupported(NULL, dw);
}

/* The file named Name from Offset on, in a heap block of *Size bytes; NULL when unreadable. */
static char* ReadWideNamed(LPCWSTR name, LONG_PTR offset, DWORD* size) {
  HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  DWORD fileSize = GetFileSize(file, NULL), got = 0;
  char* data = NULL;
  if (file != INVALID_HANDLE_VALUE && fileSize <= PNM_MAX_FILE && offset >= 0 && (DWORD)offset <= fileSize &&
      SetFilePointer(file, (LONG)offset, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
    *size = fileSize - (DWORD)offset;
    data = HeapAlloc(GetProcessHeap(), 0, *size + 1);
    if (data && !(ReadFile(file, data, *size, &got, NULL) && got == *size))
      HeapFree(GetProcessHeap(), 0, data), data = NULL;
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return data;
}

/* Memory input is the same bytes as for the ANSI exports; a file is read by its wide name. */
__declspec(dllexport) int __stdcall GetPictureInfoW(LPCWSTR buf, LONG_PTR len, unsigned int flag,
                                                    PictureInfo* lpInfo) {
  if ((flag & SPI_INPUT_MASK) != SPI_INPUT_FILE) return GetPictureInfo((LPCSTR)buf, len, flag, lpInfo);
  DWORD size;
  char* data = ReadWideNamed(buf, len, &size);
  int result = data ? GetPictureInfo(data, size, SPI_INPUT_MEMORY, lpInfo) : SPI_FILE_READ_ERROR;
  if (data) HeapFree(GetProcessHeap(), 0, data);
  return result;
}

__declspec(dllexport) int __stdcall GetPictureW(LPCWSTR buf, LONG_PTR len, unsigned int flag, HLOCAL* pHBInfo,
                                                HLOCAL* pHBm, ProgressCallback lpPrgressCallback,
                                                LONG_PTR lData) {
  if ((flag & SPI_INPUT_MASK) != SPI_INPUT_FILE)
    return GetPicture((LPCSTR)buf, len, flag, pHBInfo, pHBm, lpPrgressCallback, lData);
  DWORD size;
  char* data = ReadWideNamed(buf, len, &size);
  int result = data ? GetPicture(data, size, SPI_INPUT_MEMORY, pHBInfo, pHBm, lpPrgressCallback, lData)
                    : SPI_FILE_READ_ERROR;
  if (data) HeapFree(GetProcessHeap(), 0, data);
  return result;
}
