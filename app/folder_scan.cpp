// Filling the image list: the picture extensions, folder scans and single files (list files merged).
#include <algorithm>
#include <unordered_map>

#include "app/dialogs/list_window.h"
#include "app/main_window.h"
#include "app/list_file.h"
#include "platform/core/strings.h"
#include "platform/services/file_system.h"
#include "platform/services/folder_identity.h"

namespace zeb::app {

void MainWindow::BuildExtensionList() {
  pictureExtensions_.clear();
  const std::string mask = PictureFormats::FileMask();
  size_t start = 0;
  while (start <= mask.size()) {
    size_t end = mask.find(';', start);
    if (end == std::string::npos) end = mask.size();
    std::string item = mask.substr(start, end - start);
    if (!item.empty() && item[0] == '*') item.erase(0, 1);
    // An empty item would make every file a picture.
    if (!item.empty()) pictureExtensions_.push_back(UpperAscii(item));
    start = end + 1;
  }
  pictureExtensions_.push_back(".ZEB");
  // How a scan matches names against them: plain extensions are looked up, only masks with wildcards
  // are matched name by name.
  extensionMatch_ = {};
  for (size_t i = 0; i < pictureExtensions_.size(); ++i) {
    const std::string& ext = pictureExtensions_[i];
    if (ext.find_first_of("*?") == std::string::npos)
      extensionMatch_.plain[ext].push_back(i);
    else
      extensionMatch_.wild.emplace_back("*" + ext, i);
  }
}

bool MainWindow::IsPictureExtension(const std::string& path, bool listFilesToo) const {
  const std::string ext = UpperAscii(ExtensionPart(path));
  if (ext.empty() || pictureExtensions_.empty()) return false;
  auto end = listFilesToo ? pictureExtensions_.end() : pictureExtensions_.end() - 1;
  return std::find(pictureExtensions_.begin(), end, ext) != end;
}

bool MainWindow::PumpMessages(bool force) {
  auto now = std::chrono::steady_clock::now();
  scanNow_ = now;
  if (!force && now - lastPump_ < pumpInterval) return false;
  lastPump_ = now;
  // A visible List window shows the list as far as it has been built.
  if (listWindow_.Visible()) model_.list.Count();
  ui::App().ProcessMessages();
  return true;
}

void MainWindow::AddFolder(const std::string& folder, bool recursive) {
  // A scan started while another runs (a drop during a scan) may lead into the folders being walked.
  WalkFolder(folder, recursive, !walkChain_.empty());
}

void MainWindow::WalkFolder(const std::string& folder, bool recursive, bool mayBeLink) {
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
    MainWindow& form;
    ~PopChain() {
      form.walkChain_.pop_back();
      // What the outermost walk expected and did not enter (an abort, a skipped link) is dropped.
      if (form.walkChain_.empty()) form.folderReadAhead_.Stop();
    }
  } pop{*this};

  // The folder is expanded once; a name the file system reports needs no expanding of its own, unless
  // it ends in a dot or a space, which expanding would drop.
  const std::string fullFolder = Files().ExpandFileName(folder);
  const bool expanded = !fullFolder.empty() && (fullFolder.back() == '\\' || fullFolder.back() == ':');
  // One listing gives the files of every extension and the subfolders: under Wine, and on network
  // drives, each search reads the whole folder again. The names are matched here as the searches
  // "*" + extension would match them, a plug-in's "*.pi?" keeping its wildcard.
  const auto& [plain, wild] = extensionMatch_;
  std::vector<std::vector<std::string>> matches(pictureExtensions_.size());  // per extension, listing order
  std::vector<std::pair<std::string, bool>> subfolders;                      // path, is a link
  for (const FindData& entry : folderReadAhead_.List(folder)) {
    if (entry.attributes & kAttrDirectory) {
      if (recursive && FolderReadAhead::Entered(entry))
        subfolders.emplace_back(folder + entry.name + "\\", (entry.attributes & kAttrReparsePoint) != 0);
      continue;
    }
    if (auto it = plain.find(UpperAscii(ExtensionPart(entry.name))); it != plain.end())
      for (size_t i : it->second) matches[i].push_back(entry.name);
    for (const auto& [mask, i] : wild)
      if (MatchesMask(entry.name, mask)) matches[i].push_back(entry.name);
  }
  // The subfolders are listed ahead while this folder's files are added; a link only once its walk
  // lets it in.
  std::vector<std::string> listedAhead;
  for (const auto& [path, isLink] : subfolders)
    if (!isLink) listedAhead.push_back(path);
  folderReadAhead_.Expect(listedAhead);

  for (const std::vector<std::string>& names : matches) {
    if (run.abortRequested) break;
    bool first = true;
    for (const std::string& name : names) {
      PumpMessages(false);
      // The first match of each extension is always added.
      if (!first && run.abortRequested) break;
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
    if (run.abortRequested) break;
    WalkFolder(path, true, isLink);
  }
}

void MainWindow::AddFile(const std::string& fileName) { AddFullPath(Files().ExpandFileName(fileName)); }

void MainWindow::AddFullPath(std::string path) {
  ShowBuildProgress(path);
  if (UpperAscii(ExtensionPart(path)) != ".ZEB") {
    model_.list.Add(std::move(path));
    return;
  }
  std::vector<std::string> lines = ReadListFile(path);
  FilterPictures(lines);
  for (const std::string& line : lines) model_.list.Add(line);
}

}  // namespace zeb::app
