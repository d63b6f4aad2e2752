#include "platform/win32/utf16.h"

#include <cstdint>

namespace zeb::win32 {

namespace {

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one character at S[i]; returns its code point (U+FFFD for a malformed byte) and sets Length.
// Encoded surrogates (ED A0..BF xx) decode to the surrogate itself.
uint32_t Decode(std::string_view s, size_t i, size_t& length) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t left = s.size() - i;
  length = 1;
  if (c < 0x80) return c;
  auto at = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
  if (c >= 0xC2 && c <= 0xDF && left >= 2 && Continuation(at(1))) {
    length = 2;
    return (c & 0x1Fu) << 6 | (at(1) & 0x3Fu);
  }
  if (c >= 0xE0 && c <= 0xEF && left >= 3 && Continuation(at(1)) && Continuation(at(2)) &&
      (c != 0xE0 || at(1) >= 0xA0)) {
    length = 3;
    return (c & 0x0Fu) << 12 | (at(1) & 0x3Fu) << 6 | (at(2) & 0x3Fu);
  }
  if (c >= 0xF0 && c <= 0xF4 && left >= 4 && Continuation(at(1)) && Continuation(at(2)) &&
      Continuation(at(3)) && (c != 0xF0 || at(1) >= 0x90) && (c != 0xF4 || at(1) <= 0x8F)) {
    length = 4;
    return (c & 0x07u) << 18 | (at(1) & 0x3Fu) << 12 | (at(2) & 0x3Fu) << 6 | (at(3) & 0x3Fu);
  }
  return 0xFFFD;
}

bool High(wchar_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool Low(wchar_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

void WidenInto(std::string_view utf8, std::wstring& out) {
  out.clear();
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {  // the common case, kept short
      out.push_back(static_cast<wchar_t>(c));
      ++i;
      continue;
    }
    size_t n;
    uint32_t cp = Decode(utf8, i, n);
    i += n;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(cp));
    }
  }
}

void NarrowInto(std::wstring_view utf16, std::string& out) {
  out.clear();
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    uint32_t u = static_cast<uint16_t>(utf16[i]);
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
      continue;
    }
    if (High(static_cast<wchar_t>(u)) && i + 1 < utf16.size() && Low(utf16[i + 1])) {
      u = 0x10000 + ((u - 0xD800) << 10) + (static_cast<uint16_t>(utf16[++i]) - 0xDC00);
      out.push_back(static_cast<char>(0xF0 | u >> 18));
      out.push_back(static_cast<char>(0x80 | (u >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | u >> 6));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {  // also a lone surrogate
      out.push_back(static_cast<char>(0xE0 | u >> 12));
      out.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
}

std::wstring Widen(std::string_view utf8) {
  std::wstring out;
  WidenInto(utf8, out);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  std::string out;
  NarrowInto(utf16, out);
  return out;
}

size_t Utf16Offset(std::string_view utf8, size_t byteOffset) {
  size_t units = 0;
  for (size_t i = 0; i < utf8.size() && i < byteOffset;) {
    size_t n;
    uint32_t cp = Decode(utf8, i, n);
    i += n;
    units += cp >= 0x10000 ? 2 : 1;
  }
  return units;
}

size_t Utf8Offset(std::wstring_view utf16, size_t unitOffset) {
  size_t bytes = 0;
  for (size_t i = 0; i < utf16.size() && i < unitOffset; ++i) {
    uint32_t u = static_cast<uint16_t>(utf16[i]);
    if (High(static_cast<wchar_t>(u)) && i + 1 < utf16.size() && Low(utf16[i + 1])) {
      bytes += 4;
      ++i;
    } else {
      bytes += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    }
  }
  return bytes;
}

}  // namespace zeb::win32
