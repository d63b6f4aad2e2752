#include "platform/services/background.h"

#include "platform/headless/headless.h"

namespace zeb {

void RunInBackground(std::function<void()> work) { headless::PostTask(std::move(work)); }

}  // namespace zeb
