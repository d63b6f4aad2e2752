// A shared block kept from one plug-in call to the next: making and mapping a block costs more than
// reading a small picture, so each side keeps its last block and uses it again while it is large enough.
// A block larger than kLargestKept (a large picture's pixels) goes as soon as it has been used.
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
  // Lets go of the block when it is larger than what is kept.
  void ReleaseLarge();

 private:
  std::unique_ptr<SharedMemory> block_;
};

}  // namespace zeb::spi
