#include "platform/headless/folder_identity.h"

#include "platform/core/strings.h"
#include "platform/services/file_system.h"
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
  std::string path = UpperAscii(Files().ExpandFileName(folder));
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace zeb
