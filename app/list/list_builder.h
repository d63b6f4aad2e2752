// Building the image list: command-line arguments, folder walks, dropped files and list files (.zeb)
// become entries of the list. The builder holds no window: what it does is told to its caller through
// BuildProgress (which also answers whether the user asked it to stop).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/folder_read_ahead.h"
#include "app/list/extension_set.h"
#include "app/model/image_list.h"
#include "platform/services/file_system.h"

namespace zeb::app {

// What a build tells its caller as it goes. An empty function is not called (never aborted).
struct BuildProgress {
  // Before each file a folder walk reaches: a long walk lets window messages through here.
  std::function<void()> pump;
  // A file is about to be added (its full path): InWalk when a folder walk reached it.
  std::function<void(const std::string& path, bool inWalk)> adding;
  // Whether the user asked the build to stop (Escape).
  std::function<bool()> aborted;
};

// What a dropped path brings to the list.
struct DroppedPath {
  enum class Kind : uint8_t {
    Nothing,  // gone since the drag began, or no picture or list file
    Folder,   // a folder to walk, named with its final backslash
    File,     // a picture or list file
  } kind = Kind::Nothing;
  std::string path;
};

class ListBuilder {
 public:
  // Extensions may be filled after the builder is made (it is read on each use).
  ListBuilder(ImageList& list, const ExtensionSet& extensions, BuildProgress progress,
              FolderReadAhead& folders);

  // Adds the file arguments from Index on: folders with their subfolders, pictures and list files by
  // the name the file system reports; with OpenInFolder a file's whole folder (without its
  // subfolders) instead. Returns the last argument.
  std::string AddArguments(const std::vector<std::string>& args, size_t index, bool openInFolder);
  // The file or folder ARG names, as the file system reports it; false for an empty argument, a pattern
  // (it would match other files) or nothing there.
  static bool FindArgument(const std::string& arg, FindData& match);
  // The arguments that name folders, each as the walk takes it (with a final backslash).
  static std::vector<std::string> FolderArguments(const std::vector<std::string>& args);

  // Walks Folder (ending in a backslash): its pictures and list files first, then each subfolder when
  // Recursive. Stops when the user asks; the first match of each extension is always added.
  void AddFolder(const std::string& folder, bool recursive);
  // Adds a picture, or the pictures a list file names (its lines as they stand).
  void AddFile(const std::string& fileName);

  // The picture extensions the builder matches names against.
  const ExtensionSet& Extensions() const { return extensions_; }

  DroppedPath Classify(const std::string& path) const;
  void AddDropped(const DroppedPath& dropped);

  // Puts a list file's lines in place of the list, each as it stands (what is no picture leaves when
  // it is reached). Raises FileOpenError and leaves the list as it was when the file cannot be read.
  void AssignListFile(const std::string& fileName);

 private:
  // AddFile for a path that is already full.
  void AddFullPath(std::string path);
  // AddFolder's walk; MayBeLink when the folder was reported as a link (or its way is unknown).
  void WalkFolder(const std::string& folder, bool recursive, bool mayBeLink);
  bool Aborted() const { return progress_.aborted && progress_.aborted(); }

  ImageList& list_;
  const ExtensionSet& extensions_;
  BuildProgress progress_;
  FolderReadAhead& folders_;
  // The folders being walked, outermost first, each with its identity once one was needed.
  struct WalkStep {
    std::string folder;
    std::string identity;
  };
  std::vector<WalkStep> walkChain_;
};

}  // namespace zeb::app
