// The per-user settings store: the registry under HKEY_CURRENT_USER on Windows, an in-memory
// store in the headless build. Keys are written as "\Software\Vantorel\Susie\Plug-in".
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zeb {

// Whether the key exists under the current user (opened without creating it).
bool SettingsKeyExists(const std::string& key);
// A string value (plain or expandable, not expanded) of an existing key; empty text when the value is
// missing. Raises SettingsTypeError when the value has another type.
std::string ReadSettingsString(const std::string& key, const std::string& name);
// Opens the key, creating it when missing, and writes the string values in order; false when the key
// cannot be opened (nothing is written then).
bool WriteSettingsStrings(const std::string& key,
                          const std::vector<std::pair<std::string, std::string>>& values);

}  // namespace zeb
