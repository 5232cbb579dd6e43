#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "records/update_info.h"
#include "support/crypto/sha256.h"
#include "support/crypto/signing.h"
#include "support/text/utf8.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

int Lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class SetupkitSigning : public testing::Test {
 protected:
  SetupkitSigning() {
    fs::create_directories(client_ / "bin");
    WriteBytes(client_ / "client.exe", std::string(5000, 'C'));
    WriteBytes(client_ / "bin" / "helper.dll", "helper");
  }

  // A key pair made by the tool itself.
  void MakeKeys(const std::u16string& secret, const std::u16string& pub) {
    ToolRun run = RunSetupkitCaptured({u"keygen", secret, pub});
    ASSERT_EQ(run.status, 0) << run.err;
  }

  ToolRun List(const std::u16string& out, std::vector<std::u16string> options) {
    std::vector<std::u16string> args = {u"list", client_.u16string(), u"http://127.0.0.1/app", out};
    args.insert(args.end(), options.begin(), options.end());
    return RunSetupkitCaptured(args);
  }

  TempFolder folder_;
  fs::path client_ = folder_.Path() / "client";
};

TEST_F(SetupkitSigning, KeygenWritesANewPairAndNeverReplacesAKey) {
  const std::u16string secret = folder_.File(u"vendor.key"), pub = folder_.File(u"vendor.pub");
  ToolRun run = RunSetupkitCaptured({u"keygen", secret, pub});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out), 1);
  const std::string secretBytes = ReadBytes(fs::path(secret));
  const std::string publicBytes = ReadBytes(fs::path(pub));
  ASSERT_EQ(secretBytes.size(), kSecretKeyBytes);
  ASSERT_EQ(publicBytes.size(), kPublicKeyBytes);
  EXPECT_TRUE(IsSecretKey(reinterpret_cast<const uint8_t*>(secretBytes.data()), kSecretKeyBytes));
  EXPECT_EQ(secretBytes.substr(32), publicBytes);
#ifndef _WIN32
  struct stat status = {};
  ASSERT_EQ(stat(fs::path(secret).c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
#endif

  // Either name taken: nothing is written, and nothing is left of the other.
  struct Case {
    const char* name;
    std::u16string secret;
    std::u16string pub;
    std::u16string absent;  // a name that must not appear
  };
  const Case cases[] = {
      {"both taken", secret, pub, u""},
      {"secret taken", secret, folder_.File(u"new.pub"), folder_.File(u"new.pub")},
      {"public taken", folder_.File(u"new.key"), pub, folder_.File(u"new.key")},
      {"public in a missing folder", folder_.File(u"new.key"), folder_.File(u"missing/new.pub"),
       folder_.File(u"new.key")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun again = RunSetupkitCaptured({u"keygen", c.secret, c.pub});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(Lines(again.err), 1) << again.err;
    EXPECT_EQ(ReadBytes(fs::path(secret)), secretBytes);
    EXPECT_EQ(ReadBytes(fs::path(pub)), publicBytes);
    if (!c.absent.empty()) {
      EXPECT_FALSE(fs::exists(fs::path(c.absent)));
    }
  }

  // Another run makes another pair.
  MakeKeys(folder_.File(u"second.key"), folder_.File(u"second.pub"));
  EXPECT_NE(ReadBytes(folder_.Path() / "second.pub"), publicBytes);
}

// The list signed with the secret key verifies with the public key, in both stored forms, and
// carries the SHA-256 of every file.
TEST_F(SetupkitSigning, ASignedListVerifiesWithItsPublicKey) {
  MakeKeys(folder_.File(u"vendor.key"), folder_.File(u"vendor.pub"));
  for (const char16_t* form : {u"plain", u"packed"}) {
    SCOPED_TRACE(std::u16string(form) == u"packed" ? "packed" : "plain");
    const std::u16string out = folder_.File(std::u16string(form) + u".xml");
    std::vector<std::u16string> options = {u"--sign-key", folder_.File(u"vendor.key"), u"--version",
                                           u"1.2.0.0"};
    if (std::u16string(form) == u"packed") options.push_back(u"--packed");
    ToolRun run = List(out, options);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string list = ReadBytes(fs::path(out));
    const std::string signature = ReadBytes(fs::path(out + u".sig"));
    const std::string pub = ReadBytes(folder_.Path() / "vendor.pub");
    ASSERT_EQ(signature.size(), kSignatureBytes);
    EXPECT_TRUE(VerifyDetached(reinterpret_cast<const uint8_t*>(list.data()), list.size(),
                               reinterpret_cast<const uint8_t*>(signature.data()), signature.size(),
                               reinterpret_cast<const uint8_t*>(pub.data()), pub.size()));

    ToolRun verify =
        RunSetupkitCaptured({u"verify", out, out + u".sig", folder_.File(u"vendor.pub")});
    EXPECT_EQ(verify.status, 0) << verify.err;
    EXPECT_NE(verify.out.find("the signature verifies"), std::string::npos) << verify.out;
    EXPECT_EQ(Lines(verify.out), 1);

    CUpdateInfo read;
    ASSERT_TRUE(read.LoadFromFile(out.c_str()));
    ASSERT_EQ(read.Count(), 2);
    for (int i = 0; i < read.Count(); ++i) {
      char16_t digest[kSha256HexDigits + 1] = {};
      std::u16string file = (client_ / fs::path(std::u16string(read.Get(i)->file))).u16string();
      for (char16_t& unit : file) {
        if (unit == u'\\') unit = u'/';
      }
      ASSERT_TRUE(Sha256HexOfFile(digest, file.c_str()));
      EXPECT_EQ(std::u16string(read.Get(i)->sha256), digest);
    }
  }
}

TEST_F(SetupkitSigning, VerifySaysWhyAListDoesNotVerify) {
  MakeKeys(folder_.File(u"vendor.key"), folder_.File(u"vendor.pub"));
  MakeKeys(folder_.File(u"other.key"), folder_.File(u"other.pub"));
  const std::u16string out = folder_.File(u"update.xml");
  ASSERT_EQ(List(out, {u"--sign-key", folder_.File(u"vendor.key"), u"--version", u"1"}).status, 0);
  const std::string list = ReadBytes(fs::path(out));
  const std::string signature = ReadBytes(fs::path(out + u".sig"));
  std::string altered = list;
  altered[altered.size() / 2] ^= 0x01;
  WriteBytes(folder_.Path() / "altered.xml", altered);
  WriteBytes(folder_.Path() / "short.sig", signature.substr(0, 63));
  WriteBytes(folder_.Path() / "long.sig", signature + "x");
  WriteBytes(folder_.Path() / "short.pub", ReadBytes(folder_.Path() / "vendor.pub").substr(1));
  fs::create_directories(folder_.Path() / "folder.sig");
#ifdef _WIN32
  const char16_t kDevice[] = u"NUL";
#else
  const char16_t kDevice[] = u"/dev/null";
#endif
  ASSERT_EQ(List(folder_.File(u"other.xml"),
                 {u"--sign-key", folder_.File(u"other.key"), u"--version", u"1"})
                .status,
            0);
  struct Case {
    const char* name;
    std::u16string list;
    std::u16string signature;
    std::u16string pub;
    std::string message;
  };
  const Case cases[] = {
      {"an altered list", folder_.File(u"altered.xml"), out + u".sig", folder_.File(u"vendor.pub"),
       "the signature does not verify"},
      {"another key's list", out, folder_.File(u"other.xml.sig"), folder_.File(u"vendor.pub"),
       "the signature does not verify"},
      {"checked with another key", out, out + u".sig", folder_.File(u"other.pub"),
       "the signature does not verify"},
      {"a signature cut short", out, folder_.File(u"short.sig"), folder_.File(u"vendor.pub"),
       "the signature is damaged"},
      {"a signature too long", out, folder_.File(u"long.sig"), folder_.File(u"vendor.pub"),
       "the signature is damaged"},
      {"no signature file", out, folder_.File(u"missing.sig"), folder_.File(u"vendor.pub"),
       "no signature came with the list"},
      {"a folder for the signature", out, folder_.File(u"folder.sig"), folder_.File(u"vendor.pub"),
       Utf16ToUtf8(folder_.File(u"folder.sig").c_str()) + " is a folder, not a signature"},
      {"a device for the signature", out, kDevice, folder_.File(u"vendor.pub"),
       Utf16ToUtf8(kDevice) + " is a device, not a signature"},
      {"a public key cut short", out, out + u".sig", folder_.File(u"short.pub"),
       "is not a public key"},
      {"the secret key for the public", out, out + u".sig", folder_.File(u"vendor.key"),
       "is not a public key"},
      {"no list", folder_.File(u"missing.xml"), out + u".sig", folder_.File(u"vendor.pub"),
       "cannot read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun run = RunSetupkitCaptured({u"verify", c.list, c.signature, c.pub});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
  }
}

TEST_F(SetupkitSigning, ListRefusesAKeyThatIsNotASecretKeyWithoutWritingAnything) {
  MakeKeys(folder_.File(u"vendor.key"), folder_.File(u"vendor.pub"));
  std::string secret = ReadBytes(folder_.Path() / "vendor.key");
  std::string damaged = secret;
  damaged[5] ^= 0x01;
  WriteBytes(folder_.Path() / "damaged.key", damaged);
  WriteBytes(folder_.Path() / "short.key", secret.substr(0, 63));
  struct Case {
    const char* name;
    std::u16string key;
    std::string message;
  };
  const Case cases[] = {
      {"missing", folder_.File(u"missing.key"), "cannot read the secret key"},
      {"damaged", folder_.File(u"damaged.key"), "is not a secret key"},
      {"cut short", folder_.File(u"short.key"), "is not a secret key"},
      {"the public key", folder_.File(u"vendor.pub"), "is not a secret key"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string out = folder_.File(u"update.xml");
    ToolRun run = List(out, {u"--sign-key", c.key});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_FALSE(fs::exists(fs::path(out)));
    EXPECT_FALSE(fs::exists(fs::path(out + u".sig")));
  }
  // Neither the list nor its signature may land on the key that signs them.
  WriteBytes(folder_.Path() / "list.xml.sig", secret);
  const std::pair<const char16_t*, const char16_t*> onTheKey[] = {{u"vendor.key", u"vendor.key"},
                                                                  {u"list.xml", u"list.xml.sig"}};
  for (const auto& [out, key] : onTheKey) {
    ToolRun run = List(folder_.File(out), {u"--sign-key", folder_.File(key)});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("would replace the secret key"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(folder_.Path() / fs::path(key)), secret);
  }
  EXPECT_FALSE(fs::exists(folder_.Path() / "list.xml"));

  // A signature that cannot be written leaves no list either.
  fs::create_directories(folder_.Path() / "blocked.xml.sig");
  ToolRun blocked =
      List(folder_.File(u"blocked.xml"), {u"--sign-key", folder_.File(u"vendor.key")});
  EXPECT_EQ(blocked.status, 1);
  EXPECT_FALSE(fs::exists(folder_.Path() / "blocked.xml"));

  const std::vector<std::u16string> wrong[] = {
      {u"list", client_.u16string(), u"http://h/", folder_.File(u"update.xml"), u"--sign-key"},
      {u"list", client_.u16string(), u"http://h/", folder_.File(u"update.xml"), u"--sign-key",
       folder_.File(u"vendor.key"), u"--sign-key", folder_.File(u"vendor.key")},
  };
  for (const auto& args : wrong) EXPECT_EQ(RunSetupkitCaptured(args).status, 2);
}

// Unsigned lists still work as before, with a warning; a signed one without a version is
// written, with a warning that updaters refuse it.
TEST_F(SetupkitSigning, ListWarnsAboutWhatUpdatersCannotTrust) {
  MakeKeys(folder_.File(u"vendor.key"), folder_.File(u"vendor.pub"));
  struct Case {
    const char* name;
    std::vector<std::u16string> options;
    std::string warning;  // empty: none
    bool signedList;
  };
  const Case cases[] = {
      {"unsigned", {u"--version", u"1.0"}, "is not signed (no --sign-key)", false},
      {"signed without a version",
       {u"--sign-key", folder_.File(u"vendor.key")},
       "names no version",
       true},
      {"signed with a version",
       {u"--sign-key", folder_.File(u"vendor.key"), u"--version", u"2"},
       "",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string out = folder_.File(u"update.xml");
    fs::remove(fs::path(out + u".sig"));
    ToolRun run = List(out, c.options);
    ASSERT_EQ(run.status, 0) << run.err;
    if (c.warning.empty()) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_NE(run.err.find("setupkit: warning: "), std::string::npos) << run.err;
      EXPECT_NE(run.err.find(c.warning), std::string::npos) << run.err;
      EXPECT_EQ(Lines(run.err), 1) << run.err;
    }
    EXPECT_EQ(fs::exists(fs::path(out + u".sig")), c.signedList);
  }
}

TEST_F(SetupkitSigning, ShowSaysWhetherTheListBesideItsSignatureVerifies) {
  MakeKeys(folder_.File(u"vendor.key"), folder_.File(u"vendor.pub"));
  MakeKeys(folder_.File(u"other.key"), folder_.File(u"other.pub"));
  const std::u16string out = folder_.File(u"update.xml");
  ASSERT_EQ(List(out, {u"--sign-key", folder_.File(u"vendor.key"), u"--version", u"1"}).status, 0);
  const std::string shownPlain = RunSetupkitCaptured({u"show", out}).out;
  ASSERT_NE(shownPlain.find("sha256=\""), std::string::npos) << shownPlain;

  ToolRun verified =
      RunSetupkitCaptured({u"show", out, u"--public-key", folder_.File(u"vendor.pub")});
  EXPECT_EQ(verified.status, 0) << verified.err;
  EXPECT_EQ(verified.out.substr(0, shownPlain.size()), shownPlain);
  EXPECT_EQ(verified.out.substr(shownPlain.size()),
            Utf16ToUtf8((out + u".sig").c_str()) + ": the signature verifies\r\n");

  ToolRun otherKey =
      RunSetupkitCaptured({u"show", out, u"--public-key", folder_.File(u"other.pub")});
  EXPECT_EQ(otherKey.status, 1);
  EXPECT_EQ(otherKey.out, shownPlain);
  EXPECT_NE(otherKey.err.find("the signature does not verify"), std::string::npos) << otherKey.err;

  fs::remove(fs::path(out + u".sig"));
  ToolRun unsignedList =
      RunSetupkitCaptured({u"show", out, u"--public-key", folder_.File(u"vendor.pub")});
  EXPECT_EQ(unsignedList.status, 1);
  EXPECT_NE(unsignedList.err.find("no signature came with the list"), std::string::npos)
      << unsignedList.err;

  // Only update lists are signed.
  WriteBytes(folder_.Path() / "record.txt", "\xFF\xFE" + std::string("n\0a\0m\0e\0=\0x\0;\0", 14));
  ToolRun record = RunSetupkitCaptured(
      {u"show", folder_.File(u"record.txt"), u"--public-key", folder_.File(u"vendor.pub")});
  EXPECT_EQ(record.status, 1);
  EXPECT_NE(record.err.find("is not an update list"), std::string::npos) << record.err;
  EXPECT_EQ(record.out, "");
}

}  // namespace
