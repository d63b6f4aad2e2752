// A shared block kept from one plug-in call to the next: making and mapping a block costs more than
// reading a small picture, and the first writes to a new block's pages cost more than copying a large
// picture into it, so each side keeps its last block and uses it again while it is large enough.
// A block larger than what the owner keeps goes as soon as it has been used.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/services/helper_process.h"

namespace zeb::spi {

class KeptSharedBlock {
 public:
  static constexpr size_t kLargestKept = size_t{16} << 20;

  // A block this side made, of at least Size bytes; nullptr when there is no room for it.
  SharedMemory* Make(size_t size);
  // The block another process made under Name, at least Size bytes of it; nullptr when there is none.
  SharedMemory* Open(const std::string& name, size_t size);
  // Lets go of the block when it is larger than Largest.
  void ReleaseLarge(size_t largest = kLargestKept);

 private:
  std::unique_ptr<SharedMemory> block_;
};

}  // namespace zeb::spi
