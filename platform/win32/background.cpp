#include "platform/services/background.h"

#include <thread>

namespace zeb {

void RunInBackground(std::function<void()> work) { std::thread(std::move(work)).detach(); }

}  // namespace zeb
