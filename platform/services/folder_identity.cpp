#include "platform/services/folder_identity.h"

#include "platform/core/strings.h"
#include "platform/services/file_system.h"

namespace zeb {

std::string FolderPathIdentity(const std::string& folder) {
  std::string path = UpperAscii(Files().ExpandFileName(folder));
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace zeb
