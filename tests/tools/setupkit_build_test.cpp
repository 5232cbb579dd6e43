#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "records/client_info.h"
#include "support/packed_container.h"
#include "support/pe_image.h"
#include "support/resource_tree.h"
#include "support/resource_update.h"
#include "tests/helpers/pe_builder.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

const char kVendorText[] =
    "app=democlient;\nname=\xE7\xA4\xBA\xE4\xBE\x8B;\ncompany=Example;\nversion=1.2.0.0;\n"
    "source=http://127.0.0.1/demo/app;\nconfig=http://127.0.0.1/demo/update.xml;\n";

// A program as the stub and the product's programs look to the tool: code, its own resources
// and base relocations after them.
std::string Program(const std::string& code) {
  TestImage image;
  image.sections = {{".text", code, TestImage::kCode},
                    {".rsrc", "", TestImage::kResources},
                    {".reloc", std::string(200, 'r'), TestImage::kRelocations}};
  image.resourceSection = 1;
  image.resources = [](uint32_t address) {
    ResourceTree tree;
    ResourceItem manifest;
    manifest.type.number = 24;
    manifest.name.number = 1;
    manifest.bytes = "<assembly/>";
    tree.Put(manifest);
    return tree.Write(address);
  };
  image.relocationSection = 2;
  image.checkSum = true;
  return BuildTestImage(image);
}

std::string Resource(const std::string& image, const char16_t* type, uint16_t id) {
  ResourceName typeName;
  typeName.text = type;
  ResourceName name;
  name.number = id;
  std::string bytes;
  std::string problem;
  EXPECT_TRUE(FindImageResource(image, typeName, name, bytes, problem)) << problem;
  return bytes;
}

std::string Unpacked(const std::string& container) {
  std::string out(container.size(), '\0');
  out.resize(UnpackContainer(reinterpret_cast<uint8_t*>(&out[0]), static_cast<uint32_t>(out.size()),
                             reinterpret_cast<const uint8_t*>(container.data()),
                             static_cast<uint32_t>(container.size())));
  return out;
}

// Sets an environment variable for the life of the object, or unsets it (value null).
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    Set(value);
  }
  ~ScopedVariable() { Set(had_ ? old_.c_str() : nullptr); }

 private:
  void Set(const char* value) {
#ifdef _WIN32
    _putenv_s(name_.c_str(), value != nullptr ? value : "");
#else
    if (value != nullptr) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
#endif
  }

  std::string name_;
  bool had_ = false;
  std::string old_;
};

// A client, and a stub with the product's programs beside it, all made up here.
class SetupkitBuildPortableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_.Path() / "kit");
    fs::create_directories(folder_.Path() / "client" / "lib");
    WriteBytes(folder_.Path() / "kit" / "setup.exe", Program("the stub"));
    WriteBytes(folder_.Path() / "kit" / "unins000.exe", Program("the uninstaller"));
    WriteBytes(folder_.Path() / "kit" / "update.exe", Program("the updater"));
    client_ = {{"client.exe", "the client"}, {"lib/core.dat", std::string(5000, 'c')}};
    for (const auto& [name, bytes] : client_) WriteBytes(folder_.Path() / "client" / name, bytes);
    WriteBytes(folder_.Path() / "config.txt", kVendorText);
  }

  ToolRun Build(std::vector<std::u16string> extra, const std::u16string& out) {
    std::vector<std::u16string> args = {u"build",
                                        u"--config",
                                        folder_.File(u"config.txt"),
                                        u"--client",
                                        folder_.File(u"client"),
                                        u"--stub",
                                        Kit(u"setup.exe"),
                                        u"-o",
                                        out};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunSetupkitCaptured(args);
  }
  std::u16string Kit(const std::u16string& name) const {
    return (folder_.Path() / "kit" / fs::path(name)).u16string();
  }

  TempFolder folder_;
  std::map<std::string, std::string> client_;
};

TEST_F(SetupkitBuildPortableTest, TheSameInputsMakeTheSameInstallerWithItsPartsInPlace) {
  ToolRun first = Build({}, folder_.File(u"first.exe"));
  ASSERT_EQ(first.status, 0) << first.err;
  ToolRun second = Build({}, folder_.File(u"second.exe"));
  ASSERT_EQ(second.status, 0) << second.err;
  const std::string installer = ReadBytes(folder_.Path() / "first.exe");
  EXPECT_EQ(ReadBytes(folder_.Path() / "second.exe"), installer);

  const std::string stub = ReadBytes(folder_.Path() / "kit" / "setup.exe");
  ResourceName manifest;
  manifest.number = 24;
  ResourceName one;
  one.number = 1;
  std::string kept, problem;
  ASSERT_TRUE(FindImageResource(installer, manifest, one, kept, problem));
  EXPECT_EQ(kept, "<assembly/>");
  const std::string stubSize = Resource(installer, u"STUB", 1);
  ASSERT_EQ(stubSize.size(), 8u);
  EXPECT_EQ(Field32(stubSize, 0), stub.size());

  // The configuration, packed, in the installer and in both programs.
  const std::string record = Resource(installer, u"APP", 1);
  CClientInfo config;
  ASSERT_TRUE(config.ParseBytes(reinterpret_cast<const uint8_t*>(record.data()),
                                static_cast<uint32_t>(record.size())));
  EXPECT_EQ(std::u16string(config.GetApp().Units()), u"democlient");
  EXPECT_TRUE(HasContainerMarker(reinterpret_cast<const uint8_t*>(record.data()),
                                 static_cast<uint32_t>(record.size())));
  const std::string tail = Unpacked(Resource(installer, u"TAIL", 1));
  // A stub that does not say it reads the client archive in place gets it packed, as every stub
  // reads it.
  EXPECT_FALSE(IsArchiveStoredAsIs(tail, u"app.zip"));
  std::map<std::string, std::string> payload = ReadArchiveFiles(tail);
  std::map<std::string, std::string> app = ReadArchiveFiles(payload["app.zip"]);
  for (const char* program : {"unins000.exe", "update.exe"}) {
    SCOPED_TRACE(program);
    EXPECT_EQ(Resource(app[program], u"APP", 1), record);
    app.erase(program);
  }
  EXPECT_EQ(app, client_);
  PeImage pe;
  ASSERT_TRUE(pe.Parse(installer, problem));
  EXPECT_EQ(pe.CheckSum(), PeChecksum(installer, pe.CheckSumOffset()));

  ToolRun inspect = RunSetupkitCaptured({u"inspect", folder_.File(u"first.exe")});
  ASSERT_EQ(inspect.status, 0) << inspect.err;
  EXPECT_NE(inspect.out.find("\nmode: archive\nstub: " + std::to_string(stub.size()) +
                             " bytes\nsignature: not signed\nprograms:\n"
                             "  unins000.exe not signed\n  update.exe not signed\n"),
            std::string::npos)
      << inspect.out;
  ToolRun show = RunSetupkitCaptured({u"show", folder_.File(u"first.exe")});
  EXPECT_EQ(show.status, 0);
  EXPECT_EQ(inspect.out.rfind(show.out, 0), 0u);
}

TEST_F(SetupkitBuildPortableTest, PublishesWhatTheInstallerAndUpdaterRequest) {
  ToolRun build = Build({u"--publish", folder_.File(u"site")}, folder_.File(u"setup.exe"));
  ASSERT_EQ(build.status, 0) << build.err;
  EXPECT_NE(build.err.find("served at http://127.0.0.1/demo/\n"), std::string::npos) << build.err;
  const std::string installer = ReadBytes(folder_.Path() / "setup.exe");
  std::map<std::string, std::string> payload =
      ReadArchiveFiles(Unpacked(Resource(installer, u"TAIL", 1)));
  std::map<std::string, std::string> app = ReadArchiveFiles(payload["app.zip"]);

  // "source" is http://127.0.0.1/demo/app and "config" http://127.0.0.1/demo/update.xml: the
  // folder stands for http://127.0.0.1/demo/.
  std::map<std::string, std::string> published;
  const fs::path site = folder_.Path() / "site";
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(site)) {
    if (entry.is_regular_file()) {
      published[entry.path().lexically_relative(site).generic_u8string()] = ReadBytes(entry.path());
    }
  }
  std::map<std::string, std::string> expected = {{"update.xml", payload["update.xml"]}};
  for (const auto& [name, bytes] : app) expected["app/" + name] = bytes;
  EXPECT_EQ(published, expected);

  // Once more into the same folder would mix two releases.
  ToolRun again = Build({u"--publish", folder_.File(u"site")}, folder_.File(u"again.exe"));
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("is not empty"), std::string::npos);
  EXPECT_EQ(std::count(again.err.begin(), again.err.end(), '\n'), 1);
  EXPECT_FALSE(fs::exists(folder_.Path() / "again.exe"));
}

TEST_F(SetupkitBuildPortableTest, RefusesSigningItCannotDoWithOneLineBeforeAnyWork) {
  WriteBytes(folder_.Path() / "key.p12", "not really a key, but readable");
  struct Case {
    const char* name;
    std::vector<std::u16string> options;
    const char* password;  // null: not set
    const char* sourceDate;
    std::string message;
  };
  const Case cases[] = {
      {"a time-stamping URL that is none",
       {u"--sign-pkcs12", folder_.File(u"key.p12"), u"--timestamp-url", u"ftp://tsa.example/"},
       "secret",
       nullptr,
       "--timestamp-url ftp://tsa.example/ is not an http:// or https:// URL"},
      {"a time-stamping URL with a space",
       {u"--sign-pkcs12", folder_.File(u"key.p12"), u"--timestamp-url", u"http://a b/"},
       "secret",
       nullptr,
       "--timestamp-url http://a b/ is not"},
      {"a time-stamping URL without signing",
       {u"--timestamp-url", u"http://127.0.0.1/"},
       "secret",
       nullptr,
       "--timestamp-url needs --sign-pkcs12"},
      {"no key file",
       {u"--sign-pkcs12", folder_.File(u"missing.p12")},
       "secret",
       nullptr,
       "cannot read the signing key "},
      {"no password",
       {u"--sign-pkcs12", folder_.File(u"key.p12")},
       nullptr,
       nullptr,
       "--sign-pkcs12 needs the key's password in the environment variable "
       "SETUPKIT_SIGN_PASSWORD"},
      {"a signing time that is no number",
       {u"--sign-pkcs12", folder_.File(u"key.p12")},
       "secret",
       "yesterday",
       "SOURCE_DATE_EPOCH must be a number of seconds"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedVariable password("SETUPKIT_SIGN_PASSWORD", c.password);
    ScopedVariable sourceDate("SOURCE_DATE_EPOCH", c.sourceDate);
    ToolRun run = Build(c.options, folder_.File(u"signed.exe"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("setupkit: " + c.message, 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(fs::exists(folder_.Path() / "signed.exe"));
  }
}

TEST_F(SetupkitBuildPortableTest, StampRefusesDamagedExecutablesAndDropsASignatureItBreaks) {
  ASSERT_EQ(RunSetupkitCaptured(
                {u"config", folder_.File(u"config.txt"), folder_.File(u"r.rec"), u"--packed"})
                .status,
            0);
  std::string program = ReadBytes(folder_.Path() / "kit" / "update.exe");
  struct Case {
    const char* name;
    std::string exe;
    int status;
    std::string message;
  };
  std::string cut = program.substr(0, 0x500);
  std::string noReloc = program;
  SetField32(noReloc, kTestSectionTable + 40 * 2 + 36, TestImage::kData);
  TestImage signedImage;
  signedImage.sections = {{".text", "code", TestImage::kCode},
                          {".rsrc", "", TestImage::kResources}};
  signedImage.resourceSection = 1;
  signedImage.resources = [](uint32_t address) { return ResourceTree().Write(address); };
  signedImage.certificate = std::string(32, 's');
  const Case cases[] = {
      {"cut short", cut, 1, "has a section whose data lies outside the file; it is left as it was"},
      {"data after the resources", noReloc, 1, "has sections after its resources that cannot move"},
      {"signed", BuildTestImage(signedImage), 0, "was signed; its signature cannot hold"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(folder_.Path() / "target.exe", c.exe);
    ToolRun run =
        RunSetupkitCaptured({u"stamp", folder_.File(u"target.exe"), folder_.File(u"r.rec")});
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    const std::string after = ReadBytes(folder_.Path() / "target.exe");
    if (c.status != 0) {
      EXPECT_EQ(after, c.exe);
      continue;
    }
    PeImage pe;
    std::string problem;
    ASSERT_TRUE(pe.Parse(after, problem));
    EXPECT_EQ(pe.Directory(PeImage::kCertificateDirectory).size, 0u);
    EXPECT_EQ(Resource(after, u"APP", 1), ReadBytes(folder_.Path() / "r.rec"));
  }
}

}  // namespace
