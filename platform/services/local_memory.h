// Local memory: the blocks Susie plug-ins return. On Win32 these are LocalAlloc handles; the headless
// build keeps its own blocks and counts them, so tests can show every block freed exactly once.
#pragma once

#include <cstddef>

namespace zeb {

using LocalHandle = void*;

LocalHandle LocalAllocate(size_t size);  // moveable, zero-filled; nullptr on failure
void* LocalLockHandle(LocalHandle handle);
bool LocalUnlockHandle(LocalHandle handle);
void LocalFreeHandle(LocalHandle handle);
// Size of a block in bytes; 0 for a handle that is not a live block.
size_t LocalHandleSize(LocalHandle handle);

// MulDiv: a * b / c rounded to the nearest integer; -1 when c is 0 or the result overflows.
int MulDivInt(int a, int b, int c);

}  // namespace zeb
