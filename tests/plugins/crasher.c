/* An import plug-in that misbehaves as its file tells it to. A "*.crash" file begins with
   "ZEBCRASH <kind> <export>": the export named (IsSupported or GetPicture) then
     nullwrite  writes through a null pointer,
     wildread   reads an address nothing is mapped at,
     divzero    divides an integer by zero,
     illegal    runs an undefined instruction,
     recurse    recurses until the stack overflows,
     throw      raises a non-continuable exception of its own (as an uncaught C++ exception is raised),
     fpu        loads the x87 control word 0x1332 and an MXCSR with every exception unmasked, and returns
                normally with both left so;
   and what no guard in the caller's process can stop:
     loop       loops for ever,
     deadlock   waits for a lock that a thread of its own holds while that thread waits for one it holds,
     doublefree frees a heap block twice (the second time after it was made again for another use),
     overrun    writes 64 bytes into a block of 32, over the heap's own record of the next block,
     thread     writes through a null pointer on a thread of its own and waits for it,
     exit       ends the process (ExitProcess).
   The other export (and every file without such a header) is refused. */
#include <stdint.h>
#include <string.h>

#define PLUGIN_INFO "00IN", "Crashing test plug-in", "*.crash", "Crash"
#include "common/plugin_info.h"
#include "common/plugin_input.h"

static const char kMagic[] = "ZEBCRASH ";

/* The kind named for Export in the first bytes of a file, or NULL. */
static const char* CrashKind(const unsigned char* data, size_t size, const char* export) {
  static char line[64];
  size_t n = 0;
  if (size < sizeof kMagic - 1 || memcmp(data, kMagic, sizeof kMagic - 1) != 0) return NULL;
  while (n < size && n < sizeof line - 1 && data[n] != '\n' && data[n] != '\r') {
    line[n] = (char)data[n];
    ++n;
  }
  line[n] = 0;
  char* kind = line + sizeof kMagic - 1;
  char* space = strchr(kind, ' ');
  if (space == NULL || strcmp(space + 1, export) != 0) return NULL;
  *space = 0;
  return kind;
}

static volatile int zero = 0, sink = 0;
static volatile int stopRecursing = 0;

__attribute__((noinline)) static int Recurse(int depth) {
  volatile char frame[1024];
  if (stopRecursing) return 0;
  frame[depth % sizeof frame] = (char)depth;
  return Recurse(depth + 1) + frame[0];
}

static CRITICAL_SECTION first, second;

static DWORD WINAPI HoldSecondThenFirst(LPVOID unused) {
  (void)unused;
  EnterCriticalSection(&second);
  Sleep(50);
  EnterCriticalSection(&first);
  return 0;
}

static DWORD WINAPI WriteNull(LPVOID unused) {
  (void)unused;
  *(volatile int*)0 = 1;
  return 0;
}

static void Deadlock(void) {
  InitializeCriticalSection(&first);
  InitializeCriticalSection(&second);
  EnterCriticalSection(&first);
  CloseHandle(CreateThread(NULL, 0, HoldSecondThenFirst, NULL, 0, NULL));
  Sleep(20);
  EnterCriticalSection(&second);
}

/* Twice: a block is freed, made again (for the plug-in's next use of it), and freed again by the first
   owner, who still holds it; the second owner then writes to the block the heap holds as free. */
static void DamageHeap(int twice) {
  HANDLE heap = GetProcessHeap();
  volatile unsigned char* block = HeapAlloc(heap, 0, 32);
  void* after[4];
  for (int i = 0; i < 4; ++i) after[i] = HeapAlloc(heap, 0, 32);
  if (twice) {
    HeapFree(heap, 0, (void*)block);
    volatile unsigned char* again = HeapAlloc(heap, 0, 32);
    HeapFree(heap, 0, (void*)block);
    for (int i = 0; i < 32; ++i) again[i] = 0xA5;
  } else {
    for (int i = 0; i < 64; ++i) block[i] = 0xA5;
  }
  (void)after;
}

/* Misbehaves as Kind says; returns only for "fpu", the heap's damage or an unknown kind. */
static int Misbehave(const char* kind) {
  if (strcmp(kind, "loop") == 0)
    for (volatile int spin = 0;; ++spin) {
    }
  if (strcmp(kind, "deadlock") == 0) Deadlock();
  if (strcmp(kind, "doublefree") == 0) DamageHeap(1);
  if (strcmp(kind, "overrun") == 0) DamageHeap(0);
  if (strcmp(kind, "thread") == 0)
    WaitForSingleObject(CreateThread(NULL, 0, WriteNull, NULL, 0, NULL), INFINITE);
  if (strcmp(kind, "exit") == 0) ExitProcess(0);
  if (strcmp(kind, "nullwrite") == 0) *(volatile int*)0 = 1;
  if (strcmp(kind, "wildread") == 0) return *(volatile int*)0x87654320u;
  if (strcmp(kind, "divzero") == 0) sink = (sink + 100) / zero;
  if (strcmp(kind, "illegal") == 0) __asm__ volatile("ud2");
  if (strcmp(kind, "recurse") == 0) return Recurse(0);
  if (strcmp(kind, "throw") == 0) RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, NULL);
  if (strcmp(kind, "fpu") == 0) {
    unsigned short controlWord = 0x1332;
    unsigned int mxcsr = 0x0000;
    __asm__ volatile("fldcw %0" : : "m"(controlWord));
    __asm__ volatile("ldmxcsr %0" : : "m"(mxcsr));
  }
  return 0;
}

__declspec(dllexport) int __stdcall IsSupported(LPCSTR filename, DWORD_PTR dw) {
  (void)filename;
  /* The header is handed over in memory (a value past 0xFFFF is its address). */
  if (dw <= 0xFFFF) return 0;
  const char* kind = CrashKind((const unsigned char*)(uintptr_t)dw, 2048, "IsSupported");
  if (kind) Misbehave(kind);
  return memcmp((const void*)(uintptr_t)dw, kMagic, sizeof kMagic - 1) == 0;
}

__declspec(dllexport) int __stdcall GetPictureInfo(LPCSTR buf, LONG_PTR len, unsigned int flag,
                                                   PictureInfo* lpInfo) {
  (void)buf;
  (void)len;
  (void)flag;
  memset(lpInfo, 0, sizeof *lpInfo);
  return SPI_ALL_RIGHT;
}

__declspec(dllexport) int __stdcall GetPicture(LPCSTR buf, LONG_PTR len, unsigned int flag, HLOCAL* pHBInfo,
                                               HLOCAL* pHBm, ProgressCallback lpPrgressCallback,
                                               LONG_PTR lData) {
  const unsigned char* data;
  size_t size;
  void* owned;
  (void)pHBInfo;
  (void)pHBm;
  (void)lpPrgressCallback;
  (void)lData;
  int result = SpiReadInput(buf, len, flag, 4096, &data, &size, &owned);
  if (result != SPI_ALL_RIGHT) return result;
  const char* kind = CrashKind(data, size, "GetPicture");
  if (kind) {
    /* A half-made block handed out first, as a real decoder has one when it fails. */
    *pHBInfo = LocalAlloc(LMEM_MOVEABLE, 40);
    Misbehave(kind);
  }
  if (owned) HeapFree(GetProcessHeap(), 0, owned);
  return SPI_UNKNOWN_FORMAT;
}
