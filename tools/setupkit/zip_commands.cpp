#include "tools/setupkit/zip_commands.h"

#include <minizip/zip.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "support/file_stream.h"
#include "support/utf8.h"
#include "support/xdata.h"
#include "support/xzip.h"
#include "support/zip_io.h"
#include "tools/setupkit/tool_output.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned long kUtf8NameFlag = 0x0800;
constexpr unsigned long kFolderAttribute = 0x10;
constexpr unsigned long kMadeByMsDos = 0;
// 1980-01-01 00:00, the first time the format can hold.
constexpr unsigned long kFixedDosTime = (1ul << 21) | (1ul << 16);
// The largest piece minizip takes in one write.
constexpr uint32_t kWritePiece = 1u << 30;

struct Entry {
  std::string name;  // UTF-8, "/"-separated, with a trailing "/" for folders
  fs::path path;
  bool folder;
};

struct ZipCloser {
  void operator()(void* zip) const { zipClose(zip, nullptr); }
};
using ZipWriter = std::unique_ptr<void, ZipCloser>;

// Lists the folder's contents in archive order. False with a message for anything that is
// neither a file nor a folder, or a folder that cannot be read.
bool ListEntries(const fs::path& root, std::vector<Entry>& entries, std::string& problem) {
  std::error_code error;
  fs::recursive_directory_iterator walk(root, error);
  for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    const fs::path& path = walk->path();
    fs::file_status status = walk->status(error);
    if (error) break;
    bool folder = fs::is_directory(status);
    if (!folder && !fs::is_regular_file(status)) {
      problem = Shown(path.u16string()) + " is neither a file nor a folder";
      return false;
    }
    std::string name = path.lexically_relative(root).generic_u8string();
    // Only outside Windows can a name be bytes that are no text; the archive says UTF-8.
    if (!IsValidUtf8(name.data(), name.size())) {
      problem = "a name in " + Shown(root.u16string()) + " is not valid UTF-8";
      return false;
    }
    entries.push_back({folder ? name + "/" : name, path, folder});
  }
  if (error) {
    problem = "cannot read " + Shown(root.u16string()) + ": " + error.message();
    return false;
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return true;
}

bool WriteEntry(zipFile zip, const Entry& entry, const char* password, std::string& problem) {
  XData content;
  if (!entry.folder && !content.ReadFile(entry.path.u16string().c_str(), 0)) {
    problem = "cannot read " + Shown(entry.path.u16string());
    return false;
  }
  uLong crc = crc32(0, content.Data(), content.Length());
  zip_fileinfo info = {};
  info.dosDate = kFixedDosTime;
  info.external_fa = entry.folder ? kFolderAttribute : 0;
  int method = entry.folder ? 0 : Z_DEFLATED;
  int level = entry.folder ? 0 : Z_DEFAULT_COMPRESSION;
  bool written =
      zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              method, level, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                              password, crc, kMadeByMsDos, kUtf8NameFlag, 0) == ZIP_OK;
  for (uint32_t done = 0; written && done < content.Length();) {
    uint32_t piece = std::min(content.Length() - done, kWritePiece);
    written = zipWriteInFileInZip(zip, content.Data() + done, piece) == ZIP_OK;
    done += piece;
  }
  written = zipCloseFileInZip(zip) == ZIP_OK && written;
  if (!written) problem = "cannot write the entry " + entry.name;
  return written;
}

}  // namespace

int ZipCommand(const std::u16string& folder, const std::u16string& out) {
  fs::path root(folder);
  std::error_code error;
  if (!fs::is_directory(root, error)) return Fail(Shown(folder) + " is not a folder");
  std::vector<Entry> entries;
  std::string problem;
  if (!ListEntries(root, entries, problem)) return Fail(problem);
  // minizip finds no directory in an archive that is nothing but its end record.
  if (entries.empty()) {
    return Fail(Shown(folder) + " is empty: an archive without entries cannot be read back");
  }

  zlib_filefunc64_def io = FileZipIo();
  ZipWriter zip(zipOpen2_64(out.c_str(), APPEND_STATUS_CREATE, nullptr, &io));
  if (!zip) return Fail("cannot write " + Shown(out));
  const char* password = XZip::GetArchivePassword();
  for (const Entry& entry : entries) {
    if (!WriteEntry(zip.get(), entry, password, problem)) {
      zip.reset();
      RemoveFile(out.c_str());
      return Fail(problem);
    }
  }
  // Closing writes the central directory: the archive is only whole when that succeeds.
  if (zipClose(zip.release(), nullptr) != ZIP_OK) {
    RemoveFile(out.c_str());
    return Fail("cannot write " + Shown(out));
  }
  return kExitDone;
}
