// The extensions that make a file a picture to the image list, and how a folder's names are matched
// against them.
#pragma once

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zeb::app {

class ExtensionSet {
 public:
  ExtensionSet() = default;
  // From a file mask "*.bmp;*.jpg;..." (the registered formats' one): upper-case dotted extensions in
  // its order, ".ZEB" last. A plug-in's wildcard ("*.pi?") is kept.
  explicit ExtensionSet(const std::string& fileMask);
  // The registered picture formats' extensions, ".ZEB" last.
  static ExtensionSet Registered();

  const std::vector<std::string>& All() const { return extensions_; }
  // Whether Path's extension is one of them (".ZEB" only when ListFilesToo).
  bool IsPicture(const std::string& path, bool listFilesToo) const;
  // Keeps the pictures of List (no list files).
  void FilterPictures(std::vector<std::string>& list) const;
  // Adds Name to Matches[i] for every extension i whose search "*" + extension would find it; Matches
  // holds one list per extension.
  void Match(const std::string& name, std::vector<std::vector<std::string>>& matches) const;

 private:
  std::vector<std::string> extensions_;
  // Plain extensions are looked up, only masks with wildcards are matched name by name.
  std::unordered_map<std::string, std::vector<size_t>> plain_;  // extension -> its places in the list
  std::vector<std::pair<std::string, size_t>> wild_;            // "*" + extension, its place
};

}  // namespace zeb::app
