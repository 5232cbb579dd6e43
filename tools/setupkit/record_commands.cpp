#include "tools/setupkit/record_commands.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "records/carried_languages.h"
#include "records/client_info.h"
#include "records/language_file.h"
#include "records/update_info_trust.h"
#include "support/container/packed_container.h"
#include "support/files/xdata.h"
#include "support/pe/resource_update.h"
#include "support/text/byte_order_mark.h"
#include "support/text/utf8.h"
#include "tools/setupkit/installer_resources.h"
#include "tools/setupkit/language_commands.h"
#include "tools/setupkit/list_commands.h"
#include "tools/setupkit/name_problem.h"
#include "tools/setupkit/signing_commands.h"
#include "tools/setupkit/tool_output.h"
#include "tools/setupkit/vendor_config.h"

namespace {

constexpr char16_t kStyleKey[] = u"style";
// The keys whose values name folders (and registry keys), in the record's order.
constexpr const char16_t* kFolderNameKeys[] = {u"app", u"company"};
// Sixteen entries of at most 511 units each, with their keys, fit with room to spare.
constexpr int kShownTextUnits = 16384;

std::string Quoted(const std::u16string& text) { return "\"" + Utf16ToUtf8(text.c_str()) + "\""; }

std::string Where(const std::u16string& in, int line) {
  return Shown(in) + ":" + std::to_string(line) + ": ";
}

bool IsKnownKey(const std::u16string& key) {
  for (int i = 0; CClientInfo::ConfigKey(i) != nullptr; ++i) {
    if (key == CClientInfo::ConfigKey(i)) return true;
  }
  return false;
}

// A style is "#" and one to eight hexadecimal digits; empty leaves the flags at 0. Anything else
// would be read as some other number. Writes it in the record's own spelling.
bool NormalizeStyle(const std::u16string& value, std::u16string& normalized) {
  uint32_t style = 0;
  if (!value.empty()) {
    if (value[0] != u'#' || value.size() < 2 || value.size() > 9) return false;
    for (size_t i = 1; i < value.size(); ++i) {
      char16_t c = value[i];
      int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                  : c >= u'a' && c <= u'f' ? c - u'a' + 10
                  : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                           : -1;
      if (digit < 0) return false;
      style = style * 16 + static_cast<uint32_t>(digit);
    }
  }
  char text[16];
  std::snprintf(text, sizeof text, "#%08X", static_cast<unsigned>(style));
  normalized = Utf8ToUtf16(text);
  return true;
}

// The record's text, without its terminating zero.
std::u16string WrittenText(CClientInfo& record) {
  std::vector<char16_t> text(kShownTextUnits);
  int units = record.WriteText(text.data(), kShownTextUnits);
  return units > 0 ? std::u16string(text.data(), static_cast<size_t>(units - 1)) : u"";
}

// The value of key in the record's written text: its lines are "key=value;" and CR LF, and no
// value holds ";".
std::u16string WrittenValue(const std::u16string& written, const std::u16string& key) {
  std::u16string lineStart = key + u"=";
  for (size_t at = 0; at != std::u16string::npos && at < written.size();) {
    if (written.compare(at, lineStart.size(), lineStart) == 0) {
      size_t value = at + lineStart.size();
      return written.substr(value, written.find(u';', value) - value);
    }
    size_t lineEnd = written.find(u'\n', at);
    at = lineEnd == std::u16string::npos ? lineEnd : lineEnd + 1;
  }
  return u"";
}

// The text of bytes in either stored form of a record, up to its first zero unit: a packed
// container's content, or UTF-16LE after its mark. False for anything else, with damaged set when
// the bytes are a container that does not unpack.
bool StoredText(const uint8_t* bytes, uint32_t length, std::u16string& text, bool& damaged) {
  damaged = false;
  XData unpacked;
  const uint8_t* units = nullptr;
  uint32_t n = 0;
  if (HasContainerMarker(bytes, length)) {
    if (unpacked.Reserve(length, true)) {
      n = UnpackContainer(unpacked.Data(), unpacked.Capacity(), bytes, length);
    }
    damaged = n == 0;
    if (damaged) return false;
    units = unpacked.Data();
  } else if (DetectBom(bytes, length) == kBomUtf16Le) {
    units = bytes + 2;
    n = length - 2;
  } else {
    return false;
  }
  text.clear();
  for (uint32_t i = 0; i + 1 < n; i += 2) {
    char16_t unit = static_cast<char16_t>(units[i] | units[i + 1] << 8);
    if (unit == 0) break;
    text += unit;
  }
  return true;
}

// True when text reads as a client record: lines of "key=value;" (blank lines allowed), at least
// one with a key of the record. Other text would parse as a record of empty fields.
bool IsClientRecordText(const std::u16string& text) {
  std::vector<VendorEntry> entries;
  std::string reason;
  if (!SplitVendorEntries(text, entries, reason)) return false;
  for (const VendorEntry& entry : entries) {
    if (IsKnownKey(entry.key)) return true;
  }
  return false;
}

// Reads the client record stored in bytes (read from path). False, with the reason in problem,
// for a damaged container or content that is not a client record, which is reported as path
// followed by notARecord.
bool ReadRecord(const uint8_t* bytes, uint32_t length, const std::u16string& path,
                const char* notARecord, CClientInfo& record, std::string& problem) {
  std::u16string text;
  bool damaged = false;
  if (!StoredText(bytes, length, text, damaged) || !IsClientRecordText(text)) {
    problem = Shown(path) + (damaged ? " is damaged: its packed container does not unpack"
                                     : notARecord);
    return false;
  }
  return record.ParseText(text.c_str());
}

bool IsExecutable(const XData& bytes) {
  return bytes.Length() >= 2 && bytes.Data()[0] == 'M' && bytes.Data()[1] == 'Z';
}

}  // namespace

bool ReadVendorConfig(const std::u16string& in, CClientInfo& record, std::string& problem) {
  auto refuse = [&problem](const std::string& reason) {
    problem = reason;
    return false;
  };
  XData bytes;
  if (!bytes.ReadFile(in.c_str(), 0)) return refuse("cannot read " + Shown(in));
  std::u16string text;
  std::vector<VendorEntry> entries;
  std::string reason;
  if (!DecodeVendorText(bytes.Data(), bytes.Length(), text, reason)) {
    return refuse(Shown(in) + ": " + reason);
  }
  if (!SplitVendorEntries(text, entries, reason)) return refuse(Shown(in) + ": " + reason);

  // The entries the record takes, as the record's own writer would spell them.
  std::u16string canonical;
  std::map<std::u16string, const VendorEntry*> given;
  for (const VendorEntry& entry : entries) {
    if (!IsKnownKey(entry.key)) {
      std::fprintf(stderr, "setupkit: %sunknown key %s ignored\n", Where(in, entry.line).c_str(),
                   Quoted(entry.key).c_str());
      continue;
    }
    if (!given.emplace(entry.key, &entry).second) {
      return refuse(Where(in, entry.line) + Quoted(entry.key) + " is given twice");
    }
    if (entry.value.find(u';') != std::u16string::npos) {
      return refuse(Where(in, entry.line) + "the value of " + Quoted(entry.key) +
                    " holds \";\", so it could not be read back whole");
    }
    std::u16string style;
    if (entry.key == kStyleKey && !NormalizeStyle(entry.value, style)) {
      return refuse(Where(in, entry.line) +
                    "style must be \"#\" and up to eight hexadecimal digits, such as #00000024");
    }
    if (entry.key == u"language" && !entry.value.empty() &&
        !IsLanguageCode(Utf16ToUtf8(entry.value.c_str()))) {
      return refuse(Where(in, entry.line) +
                    "language must be a language code such as en or de-AT, or empty for Chinese");
    }
    canonical += entry.key + u"=" + entry.value + u";\r\n";
  }

  record = CClientInfo();
  record.ParseText(canonical.c_str());
  // Every value must come back exactly as given, and every key not given must come back empty:
  // a value too long for its field, or one that looks like another entry, would otherwise be
  // installed changed.
  std::u16string written = WrittenText(record);
  for (int i = 0; CClientInfo::ConfigKey(i) != nullptr; ++i) {
    std::u16string key = CClientInfo::ConfigKey(i);
    auto found = given.find(key);
    const VendorEntry* entry = found != given.end() ? found->second : nullptr;
    std::u16string expected = entry != nullptr ? entry->value : u"";
    if (key == kStyleKey) NormalizeStyle(std::u16string(expected), expected);
    std::u16string actual = WrittenValue(written, key);
    if (actual == expected) continue;
    if (entry == nullptr) {
      return refuse(Shown(in) + ": " + Quoted(key) +
                    " would be read out of another entry's value as " + Quoted(actual));
    }
    if (actual.size() < expected.size() && expected.compare(0, actual.size(), actual) == 0) {
      return refuse(Where(in, entry->line) + "the value of " + Quoted(key) +
                    " is longer than the " + std::to_string(actual.size()) +
                    " characters its field keeps");
    }
    return refuse(Where(in, entry->line) + "the value of " + Quoted(key) +
                  " would be read back as " + Quoted(actual));
  }
  // The installer refuses a record whose folder names would put the install or the product's
  // keys elsewhere as a damaged package (HasPlainNames): say so here, naming the key.
  for (const char16_t* key : kFolderNameKeys) {
    auto found = given.find(key);
    if (found == given.end()) {
      return refuse(Shown(in) + ": " + Quoted(key) +
                    " is not given: it names the install folder and the product's keys");
    }
    const std::string why = NameProblem(found->second->value);
    if (!why.empty()) {
      return refuse(Where(in, found->second->line) + "the value of " + Quoted(key) +
                    " must be one plain folder name, and " + Quoted(found->second->value) + " " +
                    why);
    }
  }
  return true;
}

int ConfigCommand(const std::u16string& in, const std::u16string& out, bool packed) {
  CClientInfo record;
  std::string problem;
  if (!ReadVendorConfig(in, record, problem)) return Fail(problem);
  XData stored;
  if (!stored.Reserve(CRecordStorage::kDefaultSaveBufferSize, true)) {
    return Fail("out of memory writing " + Shown(out));
  }
  uint32_t size = record.Serialize(stored.Data(), stored.Capacity(), packed);
  if (size == 0) return Fail("cannot store the record of " + Shown(in));
  if (!WriteOutputFile(out, stored.Data(), size)) return Fail("cannot write " + Shown(out));
  return kExitDone;
}

int ShowCommand(const std::u16string& file) {
  XData bytes;
  if (!bytes.ReadFile(file.c_str(), 0)) return Fail("cannot read " + Shown(file));
  CClientInfo record;
  std::string problem;
  if (IsExecutable(bytes)) {
    if (!ReadExecutableRecord(bytes, file, record, problem)) return Fail(problem);
  } else {
    int status = kExitDone;
    if (ShowListFile(bytes.Data(), bytes.Length(), &status)) return status;
    if (!ReadRecord(bytes.Data(), bytes.Length(), file,
                    " is not an update list, an uninstall list or a client record", record,
                    problem)) {
      return Fail(problem);
    }
  }
  return PrintRecord(record);
}

int PrintRecord(CClientInfo& record) { return PrintText(WrittenText(record)); }

bool ReadExecutableRecord(const XData& bytes, const std::u16string& file, CClientInfo& record,
                          std::string& problem) {
  const std::string image(reinterpret_cast<const char*>(bytes.Data()), bytes.Length());
  std::string stored;
  std::string unreadable;
  if (!FindInstallerResource(image, kConfigType, stored, unreadable)) {
    problem = Shown(file) + " " +
              (unreadable.empty() ? "carries no readable \"app\" resource" : unreadable);
    return false;
  }
  if (!ReadRecord(reinterpret_cast<const uint8_t*>(stored.data()),
                  static_cast<uint32_t>(stored.size()), file, "", record, problem)) {
    problem = Shown(file) + " carries no readable \"app\" resource";
    return false;
  }
  return true;
}

int StampCommand(const std::u16string& exe, const std::u16string& recordFile,
                 const std::u16string& publicKeyFile,
                 const std::vector<std::u16string>& languageFiles) {
  uint8_t publicKey[kPublicKeyBytes];
  std::string keyProblem;
  if (!publicKeyFile.empty() && !ReadPublicKeyFile(publicKeyFile, publicKey, keyProblem)) {
    return Fail(keyProblem);
  }
  std::vector<Language> languages;
  if (!ReadLanguageFiles(languageFiles, languages, keyProblem)) return Fail(keyProblem);
  const std::string carried = CarriedLanguages(languages);
  XData bytes;
  if (!bytes.ReadFile(recordFile.c_str(), 0)) return Fail("cannot read " + Shown(recordFile));
  CClientInfo record;
  std::string problem;
  if (!ReadRecord(bytes.Data(), bytes.Length(), recordFile, " is not a client record", record,
                  problem)) {
    return Fail(problem);
  }
  // The programs refuse such a record at start-up as a damaged package.
  const std::pair<const char16_t*, std::u16string> folderNames[] = {
      {u"app", record.GetApp().Units()}, {u"company", record.GetCompany().Units()}};
  for (const auto& [key, value] : folderNames) {
    const std::string why = NameProblem(value);
    if (!why.empty()) {
      return Fail(Shown(recordFile) + ": the value of " + Quoted(key) +
                  " must be one plain folder name, and " + Quoted(value) + " " + why);
    }
  }
  XData stored;
  const bool packed = HasContainerMarker(bytes.Data(), bytes.Length());
  uint32_t size = 0;
  if (stored.Reserve(CRecordStorage::kDefaultSaveBufferSize, true)) {
    size = record.Serialize(stored.Data(), stored.Capacity(), packed);
  }
  if (size == 0) return Fail("cannot store the record of " + Shown(recordFile));
  ResourceUpdate update(exe.c_str());
  const bool keyPut =
      publicKeyFile.empty() || update.Put(kListKeyType, kListKeyId, publicKey, kPublicKeyBytes);
  const bool languagesPut =
      languages.empty() ||
      update.Put(kLanguagesType, kLanguagesId, reinterpret_cast<const uint8_t*>(carried.data()),
                 static_cast<uint32_t>(carried.size()));
  if (!update.Put(kConfigType, kResourceId, stored.Data(), size) || !keyPut || !languagesPut ||
      !update.Commit()) {
    return Fail("cannot write the record into " + Shown(exe) + ": it " + update.Problem() +
                "; it is left as it was");
  }
  if (update.SignatureDropped()) {
    std::fprintf(stderr, "setupkit: %s was signed; its signature cannot hold for the stamped file "
                 "and is left out: sign it again\n", Shown(exe).c_str());
  }
  return kExitDone;
}
