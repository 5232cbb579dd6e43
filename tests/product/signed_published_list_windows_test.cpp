// The real installer and updater built with the vendor's key, over lists on the tests' HTTP
// server: only a list the key signed, byte for byte, is followed, and an updater refuses a signed
// list older than what is installed.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "records/current_language.h"
#include "product/product_keys.h"
#include "records/update_info.h"
#include "support/crypto/md5.h"
#include "support/crypto/sha256.h"
#include "support/crypto/signing.h"
#include "support/text/utf8.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/test_http_server.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

std::string Ascii(const std::u16string& text) { return Utf16ToUtf8(text.c_str()); }

// The regular files below folder, none when it is missing.
int FilesBelow(const fs::path& folder) {
  std::error_code error;
  int files = 0;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file()) ++files;
  }
  return files;
}

class SignedPublishedList : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    if (HasFatalFailure()) return;
    for (const char* name : {"vendor", "stranger"}) {
      const std::u16string stem = Utf8ToUtf16(name);
      ASSERT_EQ(RunSetupkitCaptured({u"keygen", keys_.File(stem + u".key"),
                                     keys_.File(stem + u".pub")})
                    .status,
                0);
    }
  }

  std::u16string Key(const char16_t* name) const { return keys_.File(name); }

  // The detached signature of bytes by the secret key in keyFile.
  std::string Sign(const std::string& bytes, const char16_t* keyFile) const {
    const std::string secret = ReadBytes(fs::path(Key(keyFile)));
    std::string signature(kSignatureBytes, '\0');
    EXPECT_TRUE(SignDetached(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                             reinterpret_cast<const uint8_t*>(secret.data()), secret.size(),
                             reinterpret_cast<uint8_t*>(&signature[0])));
    return signature;
  }

  // A product whose "source" and "config" lead to served (a fresh place on the server), and
  // "config2" to served2 when given.
  std::unique_ptr<ShippedProduct> Product(const std::string& served,
                                          const std::string& served2 = "") {
    std::string config = "source=" + Ascii(Url("/file/" + served)) + ";\nconfig=" +
                         Ascii(Url("/file/" + served + "update.xml")) + ";\n";
    if (!served2.empty()) {
      config += "config2=" + Ascii(Url("/file/" + served2 + "update.xml")) + ";\n";
    }
    auto product = std::make_unique<ShippedProduct>(config);
    // The server keeps names as they are; this client's are ASCII.
    product->RemoveClientFile("\xE8\xB5\x84\xE6\xBA\x90/\xE5\x9B\xBE.txt");
    return product;
  }

  // Puts the client's files on the server under served, and returns their update list, as
  // setupkit list makes it, of version.
  std::string ListOf(const ShippedProduct& product, const std::string& served,
                     const char16_t* version) {
    for (const auto& [name, bytes] : product.ClientFiles()) {
      EXPECT_TRUE(Keep(served + name, bytes)) << name;
    }
    const std::u16string listFile = product.Temp().File(u"listed.xml");
    ToolRun list = RunSetupkitCaptured({u"list", product.ClientFolder().u16string(),
                                        Url("/file/" + served), listFile, u"--version", version});
    EXPECT_EQ(list.status, 0) << list.err;
    return ReadBytes(fs::path(listFile));
  }

  // Publishes list at served, with signature beside it unless it is empty.
  void Publish(const std::string& served, const std::string& list, const std::string& signature) {
    EXPECT_TRUE(Keep(served + "update.xml", list));
    if (!signature.empty()) EXPECT_TRUE(Keep(served + "update.xml.sig", signature));
  }

  std::u16string Recorded(const ShippedProduct& product, const char16_t* name) const {
    char16_t value[64] = {};
    return ReadProductValue(u"ProgramsTestCompany", product.Record().GetApp().Units(), name,
                            value, 64)
               ? value
               : u"<missing>";
  }

  TempFolder keys_;
};

// The list with its client.exe item leading to other bytes, served at served + "other.exe", with
// those bytes' size, MD5 and SHA-256: every digest the installer checks matches the file it
// fetches. Only the signature, which covers the list's bytes, tells.
std::string SwapClientFile(const std::string& list, const std::u16string& otherUrl,
                           const std::string& other) {
  CUpdateInfo parsed;
  EXPECT_TRUE(parsed.ParseBytes(reinterpret_cast<const uint8_t*>(list.data()),
                                static_cast<uint32_t>(list.size())));
  CUpdateInfo swapped;
  swapped.SetVersion(parsed.GetVersion());
  for (int i = 0; i < parsed.Count(); ++i) {
    auto item = std::make_unique<UpdateItem>(*parsed.Get(i));
    if (item->file == u"client.exe") {
      item->url = otherUrl;
      item->size = static_cast<int32_t>(other.size());
      EXPECT_TRUE(Md5HexOfMemory(item->md5, other.data(), static_cast<uint32_t>(other.size())));
      EXPECT_TRUE(Sha256HexOfMemory(item->sha256, other.data(), other.size()));
    }
    swapped.AddItem(std::move(item));
  }
  std::vector<uint8_t> stored(swapped.SaveBufferSize());
  const uint32_t size =
      swapped.Serialize(stored.data(), static_cast<uint32_t>(stored.size()), false);
  EXPECT_GT(size, 0u);
  return std::string(stored.begin(), stored.begin() + size);
}

// A download-mode installer built with the vendor's key installs only from a list the key signed
// exactly; anything else installs, writes and registers nothing and ends as an install that could
// not start. A refused "config" list sends it to "config2", checked the same way.
TEST_F(SignedPublishedList, ADownloadInstallFollowsOnlyTheListItsKeySigned) {
  const std::string other = "other bytes, listed with their own digests";
  struct Case {
    const char* name;
    // The list and signature served at "config" (and "config2" when twoLists), from the list
    // setupkit made and the place it is served.
    std::function<void(const std::string& list, const std::string& served)> publish;
    bool twoLists;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"a signed list",
       [&](const std::string& list, const std::string& served) {
         Publish(served, list, Sign(list, u"vendor.key"));
       },
       false, 0},
      {"a list changed by one byte",
       [&](const std::string& list, const std::string& served) {
         std::string changed = list;
         changed[changed.size() / 2] ^= 0x01;
         Publish(served, changed, Sign(list, u"vendor.key"));
       },
       false, 1},
      {"a signature of another key",
       [&](const std::string& list, const std::string& served) {
         Publish(served, list, Sign(list, u"stranger.key"));
       },
       false, 1},
      {"no signature",
       [&](const std::string& list, const std::string& served) { Publish(served, list, ""); },
       false, 1},
      {"items swapped for other files with matching MD5 and SHA-256",
       [&](const std::string& list, const std::string& served) {
         EXPECT_TRUE(Keep(served + "other.exe", other));
         Publish(served, SwapClientFile(list, Url("/file/" + served + "other.exe"), other),
                 Sign(list, u"vendor.key"));
       },
       false, 1},
      {"config refused, config2 signed",
       [&](const std::string& list, const std::string& served) {
         Publish(served, list, Sign(list, u"stranger.key"));
         Publish(served + "second/", list, Sign(list, u"vendor.key"));
       },
       true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string served = Ascii(UniqueName(u"signed")) + "/";
    std::unique_ptr<ShippedProduct> product =
        Product(served, c.twoLists ? served + "second/" : "");
    ToolRun build = product->Build({u"--download", u"--sign-key", Key(u"vendor.key")});
    ASSERT_EQ(build.status, 0) << build.err;
    c.publish(ListOf(*product, served, u"1.0.0.0"), served);

    EXPECT_EQ(product->Install(), c.exitCode);
    if (c.exitCode == 0) {
      for (const auto& [name, bytes] : product->ClientFiles()) {
        EXPECT_EQ(ReadBytes(product->Folder() / fs::u8path(name)), bytes) << name;
      }
      continue;
    }
    EXPECT_EQ(FilesBelow(product->Folder()), 0);
    EXPECT_EQ(Recorded(*product, u"md5"), u"<missing>");
    EXPECT_EQ(Served(served + "other.exe"), 0);
    for (const auto& item : product->ClientFiles()) {
      EXPECT_EQ(Served(served + item.first), 0) << item.first;
    }
  }
}

// The real updater built with the vendor's key, over the real registry: it follows a newer signed
// list, and refuses an unsigned one, and a signed one older than the installed version (an old
// list served again), changing nothing, saying why and ending with 1.
TEST_F(SignedPublishedList, TheUpdaterRefusesAnUnsignedOrOlderList) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  const std::string served = Ascii(UniqueName(u"updates")) + "/";
  std::unique_ptr<ShippedProduct> product = Product(served);
  ToolRun build = product->Build({u"--sign-key", Key(u"vendor.key")});
  ASSERT_EQ(build.status, 0) << build.err;
  ASSERT_EQ(product->Install(), 0u);
  ASSERT_EQ(Recorded(*product, u"version"), u"1.0.0.0");
  struct Case {
    const char* name;
    const char16_t* version;
    bool signedList;
    DWORD exitCode;
    TextKey told;  // the last message
  };
  const Case cases[] = {
      {"unsigned", u"1.1.0.0", false, 1, TextKey::kUpdateListNotTrusted},
      {"older", u"0.9.0.0", true, 1, TextKey::kOlderUpdateList},
      {"newer", u"1.1.0.0", true, 0, TextKey::kUpdated},
  };
  const std::u16string name = product->Record().GetName().Units();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    product->WriteClientFile("readme.txt", "read me, version " + Ascii(c.version));
    const std::u16string before = Recorded(*product, u"md5");
    const std::string list = ListOf(*product, served, c.version);
    Publish(served, list, c.signedList ? Sign(list, u"vendor.key") : std::string());

    ProgramRun run = RunAnswering((product->Folder() / "update.exe").u16string(), L"", {IDYES},
                                  120000);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, c.exitCode);
    ASSERT_FALSE(run.questions.empty());
    EXPECT_EQ(run.questions.back().text,
              Text(c.told, {{u"name", name}, {u"list_version", c.version}, {u"installed", u"1.0.0.0"}}))
        << Ascii(run.questions.back().text);
    if (c.exitCode != 0) {
      EXPECT_EQ(Recorded(*product, u"md5"), before);
      EXPECT_EQ(ReadBytes(product->Folder() / "readme.txt"), "read me");
    }
  }
  EXPECT_EQ(Recorded(*product, u"version"), u"1.1.0.0");
  EXPECT_EQ(ReadBytes(product->Folder() / "readme.txt"), "read me, version 1.1.0.0");
}

}  // namespace
