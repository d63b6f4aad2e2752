// Which folder a path leads to, whatever way it takes: two paths to one folder (through a link, a
// junction, another letter case) give the same identity. The folder scan uses it to keep a link that
// leads back into one of its own ancestors from making the walk endless.
#pragma once

#include <string>

namespace zeb {

// The identity of an existing folder; for one that cannot be opened, its expanded path in upper case.
std::string FolderIdentity(const std::string& folder);

}  // namespace zeb
