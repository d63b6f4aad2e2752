#include <system_error>
#include <thread>

#include "platform/services/background.h"

namespace zeb {

bool LaunchBackground(std::function<void()> run) {
  try {
    std::thread(std::move(run)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;  // no thread to be had (the address space is full): Run went with the failed thread
  }
}

}  // namespace zeb
