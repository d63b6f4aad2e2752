#include "app/list/folder_presence.h"

#include <algorithm>
#include <string_view>

#include "platform/core/strings.h"
#include "platform/services/file_system.h"

namespace zeb::app {

namespace {

// Whether the listing's long names can decide on Name: a short 8.3 alias ("DSC_00~1.JPG"), a name the
// system would trim (trailing dots and blanks) or one whose case only the file system can fold (any
// letter outside ASCII) may name a listed file under another spelling.
bool ListingDecides(const std::string& name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  return std::none_of(name.begin(), name.end(), [](char c) { return c == '~' || (c & 0x80); });
}

}  // namespace

FolderPresence::Folder* FolderPresence::Of(const std::string& path) {
  const size_t end = path.find_last_of("\\:") + 1;  // 0 when there is no folder part
  if (end == 0) return nullptr;
  const std::string_view folder(path.data(), end);
  if (!last_ || folder != lastFolder_) {
    lastFolder_.assign(folder);
    last_ = &folders_[lastFolder_];  // elements of the map stay where they are
  }
  return last_;
}

void FolderPresence::Look(Folder& f, const std::string& folder, bool list) {
  if (!f.looked) {
    f.looked = true;
    uint32_t attributes = 0;
    bool listsAnything = false;
    if (!Files().Attributes(folder, attributes)) {
      // A folder that cannot be asked for may still be a share's root: gone only if it lists nothing.
      Files().Find(folder + "*", [&](const FindData&) { return !(listsAnything = true); });
      if (!listsAnything) f.state = State::Gone;
    }
  }
  if (list && f.state == State::Unknown) {
    // An existing folder that lists nothing at all (not even "." and "..") could not be searched.
    bool listed = false;
    Files().Find(folder + "*", [&](const FindData& entry) {
      listed = true;
      if (!(entry.attributes & kAttrDirectory)) f.names.insert(UpperAscii(entry.name));
      return true;
    });
    if (listed) f.state = State::Listed;
  }
}

bool FolderPresence::MayExist(const std::string& path) {
  Folder* f = Of(path);
  if (!f || path.size() == lastFolder_.size()) return true;
  Look(*f, lastFolder_, f->openFailures >= kFailuresBeforeListing);
  if (f->state == State::Gone) return false;
  const std::string name = path.substr(lastFolder_.size());
  if (f->state == State::Unknown || !ListingDecides(name)) return true;
  return f->names.count(UpperAscii(name)) != 0;
}

void FolderPresence::OpenFailed(const std::string& path) {
  if (Folder* f = Of(path)) ++f->openFailures;
}

}  // namespace zeb::app
