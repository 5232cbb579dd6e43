#pragma once
#include <cstdint>

#include "install/install_outcome.h"
#include "support/fixed_wstring.h"

class IUpdateInfo;
struct UpdateItem;

// Told of the install's progress: the total and done byte counts and the name of the item just
// begun, or null for a count update.
using InstallProgress = void (*)(uint32_t total, uint32_t done, const char16_t* name,
                                 void* context);

// The download-mode engine: follows an update list, putting each listed file into the install
// folder (downloaded unless already there with the listed size and digest) and deleting what
// the list marks for deletion. The operations keep this order.
class IInstall {
 public:
  virtual ~IInstall() = default;
  virtual void SetCallback(InstallProgress callback, void* context) = 0;
  virtual InstallProgress GetCallback() const = 0;
  virtual void* GetContext() const = 0;
  virtual const char16_t* GetListText() const = 0;
  // The MD5 of the last update list followed, 32 upper-case digits.
  virtual const char16_t* GetListDigest() const = 0;
  // Downloads the update list at url and follows it. True when the list arrived and was
  // followed to its end (entries may still have failed; see the outcome).
  virtual bool InstallFromUrl(const char16_t* folder, const char16_t* url) = 0;
  virtual bool InstallFromData(const char16_t* folder, const uint8_t* bytes, uint32_t count) = 0;
  virtual bool InstallList(const char16_t* folder, const IUpdateInfo* list) = 0;
  virtual bool InstallEntry(const char16_t* folder, const UpdateItem* entry) = 0;
};

class CInstall : public IInstall {
 public:
  void SetCallback(InstallProgress callback, void* context) override {
    callback_ = callback;
    context_ = context;
  }
  InstallProgress GetCallback() const override { return callback_; }
  void* GetContext() const override { return context_; }
  const char16_t* GetListText() const override { return listText_.Units(); }
  const char16_t* GetListDigest() const override { return listDigest_; }
  bool InstallFromUrl(const char16_t* folder, const char16_t* url) override;
  bool InstallFromData(const char16_t* folder, const uint8_t* bytes, uint32_t count) override;
  bool InstallList(const char16_t* folder, const IUpdateInfo* list) override;
  bool InstallEntry(const char16_t* folder, const UpdateItem* entry) override;

  // The version the last list followed names (empty when it names none).
  const char16_t* GetListVersion() const { return listVersion_.Units(); }
  // The entries of the last list that could not be put in place.
  const InstallOutcome& Outcome() const { return outcome_; }
  // How many files the last list made the engine download.
  int Downloads() const { return downloads_; }

 private:
  void Report(const char16_t* name);
  static void OnReceived(int32_t expected, uint32_t received, void* self);

  uint32_t total_ = 0;
  uint32_t done_ = 0;
  char16_t listDigest_[33] = {};
  FixedWString<128> listVersion_;
  FixedWString<256> listText_;
  InstallProgress callback_ = nullptr;
  void* context_ = nullptr;
  InstallOutcome outcome_;
  int downloads_ = 0;
};
