// UTF-8 inside, UTF-16 at the Win32 boundary. Lone surrogates (legal in Windows file names) travel
// through UTF-8 as their three-byte forms, so every name the system reports can be opened again.
#pragma once

#include <string>
#include <string_view>

namespace zeb::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// Converts into Out, reusing its storage (for hot loops).
void NarrowInto(std::wstring_view utf16, std::string& out);
void WidenInto(std::string_view utf8, std::wstring& out);

// Offsets into the same text: UTF-16 units from UTF-8 bytes and back.
size_t Utf16Offset(std::string_view utf8, size_t byteOffset);
size_t Utf8Offset(std::wstring_view utf16, size_t unitOffset);

}  // namespace zeb::win32
