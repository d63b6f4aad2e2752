// Text helpers. Text is UTF-8 everywhere inside the program; only the Win32 layer converts to UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

// Upper-cases the letters a to z only, leaving every other byte (so every non-ASCII character) alone.
std::string UpperAscii(std::string_view s);
std::string LowerAscii(std::string_view s);
// Compares with the letters A to Z taken without regard to case.
bool SameTextAscii(std::string_view a, std::string_view b);

// Folder part of a path: the text up to and including its last "\" or ":" (empty when there is none).
std::string FolderPart(std::string_view path);
// File-name part: the text after the last "\" or ":".
std::string FileNamePart(std::string_view path);
// Extension with its dot: the text from the last "." when it comes after the folder part, else empty.
std::string ExtensionPart(std::string_view path);

// Reads a whole number: optional blanks, an optional sign and decimal digits, within the 32-bit range.
bool TryStrToInt(std::string_view text, int32_t& value);
std::string IntToStr(int64_t value);

// Splits a text into lines the way every list-file reader does: a line ends at CR, LF or CR LF,
// a NUL byte ends the text, and a line break at the very end makes no extra empty line.
std::vector<std::string> SplitLines(std::string_view text);

// Replaces each "%s" in turn by the next argument.
std::string FormatText(std::string_view format, const std::vector<std::string>& args);

// UTF-8 to UTF-16 and back, for the wide entry points of plug-ins. Three-byte forms of lone surrogates
// (which Windows file names may hold) pass as those surrogates; bytes that are no UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace zeb
