// Little-endian numbers written into the bytes of a file that a test makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zeb::test {

inline void Put16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
inline void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void Append16(std::string& s, uint32_t v) {
  s.resize(s.size() + 2);
  Put16(s, s.size() - 2, static_cast<uint16_t>(v));
}
inline void Append32(std::string& s, uint32_t v) {
  s.resize(s.size() + 4);
  Put32(s, s.size() - 4, v);
}

}  // namespace zeb::test
