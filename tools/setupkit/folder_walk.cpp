#include "tools/setupkit/folder_walk.h"

#include <map>

#include "support/files/entry_path.h"
#include "support/files/folder_listing.h"
#include "support/text/path_text.h"
#include "support/text/utf8.h"
#include "tools/setupkit/host_system.h"
#include "product/installer_names.h"
#include "tools/setupkit/name_problem.h"
#include "tools/setupkit/tool_output.h"

namespace {

// The shortest folder a client can be installed into; what does not fit below it fits nowhere.
constexpr char16_t kShortestInstallFolder[] = u"C:\\";
// What is left of a path's capacity below that folder, with the terminator.
constexpr int kLongestInstalledPath = kPathCapacity - 4;

bool EndsWithSeparator(const std::u16string& path) {
  return !path.empty() && (path.back() == u'/' || path.back() == u'\\');
}

// Why the entry cannot be packed; empty when it can.
std::string Refusal(const FolderEntry& entry, const std::u16string& relative, int depth) {
  if (entry.kind == FolderEntryKind::kLink) {
    return "it is a link (a symbolic link or a junction), and setupkit follows no links: put what "
           "it points to in the folder itself";
  }
  if (entry.kind == FolderEntryKind::kOther) return "it is neither a file nor a folder";
  if (!entry.nameIsText) {
    return "its name is not whole text (bytes that are no UTF-8 show as U+FFFD)";
  }
  const std::string nameProblem = NameProblem(entry.name);
  if (!nameProblem.empty()) return "its name " + nameProblem;
  if (depth > kMaxFolderDepth) {
    return "it lies more than " + std::to_string(kMaxFolderDepth) + " folders deep";
  }
  // A folder is installed with its trailing separator, which takes a unit of the path too.
  const bool isFolder = entry.kind == FolderEntryKind::kFolder;
  const std::u16string installedName = isFolder ? relative + u"/" : relative;
  char16_t installed[kPathCapacity];
  if (!JoinEntryPath(kShortestInstallFolder, installedName.c_str(), installed)) {
    return "its path is " + std::to_string(relative.size()) + " characters long, more than the " +
           std::to_string(kLongestInstalledPath - (isFolder ? 1 : 0)) + " an installed " +
           (isFolder ? "folder's" : "file's") + " path leaves it";
  }
  return "";
}

// The entry as a line shows it: the folder as given, "/", its relative path.
std::string ShownEntry(const std::u16string& folder, const std::u16string& relative) {
  return Shown(folder) + (EndsWithSeparator(folder) ? "" : "/") + Utf16ToUtf8(relative.c_str());
}

// The entries of a folder met so far, by their names' upper case: the key under which Windows
// takes two names for one.
using UpperCaseNames = std::map<std::u16string, std::u16string>;

// Why the name clashes, in the install folder, with an earlier sibling's (noted in siblings) or
// with the installer's own files; empty when it does not.
std::string NameClash(const std::u16string& folder, const std::u16string& name,
                      const std::u16string& relative, bool atTop, UpperCaseNames& siblings) {
  std::u16string upperName;
  if (!UpperCaseName(name, upperName)) {
    return "the system cannot tell its name's upper case, to compare it with the others'";
  }
  const auto twin = siblings.emplace(upperName, relative);
  if (!twin.second) {
    return "its name and that of " + ShownEntry(folder, twin.first->second) +
           " are one name to Windows, which ignores case";
  }
  return InstallerNameProblem(upperName, atTop);
}

bool WalkLevel(const std::u16string& folder, const std::u16string& path,
               const std::u16string& prefix, int depth, std::vector<WalkedEntry>& entries,
               std::string& problem) {
  std::vector<FolderEntry> listed;
  if (!ListFolder(path.c_str(), listed)) {
    problem = prefix.empty() ? "cannot read the folder " + Shown(folder)
                             : EntryProblem(folder, prefix.substr(0, prefix.size() - 1),
                                            "the folder cannot be read");
    return false;
  }
  const std::u16string parent = EndsWithSeparator(path) ? path : path + u"\\";
  UpperCaseNames siblings;
  for (const FolderEntry& entry : listed) {
    const std::u16string relative = prefix + entry.name;
    std::string refusal = Refusal(entry, relative, depth);
    if (refusal.empty()) refusal = NameClash(folder, entry.name, relative, depth == 0, siblings);
    if (!refusal.empty()) {
      problem = EntryProblem(folder, relative, refusal);
      return false;
    }
    const bool isFolder = entry.kind == FolderEntryKind::kFolder;
    entries.push_back({parent + entry.name, relative, isFolder, entry.size});
    if (isFolder &&
        !WalkLevel(folder, parent + entry.name, relative + u"/", depth + 1, entries, problem)) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool WalkFolder(const std::u16string& folder, std::vector<WalkedEntry>& entries,
                std::string& problem) {
  entries.clear();
  if (WalkLevel(folder, folder, u"", 0, entries, problem)) return true;
  entries.clear();
  return false;
}

std::string EntryProblem(const std::u16string& folder, const std::u16string& relative,
                         const std::string& reason) {
  return ShownEntry(folder, relative) + " cannot be packed: " + reason;
}
