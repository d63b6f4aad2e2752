#include "app/list/extension_set.h"

#include <algorithm>

#include "platform/core/strings.h"
#include "platform/graphics/graphic.h"
#include "platform/services/file_system.h"

namespace zeb::app {

ExtensionSet::ExtensionSet(const std::string& fileMask) {
  size_t start = 0;
  while (start <= fileMask.size()) {
    size_t end = fileMask.find(';', start);
    if (end == std::string::npos) end = fileMask.size();
    std::string item = fileMask.substr(start, end - start);
    if (!item.empty() && item[0] == '*') item.erase(0, 1);
    // An empty item would make every file a picture.
    if (!item.empty()) extensions_.push_back(UpperAscii(item));
    start = end + 1;
  }
  extensions_.push_back(".ZEB");
  for (size_t i = 0; i < extensions_.size(); ++i) {
    const std::string& ext = extensions_[i];
    if (ext.find_first_of("*?") == std::string::npos)
      plain_[ext].push_back(i);
    else
      wild_.emplace_back("*" + ext, i);
  }
}

ExtensionSet ExtensionSet::Registered() { return ExtensionSet(PictureFormats::FileMask()); }

bool ExtensionSet::IsPicture(const std::string& path, bool listFilesToo) const {
  const std::string ext = UpperAscii(ExtensionPart(path));
  if (ext.empty() || extensions_.empty()) return false;
  auto end = listFilesToo ? extensions_.end() : extensions_.end() - 1;
  return std::find(extensions_.begin(), end, ext) != end;
}

void ExtensionSet::FilterPictures(std::vector<std::string>& list) const {
  std::erase_if(list, [this](const std::string& line) { return !IsPicture(line, false); });
}

void ExtensionSet::Match(const std::string& name, std::vector<std::vector<std::string>>& matches) const {
  if (auto it = plain_.find(UpperAscii(ExtensionPart(name))); it != plain_.end())
    for (size_t i : it->second) matches[i].push_back(name);
  for (const auto& [mask, i] : wild_)
    if (MatchesMask(name, mask)) matches[i].push_back(name);
}

}  // namespace zeb::app
