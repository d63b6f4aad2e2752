#include "spi/kept_shared_block.h"

namespace zeb::spi {

SharedMemory* KeptSharedBlock::Make(size_t size) {
  if (block_ && block_->Size() >= size) return block_.get();
  block_.reset();
  // Whole 64 KB steps, so that a slightly larger picture next time finds room.
  constexpr size_t kStep = 65536;
  const size_t rounded = size > SIZE_MAX - kStep ? size : (size + kStep - 1) / kStep * kStep;
  block_ = CreateSharedMemory(rounded == 0 ? kStep : rounded);
  return block_.get();
}

SharedMemory* KeptSharedBlock::Open(const std::string& name, size_t size) {
  if (block_ && block_->Name() == name && block_->Size() >= size) return block_.get();
  block_.reset();
  block_ = OpenSharedMemory(name, size);
  return block_.get();
}

void KeptSharedBlock::ReleaseLarge(size_t largest) {
  if (block_ && block_->Size() > largest) block_.reset();
}

}  // namespace zeb::spi
