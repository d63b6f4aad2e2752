#include "platform/services/background.h"

#include <thread>

#include "platform/headless/headless.h"

namespace zeb {

namespace headless {

BackgroundSettings& Background() {
  static BackgroundSettings settings;
  return settings;
}

}  // namespace headless

bool LaunchBackground(std::function<void()> run) {
  if (headless::Background().failLaunches) return false;
  if (!headless::Background().threads) {
    headless::PostTask(std::move(run));
    return true;
  }
  std::thread(std::move(run)).detach();
  return true;
}

}  // namespace zeb
