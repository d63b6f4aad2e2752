// Which folder a path leads to, whatever way it takes: two paths to one folder (through a link, a
// junction, another letter case) give the same identity. The folder scan uses it to keep a link that
// leads back into one of its own ancestors from making the walk endless.
#pragma once

#include <string>

namespace zeb {

// The identity of an existing folder; for one that cannot be opened, FolderPathIdentity.
std::string FolderIdentity(const std::string& folder);

// The identity a folder has when the file system tells nothing better: its expanded path in upper
// case, without closing backslashes (a drive's root keeps its own).
std::string FolderPathIdentity(const std::string& folder);

}  // namespace zeb
