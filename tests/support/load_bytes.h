// A picture file's bytes, held in a string, fed to a stream or a picture as the picture tests do.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"

namespace zeb::test {

// Replaces the stream's contents by Bytes and rewinds it.
inline void FillStream(MemoryStream& stream, const std::string& bytes) {
  stream.Clear();
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream.SetPosition(0);
}

// Reads Bytes into Graphic through a memory stream.
inline void LoadBytes(Image& graphic, const std::string& bytes) {
  MemoryStream stream;
  FillStream(stream, bytes);
  graphic.LoadFromStream(stream);
}

}  // namespace zeb::test
