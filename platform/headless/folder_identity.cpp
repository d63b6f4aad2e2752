#include "platform/headless/folder_identity.h"

#include "platform/services/folder_identity.h"

namespace zeb {

namespace headless {
std::function<std::string(const std::string& folder)>& FolderIdentityRule() {
  static std::function<std::string(const std::string&)> rule;
  return rule;
}
}  // namespace headless

std::string FolderIdentity(const std::string& folder) {
  if (auto& rule = headless::FolderIdentityRule()) return rule(folder);
  return FolderPathIdentity(folder);
}

}  // namespace zeb
