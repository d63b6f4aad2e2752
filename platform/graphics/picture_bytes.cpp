#include "platform/graphics/picture_bytes.h"

#include <new>

#include "platform/core/errors.h"
#include "platform/core/streams.h"

namespace zeb {

std::shared_ptr<std::vector<uint8_t>> ReadRestOfStream(Stream& stream, int64_t maxSize,
                                                       const std::string& message) {
  int64_t size = stream.Size() - stream.Position();
  if (size < 0) size = 0;
  if (size > maxSize) throw InvalidPicture(message);
  std::shared_ptr<std::vector<uint8_t>> data;
  try {
    data = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    // A file too large for the memory left is one this process cannot show.
    throw InvalidPicture(message);
  }
  if (size > 0) stream.ReadBuffer(data->data(), size);
  return data;
}

}  // namespace zeb
