// The library loader: dynamic libraries (Susie plug-ins) loaded by path. On Win32 these are
// LoadLibraryW, GetProcAddress, FreeLibrary and GetModuleFileNameW; the headless build holds
// in-process fake libraries that tests register (platform/headless/fake_libraries.h).
#pragma once

#include <string>

namespace zeb {

using LibraryHandle = void*;

// Loads a library (raising its load count); nullptr when it cannot be loaded.
LibraryHandle LoadLibraryFile(const std::string& path);
// The entry address of an export, or nullptr.
void* LibraryProc(LibraryHandle library, const char* name);
// Lowers the load count; the library leaves memory at zero.
void FreeLibraryHandle(LibraryHandle library);
// The full path of the loaded library (at most 255 characters, as asked for with a 256-byte buffer);
// empty when the platform reports nothing.
std::string LibraryFileName(LibraryHandle library);

}  // namespace zeb
