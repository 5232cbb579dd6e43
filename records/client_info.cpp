#include "records/client_info.h"

#include "support/core/text_length.h"
#include "support/files/entry_path.h"
#include "support/text/key_value_text.h"

namespace {

constexpr char16_t kSeparator = u'=';
constexpr char16_t kTerminator = u';';
constexpr char16_t kLineEnd[] = u"\r\n";
constexpr int kLineEndUnits = 2;
constexpr char16_t kStyleKey[] = u"style";
// "#" and eight hexadecimal digits.
constexpr int kStyleUnits = 9;
// Longer than any field keeps, so every value is cut by its field, not by the search.
constexpr int kValueScratchUnits = 1024;
constexpr int kStyleScratchUnits = 64;

// The "[公司]" and "[产品]" placeholders stay in the defaults as they are.
constexpr char16_t kDownloadHost[] = u"http://download.[\u516c\u53f8].example.com/";
constexpr char16_t kWebHost[] = u"http://www.[\u516c\u53f8].example.com/";
constexpr char16_t kProductPath[] = u"[\u4ea7\u54c1]";

void FormatStyle(uint32_t style, char16_t* out) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  out[0] = u'#';
  for (int i = 0; i < 8; ++i) out[1 + i] = kDigits[(style >> (28 - 4 * i)) & 0xF];
  out[kStyleUnits] = 0;
}

// A default URL: the host, then for a path the product's placeholder and the path.
void AssignUrl(FixedWString<512>& url, const char16_t* host, const char16_t* path) {
  url.Assign(host);
  if (path == nullptr) return;
  url.Append(kProductPath);
  url.Append(path);
}

int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads hexadecimal as the C library's wide conversion does: leading white space and a "0x"
// prefix are skipped, reading stops at the first other unit, and a value past 32 bits saturates.
uint32_t ParseHex(const char16_t* text) {
  while (*text == u' ' || (*text >= u'\t' && *text <= u'\r')) ++text;
  if (text[0] == u'0' && (text[1] == u'x' || text[1] == u'X') && HexDigitValue(text[2]) >= 0) {
    text += 2;
  }
  uint64_t value = 0;
  for (int digit; (digit = HexDigitValue(*text)) >= 0; ++text) {
    value = value * 16 + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
  }
  return static_cast<uint32_t>(value);
}

}  // namespace

// One configured field: how to read its text and how to replace it. The style has neither; it is
// written as a number.
struct CClientInfo::ConfigEntry {
  const char16_t* key;
  const char16_t* (*text)(const CClientInfo& info);
  void (*assign)(CClientInfo& info, const char16_t* value, int length);
};

namespace {

template <auto Field>
constexpr auto FieldText = [](const CClientInfo& info) { return (info.*Field).Units(); };

template <auto Field>
constexpr auto FieldAssign = [](CClientInfo& info, const char16_t* value, int length) {
  (info.*Field).Assign(value, length);
};

}  // namespace

const CClientInfo::ConfigEntry* CClientInfo::ConfigEntries() {
  static const ConfigEntry kEntries[] = {
      {u"app", FieldText<&CClientInfo::app_>, FieldAssign<&CClientInfo::app_>},
      {u"name", FieldText<&CClientInfo::name_>, FieldAssign<&CClientInfo::name_>},
      {u"company", FieldText<&CClientInfo::company_>, FieldAssign<&CClientInfo::company_>},
      {u"publisher", FieldText<&CClientInfo::publisher_>, FieldAssign<&CClientInfo::publisher_>},
      {u"version", FieldText<&CClientInfo::version_>, FieldAssign<&CClientInfo::version_>},
      {kStyleKey, nullptr, nullptr},
      {u"detect", FieldText<&CClientInfo::detect_>, FieldAssign<&CClientInfo::detect_>},
      {u"action", FieldText<&CClientInfo::action_>, FieldAssign<&CClientInfo::action_>},
      {u"homepage", FieldText<&CClientInfo::homepage_>, FieldAssign<&CClientInfo::homepage_>},
      {u"notify", FieldText<&CClientInfo::notify_>, FieldAssign<&CClientInfo::notify_>},
      {u"protocol", FieldText<&CClientInfo::protocol_>, FieldAssign<&CClientInfo::protocol_>},
      {u"source", FieldText<&CClientInfo::source_>, FieldAssign<&CClientInfo::source_>},
      {u"config", FieldText<&CClientInfo::config_>, FieldAssign<&CClientInfo::config_>},
      {u"source2", FieldText<&CClientInfo::source2_>, FieldAssign<&CClientInfo::source2_>},
      {u"config2", FieldText<&CClientInfo::config2_>, FieldAssign<&CClientInfo::config2_>},
      {u"language", FieldText<&CClientInfo::language_>, FieldAssign<&CClientInfo::language_>},
      {nullptr, nullptr, nullptr},
  };
  return kEntries;
}

CClientInfo::CClientInfo() {
  app_.Assign(u"test");
  name_.Assign(u"vu");
  company_.Assign(u"Quellin");
  publisher_.Assign(u"\u9752\u67a2\u7f51\u7edc");
  version_.Assign(u"1.0.0.0");
  clientFile_.Assign(u"client.exe");
  uninstallerFile_.Assign(u"unins000.exe");
  updaterFile_.Assign(u"update.exe");
  dataFolder_.Assign(u"storages");
  archiveFile_.Assign(u"app.zip");
  AssignUrl(config_, kDownloadHost, u"/update.xml");
  AssignUrl(source_, kDownloadHost, u"/app");
  AssignUrl(config2_, kDownloadHost, u"/update2.xml");
  AssignUrl(source2_, kDownloadHost, u"/app");
  AssignUrl(homepage_, kWebHost, nullptr);
  AssignUrl(protocol_, kWebHost, u"/protocol.html");
}

const char16_t* CClientInfo::ConfigKey(int index) {
  const ConfigEntry* entry = ConfigEntries();
  for (int i = 0; entry->key != nullptr; ++i, ++entry) {
    if (i == index) return entry->key;
  }
  return nullptr;
}

bool CClientInfo::ParseText(const char16_t* text) {
  if (text == nullptr) return false;
  for (const ConfigEntry* entry = ConfigEntries(); entry->key != nullptr; ++entry) {
    if (entry->assign == nullptr) {
      char16_t style[kStyleScratchUnits];
      int length = 0;
      FindKeyValue(style, kStyleScratchUnits, &length, text, entry->key, kSeparator, kTerminator);
      if (length > 1) style_ = ParseHex(style + 1);
      continue;
    }
    char16_t value[kValueScratchUnits];
    int length = 0;
    FindKeyValue(value, kValueScratchUnits, &length, text, entry->key, kSeparator, kTerminator);
    entry->assign(*this, value, length);
  }
  return true;
}

int CClientInfo::WriteText(char16_t* out, int capacity) {
  if (out == nullptr) return 0;
  char16_t style[kStyleUnits + 1];
  FormatStyle(style_, style);
  auto valueOf = [&](const ConfigEntry& entry) {
    return entry.text != nullptr ? entry.text(*this) : style;
  };

  int needed = 1;
  for (const ConfigEntry* entry = ConfigEntries(); entry->key != nullptr; ++entry) {
    needed += TextLength(entry->key) + TextLength(valueOf(*entry)) + 2 + kLineEndUnits;
  }
  if (capacity < needed) return 0;

  int written = 0;
  for (const ConfigEntry* entry = ConfigEntries(); entry->key != nullptr; ++entry) {
    written += PutKeyValue(out + written, capacity - written, entry->key, valueOf(*entry), -1,
                           kSeparator, kTerminator);
    for (int i = 0; i < kLineEndUnits; ++i) out[written++] = kLineEnd[i];
  }
  out[written++] = 0;
  return written;
}

int CClientInfo::SetDigest(const char16_t* digest) { return digest_.Assign(digest).Length(); }

const FixedWString<512>& CClientInfo::SetInstallFolder(const char16_t* folder) {
  return installFolder_.Assign(folder);
}

const FixedWString<512>& CClientInfo::SetMainFile(const char16_t* file) {
  return mainFile_.Assign(file);
}

bool CClientInfo::GetMainPath(char16_t* out) const {
  if (out == nullptr) return false;
  const char16_t* file = mainFile_.Empty() ? clientFile_.Units() : mainFile_.Units();
  int fileLength = TextLength(file);
  // A cut path names another file: refuse it rather than hand it to the shell.
  if (installFolder_.Length() + fileLength >= kPathUnits) {
    out[0] = 0;
    return false;
  }
  int at = 0;
  for (int i = 0; i < installFolder_.Length(); ++i) out[at++] = installFolder_.Units()[i];
  for (int i = 0; i < fileLength; ++i) out[at++] = file[i];
  out[at] = 0;
  return true;
}

bool HasPlainNames(const IClientInfo& product) {
  return IsPlainName(product.GetCompany().Units()) && IsPlainName(product.GetApp().Units());
}
