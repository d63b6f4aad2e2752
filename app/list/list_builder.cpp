#include "app/list/list_builder.h"

#include <utility>

#include "app/list_file.h"
#include "platform/core/strings.h"
#include "platform/services/folder_identity.h"

namespace zeb::app {

ListBuilder::ListBuilder(ImageList& list, const ExtensionSet& extensions, BuildProgress progress,
                         FolderReadAhead& folders)
    : list_(list), extensions_(extensions), progress_(std::move(progress)), folders_(folders) {}

bool ListBuilder::FindArgument(const std::string& arg, FindData& match) {
  if (arg.empty() || arg.find_first_of("*?") != std::string::npos) return false;
  bool found = false;
  Files().Find(arg, [&](const FindData& d) {
    match = d;
    found = true;
    return false;
  });
  return found;
}

std::vector<std::string> ListBuilder::FolderArguments(const std::vector<std::string>& args) {
  std::vector<std::string> folders;
  FindData match;
  for (const std::string& arg : args)
    if (FindArgument(arg, match) && (match.attributes & kAttrDirectory)) folders.push_back(arg + "\\");
  return folders;
}

std::string ListBuilder::AddArguments(const std::vector<std::string>& args, size_t index, bool openInFolder) {
  std::string last;
  for (; index < args.size(); ++index) {
    const std::string& arg = args[index];
    last = arg;
    FindData match;
    if (!FindArgument(arg, match)) continue;
    if (match.attributes & kAttrDirectory) {
      AddFolder(arg + "\\", true);
    } else if (openInFolder) {
      AddFolder(FolderPart(Files().ExpandFileName(arg)), false);
    } else if (extensions_.IsPicture(arg, true)) {
      // The name as the file system spells it: the long form of a short (8.3) name.
      AddFile(FolderPart(arg) + match.name);
    }
  }
  return last;
}

DroppedPath ListBuilder::Classify(const std::string& path) const {
  uint32_t attributes = 0;
  if (!Files().Attributes(path, attributes)) return {};
  // A dropped drive root ("C:\") already ends in the separator.
  if (attributes & kAttrDirectory)
    return {DroppedPath::Kind::Folder, !path.empty() && path.back() == '\\' ? path : path + "\\"};
  if (extensions_.IsPicture(path, true)) return {DroppedPath::Kind::File, path};
  return {};
}

void ListBuilder::AddDropped(const DroppedPath& dropped) {
  if (dropped.kind == DroppedPath::Kind::Folder)
    AddFolder(dropped.path, true);
  else if (dropped.kind == DroppedPath::Kind::File)
    AddFile(dropped.path);
}

void ListBuilder::AssignListFile(const std::string& fileName) { list_.Assign(ReadListFile(fileName)); }

void ListBuilder::AddFolder(const std::string& folder, bool recursive) {
  // A scan started while another runs (a drop during a scan) may lead into the folders being walked.
  WalkFolder(folder, recursive, !walkChain_.empty());
}

void ListBuilder::WalkFolder(const std::string& folder, bool recursive, bool mayBeLink) {
  // A link that leads back into a folder being walked would make the walk endless: skip it. Only a
  // link can do that, so only then are the folders' identities asked for (each costs a file open).
  std::string identity;
  if (mayBeLink) {
    identity = FolderIdentity(folder);
    for (WalkStep& step : walkChain_) {
      if (step.identity.empty()) step.identity = FolderIdentity(step.folder);
      if (step.identity == identity) return;
    }
  }
  walkChain_.push_back({folder, std::move(identity)});
  struct PopChain {
    ListBuilder& builder;
    ~PopChain() {
      builder.walkChain_.pop_back();
      // What the outermost walk expected and did not enter (an abort, a skipped link) is dropped.
      if (builder.walkChain_.empty()) builder.folders_.Stop();
    }
  } pop{*this};

  // The folder is expanded once; a name the file system reports needs no expanding of its own, unless
  // it ends in a dot or a space, which expanding would drop.
  const std::string fullFolder = Files().ExpandFileName(folder);
  const bool expanded = !fullFolder.empty() && (fullFolder.back() == '\\' || fullFolder.back() == ':');
  // One listing gives the files of every extension and the subfolders: under Wine, and on network
  // drives, each search reads the whole folder again. The names are matched here as the searches
  // "*" + extension would match them, a plug-in's "*.pi?" keeping its wildcard.
  std::vector<std::vector<std::string>> matches(extensions_.All().size());  // per extension, listing order
  std::vector<std::pair<std::string, bool>> subfolders;                     // path, is a link
  for (const FindData& entry : folders_.List(folder)) {
    if (entry.attributes & kAttrDirectory) {
      if (recursive && FolderReadAhead::Entered(entry))
        subfolders.emplace_back(folder + entry.name + "\\", (entry.attributes & kAttrReparsePoint) != 0);
      continue;
    }
    extensions_.Match(entry.name, matches);
  }
  // The subfolders are listed ahead while this folder's files are added; a link only once its walk
  // lets it in.
  std::vector<std::string> listedAhead;
  for (const auto& [path, isLink] : subfolders)
    if (!isLink) listedAhead.push_back(path);
  folders_.Expect(listedAhead);

  for (const std::vector<std::string>& names : matches) {
    if (Aborted()) break;
    bool first = true;
    for (const std::string& name : names) {
      if (progress_.pump) progress_.pump();
      // The first match of each extension is always added.
      if (!first && Aborted()) break;
      first = false;
      const char last = name.empty() ? '.' : name.back();
      if (expanded && last != '.' && last != ' ') {
        AddFullPath(fullFolder + name);
      } else {
        AddFile(folder + name);
      }
    }
  }
  for (const auto& [path, isLink] : subfolders) {
    if (Aborted()) break;
    WalkFolder(path, true, isLink);
  }
}

void ListBuilder::AddFile(const std::string& fileName) { AddFullPath(Files().ExpandFileName(fileName)); }

void ListBuilder::AddFullPath(std::string path) {
  if (progress_.adding) progress_.adding(path, !walkChain_.empty());
  if (UpperAscii(ExtensionPart(path)) != ".ZEB") {
    list_.Add(std::move(path));
    return;
  }
  std::vector<std::string> lines = ReadListFile(path);
  extensions_.FilterPictures(lines);
  for (const std::string& line : lines) list_.Add(line);
}

}  // namespace zeb::app
