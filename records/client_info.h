#pragma once

#include <cstdint>

#include "records/record_storage.h"
#include "support/core/fixed_wstring.h"

// Buffers that receive a path hold this many units, terminator included.
constexpr int kPathUnits = 260;
// Buffers that receive a list digest: 32 hexadecimal digits and the terminator.
constexpr int kDigestUnits = 33;

// The product's identity and configuration. The order of the operations is fixed: the record
// storage operations come first, then the ones below, in this order. What acts on the installed
// product as a whole (registration, start with Windows, the update check, the programs' launch)
// takes a record and lives in product/.
class IClientInfo : public CRecordStorage {
 public:
  // The setters copy with the fields' cutting rules; the 32-unit digest returns its new length,
  // the others the field itself.
  virtual int SetDigest(const char16_t* digest) = 0;
  virtual const FixedWString<32>& GetDigest() const = 0;
  virtual const FixedWString<512>& SetInstallFolder(const char16_t* folder) = 0;
  virtual const FixedWString<512>& GetInstallFolder() const = 0;
  virtual const FixedWString<512>& SetMainFile(const char16_t* file) = 0;
  virtual const FixedWString<512>& GetMainFile() const = 0;
  // The install folder followed by the main file, or by the client file when no main file is
  // set, into out (kPathUnits units).
  virtual bool GetMainPath(char16_t* out) const = 0;

  virtual uint32_t GetStyle() const = 0;
  virtual void SetStyle(uint32_t style) = 0;
  // True when every one of bits is set.
  virtual bool HasStyle(uint32_t bits) const = 0;
  virtual void AddStyle(uint32_t bits) = 0;
  virtual void RemoveStyle(uint32_t bits) = 0;

  virtual const FixedWString<128>& GetApp() const = 0;
  virtual const FixedWString<128>& SetApp(const char16_t* app) = 0;
  virtual const FixedWString<128>& GetName() const = 0;
  virtual const FixedWString<128>& SetName(const char16_t* name) = 0;
  virtual const FixedWString<128>& GetCompany() const = 0;
  virtual const FixedWString<128>& SetCompany(const char16_t* company) = 0;
  virtual const FixedWString<128>& GetPublisher() const = 0;
  virtual const FixedWString<128>& SetPublisher(const char16_t* publisher) = 0;
  virtual const FixedWString<128>& GetVersion() const = 0;
  virtual const FixedWString<128>& SetVersion(const char16_t* version) = 0;
  virtual const FixedWString<512>& GetHomepage() const = 0;
  virtual const FixedWString<512>& SetHomepage(const char16_t* homepage) = 0;
  virtual const FixedWString<512>& GetProtocol() const = 0;
  virtual const FixedWString<512>& SetProtocol(const char16_t* protocol) = 0;
  virtual const FixedWString<128>& GetClientFile() const = 0;
  virtual const FixedWString<128>& SetClientFile(const char16_t* file) = 0;
  virtual const FixedWString<128>& GetUninstallerFile() const = 0;
  virtual const FixedWString<128>& SetUninstallerFile(const char16_t* file) = 0;
  virtual const FixedWString<128>& GetUpdaterFile() const = 0;
  virtual const FixedWString<128>& SetUpdaterFile(const char16_t* file) = 0;
  virtual const FixedWString<128>& GetDataFolder() const = 0;
  virtual const FixedWString<128>& SetDataFolder(const char16_t* folder) = 0;
  virtual const FixedWString<128>& GetArchiveFile() const = 0;
  virtual const FixedWString<128>& SetArchiveFile(const char16_t* file) = 0;
  virtual const FixedWString<512>& GetSource() const = 0;
  virtual const FixedWString<512>& SetSource(const char16_t* url) = 0;
  virtual const FixedWString<512>& GetConfig() const = 0;
  virtual const FixedWString<512>& SetConfig(const char16_t* url) = 0;
  virtual const FixedWString<512>& GetSource2() const = 0;
  virtual const FixedWString<512>& SetSource2(const char16_t* url) = 0;
  virtual const FixedWString<512>& GetConfig2() const = 0;
  virtual const FixedWString<512>& SetConfig2(const char16_t* url) = 0;
  virtual const FixedWString<512>& GetNotify() const = 0;
  virtual const FixedWString<512>& SetNotify(const char16_t* url) = 0;
  virtual const FixedWString<256>& GetAction() const = 0;
  virtual const FixedWString<256>& SetAction(const char16_t* actions) = 0;
  virtual const FixedWString<256>& GetDetect() const = 0;
  virtual const FixedWString<256>& SetDetect(const char16_t* products) = 0;
  // The language a run speaks when neither /LANG= nor the user's UI language names one it has
  // ("de-AT"); empty: Chinese.
  virtual const FixedWString<32>& GetLanguage() const = 0;
  virtual const FixedWString<32>& SetLanguage(const char16_t* code) = 0;
};

// Style bits of the product configuration.
constexpr uint32_t kStyleSendReport = 0x4;
constexpr uint32_t kStyleDetectSecuritySoftware = 0x8;
constexpr uint32_t kStyleAutoStart = 0x20;

// The client record. Its text is one "key=value;" entry per line (CR LF), sixteen keys in a
// fixed order, the style as "#%08X"; the last, "language", came after the others, and earlier
// programs, which find each key by its name, pass over it. Values are kept as written, without
// quoting, so a value holding ";" cannot be read back whole. Parsing replaces every configured
// field: a key absent from the text leaves its field empty, except the style, which keeps its
// value.
class CClientInfo : public IClientInfo {
 public:
  CClientInfo();

  // The configuration keys in the writer's order; null past the last.
  static const char16_t* ConfigKey(int index);

  bool ParseText(const char16_t* text) override;
  int WriteText(char16_t* out, int capacity) override;

  int SetDigest(const char16_t* digest) override;
  const FixedWString<32>& GetDigest() const override { return digest_; }
  const FixedWString<512>& SetInstallFolder(const char16_t* folder) override;
  const FixedWString<512>& GetInstallFolder() const override { return installFolder_; }
  const FixedWString<512>& SetMainFile(const char16_t* file) override;
  const FixedWString<512>& GetMainFile() const override { return mainFile_; }
  bool GetMainPath(char16_t* out) const override;

  uint32_t GetStyle() const override { return style_; }
  void SetStyle(uint32_t style) override { style_ = style; }
  bool HasStyle(uint32_t bits) const override { return (style_ & bits) == bits; }
  void AddStyle(uint32_t bits) override { style_ |= bits; }
  void RemoveStyle(uint32_t bits) override { style_ &= ~bits; }

  const FixedWString<128>& GetApp() const override { return app_; }
  const FixedWString<128>& SetApp(const char16_t* app) override { return app_.Assign(app); }
  const FixedWString<128>& GetName() const override { return name_; }
  const FixedWString<128>& SetName(const char16_t* name) override { return name_.Assign(name); }
  const FixedWString<128>& GetCompany() const override { return company_; }
  const FixedWString<128>& SetCompany(const char16_t* company) override {
    return company_.Assign(company);
  }
  const FixedWString<128>& GetPublisher() const override { return publisher_; }
  const FixedWString<128>& SetPublisher(const char16_t* publisher) override {
    return publisher_.Assign(publisher);
  }
  const FixedWString<128>& GetVersion() const override { return version_; }
  const FixedWString<128>& SetVersion(const char16_t* version) override {
    return version_.Assign(version);
  }
  const FixedWString<512>& GetHomepage() const override { return homepage_; }
  const FixedWString<512>& SetHomepage(const char16_t* homepage) override {
    return homepage_.Assign(homepage);
  }
  const FixedWString<512>& GetProtocol() const override { return protocol_; }
  const FixedWString<512>& SetProtocol(const char16_t* protocol) override {
    return protocol_.Assign(protocol);
  }
  const FixedWString<128>& GetClientFile() const override { return clientFile_; }
  const FixedWString<128>& SetClientFile(const char16_t* file) override {
    return clientFile_.Assign(file);
  }
  const FixedWString<128>& GetUninstallerFile() const override { return uninstallerFile_; }
  const FixedWString<128>& SetUninstallerFile(const char16_t* file) override {
    return uninstallerFile_.Assign(file);
  }
  const FixedWString<128>& GetUpdaterFile() const override { return updaterFile_; }
  const FixedWString<128>& SetUpdaterFile(const char16_t* file) override {
    return updaterFile_.Assign(file);
  }
  const FixedWString<128>& GetDataFolder() const override { return dataFolder_; }
  const FixedWString<128>& SetDataFolder(const char16_t* folder) override {
    return dataFolder_.Assign(folder);
  }
  const FixedWString<128>& GetArchiveFile() const override { return archiveFile_; }
  const FixedWString<128>& SetArchiveFile(const char16_t* file) override {
    return archiveFile_.Assign(file);
  }
  const FixedWString<512>& GetSource() const override { return source_; }
  const FixedWString<512>& SetSource(const char16_t* url) override { return source_.Assign(url); }
  const FixedWString<512>& GetConfig() const override { return config_; }
  const FixedWString<512>& SetConfig(const char16_t* url) override { return config_.Assign(url); }
  const FixedWString<512>& GetSource2() const override { return source2_; }
  const FixedWString<512>& SetSource2(const char16_t* url) override {
    return source2_.Assign(url);
  }
  const FixedWString<512>& GetConfig2() const override { return config2_; }
  const FixedWString<512>& SetConfig2(const char16_t* url) override {
    return config2_.Assign(url);
  }
  const FixedWString<512>& GetNotify() const override { return notify_; }
  const FixedWString<512>& SetNotify(const char16_t* url) override { return notify_.Assign(url); }
  const FixedWString<256>& GetAction() const override { return action_; }
  const FixedWString<256>& SetAction(const char16_t* actions) override {
    return action_.Assign(actions);
  }
  const FixedWString<256>& GetDetect() const override { return detect_; }
  const FixedWString<256>& SetDetect(const char16_t* products) override {
    return detect_.Assign(products);
  }
  const FixedWString<32>& GetLanguage() const override { return language_; }
  const FixedWString<32>& SetLanguage(const char16_t* code) override {
    return language_.Assign(code);
  }

 private:
  struct ConfigEntry;
  static const ConfigEntry* ConfigEntries();

  uint32_t style_ = 0;
  FixedWString<32> digest_;
  FixedWString<128> app_;
  FixedWString<128> name_;
  FixedWString<128> company_;
  FixedWString<128> publisher_;
  FixedWString<128> version_;
  FixedWString<128> clientFile_;
  FixedWString<128> uninstallerFile_;
  FixedWString<128> updaterFile_;
  FixedWString<128> dataFolder_;
  FixedWString<128> archiveFile_;
  FixedWString<256> detect_;
  FixedWString<512> config_;
  FixedWString<512> source_;
  FixedWString<512> config2_;
  FixedWString<512> source2_;
  FixedWString<512> homepage_;
  FixedWString<512> protocol_;
  FixedWString<512> notify_;
  FixedWString<256> action_;
  FixedWString<32> language_;
  FixedWString<512> installFolder_;
  FixedWString<512> mainFile_;
};

// Whether the record's company and app can be what the install makes of them: folders of the
// install folder's path and keys of the registry. Each must be one plain name (IsPlainName): a
// record whose app is "..\..\evil", "CON" or "a/b:c" is a damaged package, never installed.
bool HasPlainNames(const IClientInfo& product);
