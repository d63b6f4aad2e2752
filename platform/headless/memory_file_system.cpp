#include <algorithm>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/strings.h"
#include "platform/headless/headless.h"

namespace zeb {

FileSystem& DefaultFileSystem() { return headless::DefaultFiles(); }

namespace headless {

MemoryFileSystem& DefaultFiles() {
  static MemoryFileSystem files;
  return files;
}

// Splits "C:\a\b" into {"C:", "a", "b"}.
static std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

static MemoryFileSystem::Node* Child(MemoryFileSystem::Node& node, const std::string& name) {
  for (auto& c : node.children)
    if (SameTextAscii(c.name, name)) return &c;
  return nullptr;
}

std::string MemoryFileSystem::ExpandFileName(const std::string& path) {
  std::lock_guard lock(mutex_);
  std::string full = path;
  bool absolute = path.size() >= 2 && path[1] == ':';
  if (!absolute) {
    if (!path.empty() && (path[0] == '\\' || path[0] == '/'))
      full = state_.current.substr(0, 2) + path;
    else
      full = state_.current + (state_.current.empty() || state_.current.back() == '\\' ? "" : "\\") + path;
  }
  std::vector<std::string> parts = Split(full), out;
  for (auto& p : parts) {
    if (p == ".") continue;
    if (p == "..") {
      if (out.size() > 1) out.pop_back();
      continue;
    }
    out.push_back(p);
  }
  std::string result;
  for (size_t i = 0; i < out.size(); ++i) result += (i ? "\\" : "") + out[i];
  if (out.size() == 1) result += "\\";
  bool trailing = !full.empty() && (full.back() == '\\' || full.back() == '/');
  if (trailing && out.size() > 1) result += "\\";
  return result;
}

MemoryFileSystem::Node* MemoryFileSystem::Lookup(const std::string& path, Node** parent) {
  std::vector<std::string> parts = Split(ExpandFileName(path));
  Node* node = &state_.root;
  Node* up = nullptr;
  for (auto& p : parts) {
    up = node;
    node = Child(*node, p);
    if (!node) return nullptr;
  }
  if (parent) *parent = up;
  return node;
}

MemoryFileSystem::Node& MemoryFileSystem::MakeFolders(const std::string& folder) {
  Node* node = &state_.root;
  for (auto& p : Split(ExpandFileName(folder))) {
    Node* c = Child(*node, p);
    if (!c) {
      node->children.push_back(Node{p, kAttrDirectory, nullptr, {}, false});
      c = &node->children.back();
    }
    node = c;
  }
  return *node;
}

void MemoryFileSystem::AddFolder(const std::string& path, uint32_t attributes) {
  std::lock_guard lock(mutex_);
  MakeFolders(path).attributes = attributes | kAttrDirectory;
}

void MemoryFileSystem::AddFile(const std::string& path, std::string contents, uint32_t attributes) {
  std::lock_guard lock(mutex_);
  std::string full = ExpandFileName(path);
  Node& folder = MakeFolders(FolderPart(full));
  std::string name = FileNamePart(full);
  Node* existing = Child(folder, name);
  auto data = std::make_shared<std::string>(std::move(contents));
  if (existing) {
    existing->data = data;
    existing->attributes = attributes;
    existing->written = ++state_.clock;
    existing->generation = ++state_.generations;
  } else {
    folder.children.push_back(Node{name, attributes, data, {}, false, ++state_.clock, ++state_.generations});
  }
}

bool MemoryFileSystem::CreateFolder(const std::string& path) {
  std::lock_guard lock(mutex_);
  Node* n = Lookup(path);
  if (n) return (n->attributes & kAttrDirectory) != 0;
  // The parent must exist, as on Windows; the user's own folders do, even when a test never made them.
  std::string parent = FolderPart(ExpandFileName(path));
  Node* p = Lookup(parent);
  if (!p && parent.starts_with(state_.localAppData)) MakeFolders(parent), p = Lookup(parent);
  if (!p || !(p->attributes & kAttrDirectory) || p->locked) return false;
  AddFolder(path);
  return true;
}

bool MemoryFileSystem::Stamp(const std::string& path, FileStamp& stamp) {
  std::lock_guard lock(mutex_);
  Node* n = Lookup(path);
  if (!n || !n->data) return false;
  stamp = {static_cast<int64_t>(n->data->size()), n->written, n->generation, 0};
  return true;
}

std::string MemoryFileSystem::Contents(const std::string& path) const {
  std::lock_guard lock(mutex_);
  Node* n = const_cast<MemoryFileSystem*>(this)->Lookup(path);
  return n && n->data ? *n->data : std::string();
}

void MemoryFileSystem::SetWriteTime(const std::string& path, int64_t time) {
  std::lock_guard lock(mutex_);
  if (Node* n = Lookup(path)) n->written = time;
}

void MemoryFileSystem::SetLocked(const std::string& path, bool locked) {
  std::lock_guard lock(mutex_);
  if (Node* n = Lookup(path)) n->locked = locked;
}

void MemoryFileSystem::Find(const std::string& pattern, const std::function<bool(const FindData&)>& each) {
  ++findCalls;
  // Copy the names first: the caller may change the file system while listing.
  std::vector<FindData> found;
  {
    std::lock_guard lock(mutex_);
    std::string folder = FolderPart(pattern), mask = FileNamePart(pattern);
    Node* dir = folder.empty() ? Lookup(state_.current) : Lookup(folder);
    if (!dir || !(dir->attributes & kAttrDirectory) || mask.empty()) return;
    if (dir != &state_.root && Split(ExpandFileName(folder)).size() > 1) {
      if (MatchesMask(".", mask)) found.push_back({".", kAttrDirectory});
      if (MatchesMask("..", mask)) found.push_back({"..", kAttrDirectory});
    }
    for (auto& c : dir->children)
      if (MatchesMask(c.name, mask)) found.push_back({c.name, c.attributes});
  }
  for (auto& f : found)
    if (!each(f)) break;
}

bool MemoryFileSystem::Attributes(const std::string& path, uint32_t& attributes) {
  std::lock_guard lock(mutex_);
  if (path.find_first_of("*?") != std::string::npos) return false;
  Node* n = Lookup(path);
  if (!n) return false;
  attributes = n->attributes;
  return true;
}

namespace {
class MemoryFile : public FileHandle {
 public:
  explicit MemoryFile(std::shared_ptr<std::string> data) : data_(std::move(data)) {}
  int64_t Read(void* buffer, int64_t count) override {
    if (count <= 0 || pos_ >= static_cast<int64_t>(data_->size())) return 0;
    int64_t n = std::min<int64_t>(count, static_cast<int64_t>(data_->size()) - pos_);
    std::memcpy(buffer, data_->data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
  }
  int64_t Write(const void* buffer, int64_t count) override {
    if (count <= 0) return 0;
    if (pos_ + count > static_cast<int64_t>(data_->size())) data_->resize(static_cast<size_t>(pos_ + count));
    std::memcpy(data_->data() + pos_, buffer, static_cast<size_t>(count));
    pos_ += count;
    return count;
  }
  int64_t Seek(int64_t offset, SeekOrigin origin) override {
    int64_t base = origin == SeekOrigin::Beginning ? 0
                   : origin == SeekOrigin::Current ? pos_
                                                   : static_cast<int64_t>(data_->size());
    pos_ = std::max<int64_t>(0, base + offset);
    return pos_;
  }
  bool Truncate(int64_t size) override {
    data_->resize(static_cast<size_t>(size));
    return true;
  }

 private:
  std::shared_ptr<std::string> data_;
  int64_t pos_ = 0;
};
}  // namespace

std::unique_ptr<FileHandle> MemoryFileSystem::Open(const std::string& path, FileMode mode) {
  ++openCalls;
  std::lock_guard lock(mutex_);
  Node* n = Lookup(path);
  if (mode == FileMode::Create) {
    if (n && (n->locked || (n->attributes & (kAttrDirectory | kAttrReadOnly))))
      throw FileCreateError("Cannot create file \"" + path + "\"");
    Node* folder = Lookup(FolderPart(ExpandFileName(path)));
    if (!folder || !(folder->attributes & kAttrDirectory) || folder->locked)
      throw FileCreateError("Cannot create file \"" + path + "\"");
    AddFile(path, std::string());
    n = Lookup(path);
    return std::make_unique<MemoryFile>(n->data);
  }
  if (!n || !n->data || n->locked || (mode == FileMode::OpenReadWrite && (n->attributes & kAttrReadOnly)))
    throw FileOpenError("Cannot open file \"" + path + "\"");
  if (mode == FileMode::OpenReadWrite) {
    n->written = ++state_.clock;
    n->generation = ++state_.generations;
  }
  return std::make_unique<MemoryFile>(n->data);
}

bool MemoryFileSystem::ReplaceFile(const std::string& source, const std::string& target) {
  std::lock_guard lock(mutex_);
  Node* s = Lookup(source);
  if (!s || !s->data) return false;
  Node* t = Lookup(target);
  if (t && (t->locked || (t->attributes & kAttrReadOnly))) return false;
  std::string data = *s->data;
  DeleteFile(source);
  AddFile(target, std::move(data));
  return true;
}

bool MemoryFileSystem::DeleteFile(const std::string& path) {
  std::lock_guard lock(mutex_);
  Node* parent = nullptr;
  Node* n = Lookup(path, &parent);
  if (!n || !parent || n->locked) return false;
  auto& ch = parent->children;
  ch.erase(std::remove_if(ch.begin(), ch.end(), [n](const Node& c) { return &c == n; }), ch.end());
  return true;
}

}  // namespace headless
}  // namespace zeb
