#include "fakes/fake_files.h"

#include <cstring>

#include "common/paths.h"
#include "common/text.h"

namespace tovex::fakes {

namespace {

class FakeInputFile final : public InputFile {
 public:
  explicit FakeInputFile(std::shared_ptr<std::string> content) : content_(std::move(content)) {}
  bool Read(void* buffer, size_t size, size_t& got) override {
    got = position_ < content_->size() ? std::min(size, content_->size() - position_) : 0;
    if (got > 0) std::memcpy(buffer, content_->data() + position_, got);
    position_ += got;
    return true;
  }
  uint64_t Size() const override { return content_->size(); }
  bool Seek(uint64_t position) override {
    position_ = static_cast<size_t>(position);
    return true;
  }

 private:
  std::shared_ptr<std::string> content_;
  size_t position_ = 0;
};

}  // namespace

class FakeOutputFile final : public OutputFile {
 public:
  FakeOutputFile(FakeFiles& owner, std::shared_ptr<std::string> content) : owner_(owner), content_(std::move(content)) {}
  bool Write(const void* data, size_t size) override {
    if (owner_.written_ + size > owner_.writeLimit_) return owner_.Fail(oserr::kDiskFull);
    owner_.written_ += size;
    content_->append(static_cast<const char*>(data), size);
    return true;
  }
  bool Close() override { return true; }

 private:
  FakeFiles& owner_;
  std::shared_ptr<std::string> content_;
};

FakeFiles::FakeFiles() { AddFolder("C:\\"); }

std::string FakeFiles::Key(const std::string& path) {
  std::string key = UpperCase(path);
  for (char& c : key) {
    if (c == '/') c = '\\';
  }
  while (key.size() > 3 && key.back() == '\\') key.pop_back();
  if (key.size() == 3 && key[1] == ':' && key[2] == '\\') key.pop_back();
  return key;
}

std::string FakeFiles::ParentKey(const std::string& key) {
  const size_t at = key.rfind('\\');
  return at == std::string::npos ? std::string() : key.substr(0, at);
}

std::string FakeFiles::Resolve(const std::string& path, bool followLast) const {
  std::string key = Key(path);
  // Each pass follows the first link on the way; a loop of links gives up.
  for (int pass = 0; pass < 32; ++pass) {
    bool followed = false;
    for (size_t end = key.find('\\');; end = key.find('\\', end + 1)) {
      const bool last = end == std::string::npos;
      if (!last || followLast) {
        auto it = nodes_.find(key.substr(0, end));
        if (it != nodes_.end() && it->second.IsLink()) {
          key = Key(it->second.linkTarget) + (last ? "" : key.substr(end));
          followed = true;
          break;
        }
      }
      if (last) break;
    }
    if (!followed) break;
  }
  return key;
}

std::string FakeFiles::SpelledName(const std::string& path, const std::string& key) {
  return ExtractFileName(Key(path) == key ? ExcludeTrailingBackslash(path) : key);
}

FakeFiles::Node* FakeFiles::Find(const std::string& path, bool followLast) {
  auto it = nodes_.find(Resolve(path, followLast));
  return it == nodes_.end() ? nullptr : &it->second;
}

bool FakeFiles::Fail(uint32_t code) {
  lastError_ = code;
  return false;
}

bool FakeFiles::Injected(Op op, const std::string& path) {
  auto it = failures_.find({op, Key(path)});
  if (it == failures_.end()) return false;
  lastError_ = it->second;
  return true;
}

void FakeFiles::FailOn(Op op, const std::string& path, uint32_t code) { failures_[{op, Key(path)}] = code; }

void FakeFiles::AddFolder(const std::string& path) {
  const std::string key = Key(path);
  if (key.empty() || nodes_.count(key)) return;
  const std::string parent = ParentKey(key);
  if (!parent.empty()) AddFolder(ExtractFilePath(ExcludeTrailingBackslash(path)));
  nodes_[key] = Node{ExtractFileName(ExcludeTrailingBackslash(path)), true, attr::kDirectory, nullptr};
}

void FakeFiles::AddFile(const std::string& path, const std::string& content, uint32_t attributes) {
  AddFolder(ExtractFilePath(path));
  nodes_[Key(path)] = Node{ExtractFileName(path), false, attributes, std::make_shared<std::string>(content)};
}

void FakeFiles::AddLink(const std::string& path, const std::string& target, bool toFolder) {
  AddFolder(ExtractFilePath(ExcludeTrailingBackslash(path)));
  Node link{ExtractFileName(ExcludeTrailingBackslash(path)), toFolder,
            attr::kReparsePoint | (toFolder ? attr::kDirectory : attr::kArchive), nullptr};
  link.linkTarget = target;
  nodes_[Key(path)] = link;
}

void FakeFiles::SetOrdinaryUsersMayWrite(const std::string& path, bool mayWrite) {
  if (Node* node = Find(path)) node->usersMayWrite = mayWrite;
}

std::optional<FolderProtection> FakeFiles::Protection(const std::string& path) const {
  auto it = nodes_.find(Resolve(path, true));
  return it == nodes_.end() ? std::nullopt : it->second.protection;
}

std::optional<std::string> FakeFiles::Content(const std::string& path) const {
  auto it = nodes_.find(Resolve(path, true));
  if (it == nodes_.end() || it->second.folder) return std::nullopt;
  return *it->second.content;
}

std::vector<std::string> FakeFiles::AllPaths() const {
  std::vector<std::string> paths;
  for (const auto& [key, node] : nodes_) paths.push_back(node.folder ? key + "\\" : key);
  return paths;
}

bool FakeFiles::FileExists(const std::string& path) {
  const Node* node = Find(path, false);
  return node != nullptr && !node->folder;
}

bool FakeFiles::FolderExists(const std::string& path) {
  const Node* node = Find(path, false);
  return node != nullptr && node->folder;
}

std::optional<uint32_t> FakeFiles::Attributes(const std::string& path) {
  const Node* node = Find(path, false);
  if (node == nullptr) {
    Fail(oserr::kFileNotFound);
    return std::nullopt;
  }
  return node->attributes;
}

bool FakeFiles::SetAttributes(const std::string& path, uint32_t attributes) {
  if (Injected(Op::SetAttributes, path)) return false;
  Node* node = Find(path, false);
  if (node == nullptr) return Fail(oserr::kFileNotFound);
  const uint32_t kept = node->attributes & (attr::kDirectory | attr::kReparsePoint);
  node->attributes = (attributes & ~(attr::kDirectory | attr::kReparsePoint)) | kept;
  return true;
}

bool FakeFiles::MakeFolderNode(const std::string& path, std::optional<FolderProtection> protection) {
  if (Injected(Op::MakeFolder, path)) return false;
  const std::string key = Resolve(path, false);
  if (nodes_.count(key)) return Fail(oserr::kAlreadyExists);
  auto parent = nodes_.find(ParentKey(key));
  if (parent == nodes_.end() || !parent->second.folder) return Fail(oserr::kPathNotFound);
  Node folder{ExtractFileName(ExcludeTrailingBackslash(path)), true, attr::kDirectory, nullptr};
  folder.protection = protection;
  // Without a protection of its own a folder inherits its parent's security.
  folder.usersMayWrite = !protection && parent->second.usersMayWrite;
  nodes_[key] = folder;
  return true;
}

bool FakeFiles::MakeFolder(const std::string& path) { return MakeFolderNode(path, std::nullopt); }

bool FakeFiles::MakeProtectedFolder(const std::string& path, FolderProtection protection) {
  return MakeFolderNode(path, protection);
}

std::optional<bool> FakeFiles::OrdinaryUsersMayWrite(const std::string& path) {
  const Node* node = Find(path);
  if (node == nullptr) {
    Fail(oserr::kFileNotFound);
    return std::nullopt;
  }
  return node->usersMayWrite;
}

bool FakeFiles::RemoveLink(const std::string& path) {
  if (Injected(Op::RemoveLink, path)) return false;
  auto it = nodes_.find(Resolve(path, false));
  if (it == nodes_.end()) return Fail(oserr::kFileNotFound);
  if (!it->second.IsLink()) return Fail(oserr::kNotAReparsePoint);
  nodes_.erase(it);
  return true;
}

bool FakeFiles::RemoveFolder(const std::string& path) {
  if (Injected(Op::RemoveFolder, path)) return false;
  const std::string key = Resolve(path, false);
  auto it = nodes_.find(key);
  if (it == nodes_.end()) return Fail(oserr::kFileNotFound);
  if (!it->second.folder) return Fail(oserr::kPathNotFound);
  if (it->second.IsLink()) {  // Windows removes a folder link, not its target
    nodes_.erase(it);
    return true;
  }
  auto next = nodes_.upper_bound(key);
  if (next != nodes_.end() && next->first.compare(0, key.size() + 1, key + "\\") == 0) {
    return Fail(oserr::kDirNotEmpty);
  }
  nodes_.erase(it);
  return true;
}

std::unique_ptr<InputFile> FakeFiles::OpenForReading(const std::string& path) {
  if (Injected(Op::Read, path)) return nullptr;
  Node* node = Find(path);
  if (node == nullptr) {
    Fail(oserr::kFileNotFound);
    return nullptr;
  }
  if (node->folder) {
    Fail(oserr::kAccessDenied);
    return nullptr;
  }
  // Readers see the content as it was when opened.
  return std::make_unique<FakeInputFile>(std::make_shared<std::string>(*node->content));
}

std::unique_ptr<OutputFile> FakeFiles::CreateForWriting(const std::string& path) {
  if (Injected(Op::Write, path)) return nullptr;
  const std::string key = Resolve(path, true);
  Node* node = Find(path);
  if (node != nullptr && (node->folder || (node->attributes & attr::kReadOnly))) {
    Fail(oserr::kAccessDenied);
    return nullptr;
  }
  auto parent = nodes_.find(ParentKey(key));
  if (parent == nodes_.end() || !parent->second.folder) {
    Fail(oserr::kPathNotFound);
    return nullptr;
  }
  if (node == nullptr) {
    nodes_[key] = Node{SpelledName(path, key), false, attr::kArchive, std::make_shared<std::string>()};
    node = &nodes_[key];
  } else {
    node->content = std::make_shared<std::string>();
  }
  return std::make_unique<FakeOutputFile>(*this, node->content);
}

bool FakeFiles::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  if (Injected(Op::Copy, to) || Injected(Op::Copy, from)) return false;
  const Node* source = Find(from);
  if (source == nullptr || source->folder) return Fail(oserr::kFileNotFound);
  Node* target = Find(to);
  if (target != nullptr) {
    if (failIfExists) return Fail(oserr::kFileExists);
    if (target->folder || (target->attributes & attr::kReadOnly)) return Fail(oserr::kAccessDenied);
  }
  const std::string toKey = Resolve(to, true);
  auto parent = nodes_.find(ParentKey(toKey));
  if (parent == nodes_.end() || !parent->second.folder) return Fail(oserr::kPathNotFound);
  if (written_ + source->content->size() > writeLimit_) return Fail(oserr::kDiskFull);
  written_ += source->content->size();
  nodes_[toKey] = Node{SpelledName(to, toKey), false, source->attributes,
                       std::make_shared<std::string>(*source->content)};
  return true;
}

bool FakeFiles::Move(const std::string& from, const std::string& to) {
  if (Injected(Op::Move, from)) return false;
  const std::string fromKey = Resolve(from, false), toKey = Resolve(to, false);
  if (!nodes_.count(fromKey)) return Fail(oserr::kFileNotFound);
  if (nodes_.count(toKey)) return Fail(oserr::kAlreadyExists);
  auto parent = nodes_.find(ParentKey(toKey));
  if (parent == nodes_.end() || !parent->second.folder) return Fail(oserr::kPathNotFound);
  std::map<std::string, Node> moved;
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    if (it->first == fromKey || it->first.compare(0, fromKey.size() + 1, fromKey + "\\") == 0) {
      moved[toKey + it->first.substr(fromKey.size())] = it->second;
      it = nodes_.erase(it);
    } else {
      ++it;
    }
  }
  moved[toKey].name = ExtractFileName(ExcludeTrailingBackslash(to));
  nodes_.insert(moved.begin(), moved.end());
  return true;
}

bool FakeFiles::Delete(const std::string& path) {
  if (Injected(Op::Delete, path)) return false;
  auto it = nodes_.find(Resolve(path, false));
  if (it == nodes_.end()) return Fail(oserr::kFileNotFound);
  if (it->second.folder || (it->second.attributes & attr::kReadOnly)) return Fail(oserr::kAccessDenied);
  nodes_.erase(it);
  return true;
}

std::vector<FileEntry> FakeFiles::List(const std::string& folder, const std::string& mask) {
  std::vector<FileEntry> entries;
  const std::string key = Resolve(folder, true);
  const Node* node = Find(folder);
  if (node == nullptr || !node->folder) {
    Fail(oserr::kPathNotFound);
    return entries;
  }
  const std::string prefix = key + "\\";
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
       ++it) {
    if (it->first.find('\\', prefix.size()) != std::string::npos) continue;
    if (!MatchesMask(it->second.name, mask)) continue;
    entries.push_back(FileEntry{it->second.name, it->second.attributes,
                                it->second.content ? it->second.content->size() : 0});
  }
  return entries;
}

bool FakeFiles::SetCurrentFolder(const std::string& path) {
  const Node* node = Find(path);
  if (node == nullptr || !node->folder) return Fail(oserr::kPathNotFound);
  currentFolder_ = IncludeTrailingBackslash(path);
  return true;
}

std::optional<uint64_t> FakeFiles::FreeSpace(const std::string& folder) {
  const Node* node = Find(folder);
  if (node == nullptr || !node->folder) {
    Fail(oserr::kPathNotFound);
    return std::nullopt;
  }
  if (freeSpace_) return *freeSpace_;
  return writeLimit_ - written_;
}

}  // namespace tovex::fakes
