#include "tools/setupkit/zip_commands.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "tools/setupkit/archive_writer.h"
#include "tools/setupkit/tool_output.h"

int ZipCommand(const std::u16string& folder, const std::u16string& out) {
  std::error_code error;
  if (!std::filesystem::is_directory(std::filesystem::path(folder), error)) {
    return Fail(Shown(folder) + " is not a folder");
  }
  std::vector<ArchiveEntry> entries;
  std::string problem;
  if (!ListFolderEntries(folder, entries, problem)) return Fail(problem);
  if (entries.empty()) {
    return Fail(Shown(folder) + " is empty: an archive without entries cannot be read back");
  }
  if (!BuildArchive(entries, Shown(out), out, problem)) return Fail(problem);
  return kExitDone;
}
