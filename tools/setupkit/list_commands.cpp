#include "tools/setupkit/list_commands.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "product/listed_files.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "records/update_info_trust.h"
#include "support/container/packed_container.h"
#include "support/crypto/signing.h"
#include "support/files/file_stream.h"
#include "support/files/filesystem_path.h"
#include "support/files/xdata.h"
#include "support/text/byte_order_mark.h"
#include "support/text/utf8.h"
#include "support/text/version_text.h"
#include "tools/setupkit/folder_walk.h"
#include "tools/setupkit/list_deltas.h"
#include "tools/setupkit/list_signing.h"
#include "tools/setupkit/progress_line.h"
#include "tools/setupkit/signing_commands.h"
#include "tools/setupkit/tool_output.h"

namespace {

// True when both paths name one existing file.
bool SameFile(const std::u16string& a, const std::u16string& b) {
  std::error_code error;
  return std::filesystem::equivalent(ToFilesystemPath(a.c_str()), ToFilesystemPath(b.c_str()),
                                     error);
}

bool IsFolder(const std::u16string& path) {
  std::error_code error;
  return std::filesystem::is_directory(ToFilesystemPath(path.c_str()), error);
}

// The entries of a plain "uninst.dat": the UTF-16LE mark, then entries each followed by "|", on
// no lines of their own (the mark alone is the empty list). Client records are lines of
// "key=value;", so the two never meet.
bool ParseUninstallList(const uint8_t* bytes, uint32_t n, CUninstInfo& list) {
  if (n < 2 || n % 2 != 0 || DetectBom(bytes, n) != kBomUtf16Le) return false;
  if (n == 2) return true;
  std::u16string text;
  for (uint32_t i = 2; i < n; i += 2) {
    char16_t unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    if (unit == 0 || unit == u'\r' || unit == u'\n') return false;
    text += unit;
  }
  return text.back() == u'|' && list.ParseText(text.c_str());
}

// Prints the list's own lines; the exit status.
int PrintUpdateList(const CUpdateInfo& list) { return PrintText(list.Text()); }

// Writes the list and, when signing, its signature beside it; on any failure neither is left.
bool WriteSignedOutput(const std::u16string& out, const uint8_t* bytes, uint32_t n,
                       const uint8_t* signature) {
  if (!WriteOutputFile(out, bytes, n)) return false;
  if (signature == nullptr || WriteOutputFile(SignatureFileOf(out), signature, kSignatureBytes)) {
    return true;
  }
  RemoveFile(out.c_str());
  return false;
}

}  // namespace

FolderScan ScanFolder(const std::u16string& folder, const std::u16string& urlBase) {
  FolderScan scan;
  std::vector<WalkedEntry> entries;
  if (!WalkFolder(folder, entries, scan.problem)) return scan;
  for (const WalkedEntry& entry : entries) {
    if (entry.isFolder) continue;
    // Escaped, a name may grow to nine times its length: past what an item keeps, the list
    // would lack the file.
    const size_t urlLength = ListedFileUrl(urlBase, entry.relative).size();
    if (urlLength >= static_cast<size_t>(UpdateItem::kUrlCapacity)) {
      scan.problem = EntryProblem(
          folder, entry.relative,
          "its URL, with the names in it escaped, is " + std::to_string(urlLength) +
              " characters long, more than the " + std::to_string(UpdateItem::kUrlCapacity - 1) +
              " an update list keeps");
      return scan;
    }
    ++scan.files;
    scan.bytes += entry.size;
    if (entry.size == 0) scan.emptyFiles.push_back(entry.path);
  }
  return scan;
}

bool AddListedFolder(CUpdateInfo& list, const std::u16string& urlBase,
                     const std::u16string& folder, const FolderScan& scan) {
  ProgressLine progress("listing " + Shown(folder), static_cast<uint64_t>(scan.files), scan.bytes);
  return AddFolderToList(list, urlBase.c_str(), folder.c_str(), u"",
                         [&progress](uint64_t bytes) { progress.Advance(bytes); }) != 0;
}

int ListCommand(const std::u16string& folder, const std::u16string& urlBase,
                const std::u16string& out, const std::u16string& version, bool packed,
                const std::u16string& signKey, const std::vector<std::u16string>& previous) {
  if (!IsFolder(folder)) return Fail(Shown(folder) + " is not a folder");
  if (urlBase.empty()) return Fail("the URL base is empty");
  const bool signing = !signKey.empty();
  SigningKeyPair key;
  std::string problem;
  if (signing && !ReadSecretKeyFile(signKey, key, problem)) return Fail(problem);
  // The list and its signature replace what is there: never the key that signs them.
  if (signing && (SameFile(out, signKey) || SameFile(SignatureFileOf(out), signKey))) {
    return Fail(Shown(out) + " or its signature would replace the secret key " + Shown(signKey));
  }
  const FolderScan scan = ScanFolder(folder, urlBase);
  if (!scan.problem.empty()) return Fail(scan.problem);
  int listed = scan.files - static_cast<int>(scan.emptyFiles.size());
  if (listed == 0) return Fail(Shown(folder) + " holds no files to list");
  if (listed > IUpdateInfo::kMaxItems) {
    return Fail(Shown(folder) + " holds more than " + std::to_string(IUpdateInfo::kMaxItems) +
                " files, more than an update list takes");
  }
  for (const std::u16string& empty : scan.emptyFiles) {
    std::fprintf(stderr, "setupkit: %s is empty; an update list holds no empty files\n",
                 Shown(empty).c_str());
  }

  CUpdateInfo list;
  list.SetVersion(version.c_str());
  AddListedFolder(list, urlBase, folder, scan);
  if (list.Count() != listed) {
    return Fail("cannot list every file of " + Shown(folder) +
                " (unreadable, or its path or URL too long)");
  }
  if (!previous.empty()) {
    const NewFileOf newFile = [&folder](const UpdateItem& item) {
      return (std::filesystem::path(folder) / std::filesystem::path(SlashedPathOf(item)))
          .u16string();
    };
    const std::u16string beside = ToFilesystemPath(out.c_str()).parent_path().u16string();
    if (!AddListDeltas(list, previous, newFile, PatchFileIn(beside), problem)) {
      return Fail(problem);
    }
  }
  XData stored;
  if (!stored.Reserve(list.SaveBufferSize(), true)) {
    return Fail("out of memory writing " + Shown(out));
  }
  uint32_t size = list.Serialize(stored.Data(), stored.Capacity(), packed);
  if (size == 0) return Fail("cannot store the update list of " + Shown(folder));
  uint8_t signature[kSignatureBytes];
  if (signing && !SignDetached(stored.Data(), size, key.secretKey, kSecretKeyBytes, signature)) {
    return Fail("cannot sign the update list of " + Shown(folder));
  }
  if (!WriteSignedOutput(out, stored.Data(), size, signing ? signature : nullptr)) {
    return Fail("cannot write " + Shown(out) + (signing ? " and its signature" : ""));
  }
  if (!signing) {
    std::fprintf(stderr, "setupkit: %s\n", UnsignedListWarning(Shown(out)).c_str());
  } else if (!IsVersionText(version.c_str())) {
    std::fprintf(stderr, "setupkit: %s\n", UnversionedListWarning(Shown(out), "--version").c_str());
  }
  return kExitDone;
}

int ShowSignedListCommand(const std::u16string& file, const std::u16string& publicKey) {
  const std::u16string signatureFile = SignatureFileOf(file);
  XData bytes;
  ListSignatureCheck check;
  std::string problem;
  if (!CheckListFiles(file, signatureFile, publicKey, bytes, check, problem)) return Fail(problem);
  CUpdateInfo list;
  if (!list.ParseBytes(bytes.Data(), bytes.Length())) {
    return Fail(Shown(file) + " is not an update list; --public-key checks update lists");
  }
  int status = PrintUpdateList(list);
  if (status != kExitDone) return status;
  std::string verdict = Shown(signatureFile) + ": " + DescribeListSignatureCheck(check);
  if (check != ListSignatureCheck::kVerified) return Fail(verdict);
  return PrintText(Utf8ToUtf16(verdict) + u"\r\n");
}

bool ShowListFile(const uint8_t* bytes, uint32_t n, int* status) {
  CUpdateInfo updateList;
  if (updateList.ParseBytes(bytes, n)) {
    *status = PrintUpdateList(updateList);
    return true;
  }
  CUninstInfo uninstallList;
  if (!HasContainerMarker(bytes, n) && ParseUninstallList(bytes, n, uninstallList)) {
    std::u16string text;
    for (int i = 0; i < uninstallList.Count(); ++i) {
      text += std::u16string(uninstallList.Get(i)) + u"\r\n";
    }
    *status = PrintText(text);
    return true;
  }
  return false;
}
