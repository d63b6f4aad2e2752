// Headless folder identities: the in-memory file system has no links, so a folder is known by its
// expanded path. Tests that fake links put their own rule here (nullptr restores the default).
#pragma once

#include <functional>
#include <string>

namespace zeb::headless {

std::function<std::string(const std::string& folder)>& FolderIdentityRule();

}  // namespace zeb::headless
