// The settings store: string values under HKEY_CURRENT_USER.
#include "platform/services/settings.h"

#include "platform/core/errors.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

namespace zeb {

namespace {

// "\Software\x" names the key "Software\x" under the hive.
std::wstring KeyPath(const std::string& key) {
  size_t skip = 0;
  while (skip < key.size() && key[skip] == '\\') ++skip;
  return win32::Widen(std::string_view(key).substr(skip));
}

class Key {
 public:
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  bool Open(const std::string& path, REGSAM access) {
    return RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(path).c_str(), 0, access, &key_) == ERROR_SUCCESS;
  }
  bool Create(const std::string& path) {
    return RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_WRITE, nullptr, &key_, nullptr) == ERROR_SUCCESS;
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool SettingsKeyExists(const std::string& key) {
  Key k;
  return k.Open(key, KEY_READ);
}

std::string ReadSettingsString(const std::string& key, const std::string& name) {
  Key k;
  if (!k.Open(key, KEY_READ)) return {};
  std::wstring wname = win32::Widen(name);
  DWORD type = 0, size = 0;
  LONG r = RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, nullptr, &size);
  if (r == ERROR_FILE_NOT_FOUND) return {};
  if (r != ERROR_SUCCESS) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    throw SettingsTypeError("Invalid data type for '" + name + "'");
  // The value may change between the two calls: ask again with a larger buffer while it grows.
  std::wstring data;
  for (;;) {
    data.assign(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    r = RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &bytes);
    if (r == ERROR_MORE_DATA) {
      size = bytes;
      continue;
    }
    if (r != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
      throw SettingsTypeError("Invalid data type for '" + name + "'");
    data.resize(bytes / sizeof(wchar_t));
    break;
  }
  // Stored strings may or may not end with their NUL; the text ends at the first one.
  size_t nul = data.find(L'\0');
  if (nul != std::wstring::npos) data.resize(nul);
  return win32::Narrow(data);
}

bool WriteSettingsStrings(const std::string& key,
                          const std::vector<std::pair<std::string, std::string>>& values) {
  Key k;
  if (!k.Create(key)) return false;
  bool ok = true;
  for (auto& [name, value] : values) {
    std::wstring data = win32::Widen(value);
    DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(k.get(), win32::Widen(name).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(data.c_str()), bytes) != ERROR_SUCCESS)
      ok = false;
  }
  return ok;
}

}  // namespace zeb
