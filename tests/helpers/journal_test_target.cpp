#include "tests/helpers/journal_test_target.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "support/files/filesystem_path.h"
#ifdef _WIN32
#include "support/files/link_check.h"
#endif
#include "support/text/utf8.h"
#include "tests/helpers/temp_folder.h"

namespace fs = std::filesystem;

namespace {

fs::path OnDisk(const std::u16string& path) { return ToFilesystemPath(path.c_str()); }

// A file the target made, whose placing fails at its close when the target was told so.
class UnclosableFile : public IStagedFile {
 public:
  UnclosableFile(std::unique_ptr<IStagedFile> file, std::atomic<const char16_t*>& lastError)
      : file_(std::move(file)), lastError_(lastError) {}
  bool Put(const uint8_t* bytes, size_t count) override { return file_->Put(bytes, count); }
  bool PutAt(uint64_t offset, const uint8_t* bytes, size_t count) override {
    return file_->PutAt(offset, bytes, count);
  }
  bool Place(const std::u16string& path) override {
    file_->Place(path);
    lastError_ = u"the last writes did not reach the disk";
    return false;
  }

 private:
  std::unique_ptr<IStagedFile> file_;
  std::atomic<const char16_t*>& lastError_;
};

std::u16string ParentKey(const std::u16string& key) {
  const size_t last = key.rfind(u'\\');
  return last == std::u16string::npos ? std::u16string() : key.substr(0, last);
}

}  // namespace

std::u16string WindowsStylePath(const std::u16string& path) {
  std::u16string result = path;
  for (char16_t& unit : result) {
    if (unit == u'/') unit = u'\\';
  }
  return result;
}

bool JournalTestTarget::Alive() {
  std::lock_guard<std::mutex> hold(lifeLock_);
  if (lifeLeft_ == 0) return false;
  if (lifeLeft_ > 0) --lifeLeft_;
  ++operations_;
  return true;
}

bool JournalTestTarget::Refuses(const std::u16string& path) {
  for (const std::u16string& kept : kept_) {
    if (kept == path || kept.compare(0, path.size() + 1, path + u"\\") == 0) {
      lastError_ = u"held by another program";
      return true;
    }
  }
  return false;
}

std::vector<std::string> JournalTestTarget::RegistryLines() const {
  std::vector<std::string> lines;
  for (const auto& [where, value] : values_) {
    lines.push_back(Utf16ToUtf8(where.first.c_str()) + "\\" + Utf16ToUtf8(where.second.c_str()) +
                    "=" + std::to_string(value.type) + ":" +
                    std::string(value.bytes.begin(), value.bytes.end()));
  }
  for (const std::u16string& key : keys_) lines.push_back("key " + Utf16ToUtf8(key.c_str()));
  return lines;
}

bool JournalTestTarget::PathExists(const std::u16string& path) {
  std::error_code error;
  return fs::exists(OnDisk(path), error);
}

bool JournalTestTarget::RenameFile(const std::u16string& from, const std::u16string& to) {
  if (!Alive()) return false;
  if (held_.count(from) != 0) {
    lastError_ = u"held by another program";
    return false;
  }
  std::error_code error;
  if (fs::exists(OnDisk(to), error) || !fs::exists(OnDisk(from), error)) return false;
  fs::rename(OnDisk(from), OnDisk(to), error);
  return !error;
}

std::unique_ptr<IStagedFile> JournalTestTarget::CreateStagedFile(const std::u16string& staging) {
  if (!Alive()) return nullptr;
  std::unique_ptr<IStagedFile> file = IJournalTarget::CreateStagedFile(staging);
  if (!file || unclosable_.count(staging) == 0) return file;
  return std::make_unique<UnclosableFile>(std::move(file), lastError_);
}

bool JournalTestTarget::RemoveFile(const std::u16string& path) {
  if (!Alive() || Refuses(path)) return false;
  std::error_code error;
  if (fs::is_directory(OnDisk(path), error)) return false;
  fs::remove(OnDisk(path), error);
  return !error;
}

bool JournalTestTarget::CreateFolder(const std::u16string& path) {
  if (!Alive()) return false;
  std::error_code error;
  return fs::create_directory(OnDisk(path), error);
}

bool JournalTestTarget::RemoveEmptyFolder(const std::u16string& path) {
  if (!Alive()) return false;
  std::error_code error;
  if (!fs::exists(OnDisk(path), error)) return true;
  if (!fs::is_directory(OnDisk(path), error) || !fs::is_empty(OnDisk(path), error)) return false;
  return fs::remove(OnDisk(path), error);
}

bool JournalTestTarget::RemoveTree(const std::u16string& path) {
  if (!Alive() || Refuses(path)) return false;
  std::error_code error;
  fs::remove_all(OnDisk(path), error);
  return !error;
}

bool JournalTestTarget::CrossesLink(const std::u16string& folder, const std::u16string& path) {
#ifdef _WIN32
  // The C++ library cannot tell a link there (folder_listing_windows.cpp).
  return ::CrossesLink(folder.c_str(), path.c_str());
#else
  // As link_check_windows.cpp walks the parts, with the links the C++ library tells.
  size_t at = folder.size();
  if (at == 0 || path.size() < at) return true;
  if (at < path.size() && path[at] == u'\\') ++at;
  while (at < path.size()) {
    size_t end = path.find(u'\\', at);
    if (end == std::u16string::npos) end = path.size();
    std::error_code error;
    const fs::file_status status = fs::symlink_status(OnDisk(path.substr(0, end)), error);
    // Below a part that is not there, nothing is.
    if (error || !fs::exists(status)) return false;
    if (fs::is_symlink(status)) return true;
    at = end + 1;
  }
  return false;
#endif
}

bool JournalTestTarget::KeyExists(const std::u16string& key) { return keys_.count(key) != 0; }

bool JournalTestTarget::ReadValue(const std::u16string& key, const std::u16string& name,
                                  RegistryValue* value) {
  auto found = values_.find({key, name});
  if (found == values_.end()) return false;
  *value = found->second;
  return true;
}

bool JournalTestTarget::WriteValue(const std::u16string& key, const std::u16string& name,
                                   const RegistryValue& value) {
  if (!Alive() || Refuses(key + u"\\" + name)) return false;
  for (std::u16string at = key; !at.empty(); at = ParentKey(at)) keys_.insert(at);
  values_[{key, name}] = value;
  return true;
}

bool JournalTestTarget::DeleteValue(const std::u16string& key, const std::u16string& name) {
  if (!Alive() || Refuses(key + u"\\" + name)) return false;
  values_.erase({key, name});
  return true;
}

bool JournalTestTarget::RemoveEmptyKey(const std::u16string& key) {
  if (!Alive()) return false;
  for (const auto& [where, value] : values_) {
    if (where.first == key) return false;
  }
  for (const std::u16string& other : keys_) {
    if (other.size() > key.size() && other.compare(0, key.size() + 1, key + u"\\") == 0) {
      return false;
    }
  }
  keys_.erase(key);
  return true;
}

bool JournalTestTarget::RemoveKey(const std::u16string& key) {
  if (!Alive() || Refuses(key)) return false;
  for (const std::u16string& other : keys_) {
    if (other.compare(0, key.size() + 1, key + u"\\") == 0) return false;
  }
  for (auto value = values_.begin(); value != values_.end();) {
    value = value->first.first == key ? values_.erase(value) : std::next(value);
  }
  keys_.erase(key);
  return true;
}

bool JournalTestTarget::CreateJournal(const std::u16string& path) {
  if (!Alive() || PathExists(path)) return false;
  std::ofstream created(OnDisk(path), std::ios::binary);
  if (!created) return false;
  journal_ = path;
  return true;
}

bool JournalTestTarget::AppendJournal(const std::vector<uint8_t>& bytes) {
  if (journal_.empty() || !Alive()) return false;
  ++journalWrites_;
  std::ofstream out(OnDisk(journal_), std::ios::binary | std::ios::app);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

IJournalTarget::JournalRead JournalTestTarget::ReadJournal(const std::u16string& path,
                                                           std::vector<uint8_t>* bytes) {
  if (!PathExists(path)) return JournalRead::kMissing;
  // As a run still going holds its journal open.
  if (held_.count(path) != 0) return JournalRead::kBusy;
  std::ifstream in(OnDisk(path), std::ios::binary);
  if (!in) return JournalRead::kFailed;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return JournalRead::kRead;
}

MachineState StateBelow(const fs::path& folder, const JournalTestTarget& machine) {
  MachineState state;
  state.registry = machine.RegistryLines();
  if (!fs::exists(folder)) return state;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    state.files[fs::relative(item.path(), folder).generic_string()] =
        item.is_directory() ? "<folder>" : ReadBytes(item.path());
  }
  return state;
}
