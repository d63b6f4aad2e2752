// Small helpers of the picture readers: little- and big-endian fields, and reading the rest of a stream.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace zeb {

class Stream;

inline uint16_t ReadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline int16_t ReadLE16s(const uint8_t* p) { return static_cast<int16_t>(ReadLE16(p)); }
inline uint32_t ReadLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline int32_t ReadLE32s(const uint8_t* p) { return static_cast<int32_t>(ReadLE32(p)); }
inline uint16_t ReadBE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t ReadBE32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

// The bytes from the stream's position to its end. A stream longer than MaxSize, or too long for the
// memory left, raises InvalidPicture with Message (a picture file that size is not read into memory).
std::shared_ptr<std::vector<uint8_t>> ReadRestOfStream(Stream& stream, int64_t maxSize,
                                                       const std::string& message);

}  // namespace zeb
