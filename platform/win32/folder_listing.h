// Listing one whole folder in large blocks straight from the file system.
#pragma once

#include <functional>
#include <string>

#include "platform/services/file_system.h"

namespace zeb::win32 {

// Gives every entry of Folder (a full path in the file functions' form, with or without a final
// backslash), "." and ".." as the system reports them, until Each returns false. False when the folder
// cannot be listed this way at all, so the caller can search it instead.
bool ListFolder(const std::wstring& folder, const std::function<bool(const FindData&)>& each,
                uint32_t knownAttributes);

}  // namespace zeb::win32
