/* What every test import plug-in does with its input and its result blocks. */
#ifndef ZEB_TEST_PLUGIN_INPUT_H
#define ZEB_TEST_PLUGIN_INPUT_H

#include <windows.h>

#include "susie_types.h"

/* The input as bytes in memory: the caller's buffer (flag 1: buf is the data, len its size), or the file
   (flag 0: buf is its name, len the offset) read from the offset into a heap block of at most MaxFile
   bytes (*Owned, freed by the caller with HeapFree). */
static inline int SpiReadInput(LPCSTR buf, LONG_PTR len, unsigned int flag, DWORD maxFile,
                               const unsigned char** data, size_t* size, void** owned) {
  *owned = NULL;
  if ((flag & SPI_INPUT_MASK) == SPI_INPUT_MEMORY) {
    if (buf == NULL || len < 0) return SPI_BROKEN_DATA;
    *data = (const unsigned char*)buf;
    *size = (size_t)len;
    return SPI_ALL_RIGHT;
  }
  if ((flag & SPI_INPUT_MASK) != SPI_INPUT_FILE || buf == NULL || len < 0) return SPI_UNKNOWN_FORMAT;
  HANDLE file =
      CreateFileA(buf, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return SPI_FILE_READ_ERROR;
  DWORD fileSize = GetFileSize(file, NULL);
  int result = SPI_FILE_READ_ERROR;
  if (fileSize != INVALID_FILE_SIZE && fileSize <= maxFile && (DWORD)len <= fileSize &&
      SetFilePointer(file, len, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
    DWORD wanted = fileSize - (DWORD)len, got = 0;
    *owned = HeapAlloc(GetProcessHeap(), 0, wanted ? wanted : 1);
    if (*owned == NULL) {
      result = SPI_NO_MEMORY;
    } else if (ReadFile(file, *owned, wanted, &got, NULL) && got == wanted) {
      *data = (const unsigned char*)*owned;
      *size = wanted;
      result = SPI_ALL_RIGHT;
    } else {
      HeapFree(GetProcessHeap(), 0, *owned);
      *owned = NULL;
    }
  }
  CloseHandle(file);
  return result;
}

/* Ends a picture export: the locked blocks are unlocked; on success they are handed to the caller,
   otherwise freed. */
static inline int SpiHandOver(int result, HLOCAL hInfo, void* info, HLOCAL hBits, void* bits, HLOCAL* pHBInfo,
                              HLOCAL* pHBm) {
  if (info) LocalUnlock(hInfo);
  if (bits) LocalUnlock(hBits);
  if (result != SPI_ALL_RIGHT) {
    if (hInfo) LocalFree(hInfo);
    if (hBits) LocalFree(hBits);
    return result;
  }
  *pHBInfo = hInfo;
  *pHBm = hBits;
  return SPI_ALL_RIGHT;
}

#endif
