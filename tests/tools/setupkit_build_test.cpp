#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "records/carried_languages.h"
#include "records/client_info.h"
#include "records/language_file.h"
#include "records/update_info.h"
#include "records/update_info_trust.h"
#include "support/container/packed_container.h"
#include "support/crypto/sha256.h"
#include "support/crypto/signing.h"
#include "support/pe/pe_image.h"
#include "support/pe/resource_tree.h"
#include "support/pe/resource_update.h"
#include "support/text/utf8.h"
#include "support/zip/part_manifest.h"
#include "tests/helpers/made_link.h"
#include "tests/helpers/pe_builder.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/zip_builder.h"
#include "tools/setupkit/folder_walk.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

const char kVendorText[] =
    "app=democlient;\nname=\xE7\xA4\xBA\xE4\xBE\x8B;\ncompany=Example;\nversion=1.2.0.0;\n"
    "source=http://127.0.0.1/demo/app;\nconfig=http://127.0.0.1/demo/update.xml;\n";

// A program as the stub and the product's programs look to the tool: code, its own resources
// and base relocations after them.
// A stub given reads says in its resource "READS" 1 which payload forms it reads.
std::string Program(const std::string& code, const std::string& reads = "") {
  TestImage image;
  image.sections = {{".text", code, TestImage::kCode},
                    {".rsrc", "", TestImage::kResources},
                    {".reloc", std::string(200, 'r'), TestImage::kRelocations}};
  image.resourceSection = 1;
  image.resources = [reads](uint32_t address) {
    ResourceTree tree;
    ResourceItem manifest;
    manifest.type.number = 24;
    manifest.name.number = 1;
    manifest.bytes = "<assembly/>";
    tree.Put(manifest);
    if (!reads.empty()) {
      ResourceItem forms;
      forms.type.text = u"READS";
      forms.name.number = 1;
      forms.bytes = reads;
      tree.Put(forms);
    }
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
  // The vendor's key pair, vendor.key and vendor.pub.
  void MakeVendorKey() {
    ASSERT_EQ(
        RunSetupkitCaptured({u"keygen", folder_.File(u"vendor.key"), folder_.File(u"vendor.pub")})
            .status,
        0);
  }
  // setupkit texts en as a file of the folder, with code and the title given, and lines put in
  // place of the key line named in replaced.
  std::u16string LanguageFile(const std::u16string& name, const std::string& code,
                              const std::string& replaced = "", const std::string& by = "") {
    ToolRun texts = RunSetupkitCaptured({u"texts", u"en"});
    EXPECT_EQ(texts.status, 0) << texts.err;
    std::string file = texts.out;
    file.replace(file.find("language=en\n"), 12, "language=" + code + "\n");
    const size_t title = file.find("switches.title=");
    file.replace(title, file.find('\n', title) - title, "switches.title=" + code + " switches:");
    if (!replaced.empty()) {
      const size_t at = file.find(replaced + "=");
      file.replace(at, file.find('\n', at) + 1 - at, by);
    }
    WriteBytes(folder_.Path() / fs::path(name), file);
    return folder_.File(name);
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
  // Written from file to file, the installer is byte for byte the stub with the same resources
  // put in memory.
  std::string inMemory = stub;
  std::vector<ResourceItem> items;
  for (const char16_t* type : {u"TAIL", u"APP", u"STUB"}) {
    ResourceItem& item = items.emplace_back();
    item.type.text = type;
    item.name.number = 1;
    item.language = kResourceLanguage;
    item.bytes = Resource(installer, type, 1);
  }
  ASSERT_TRUE(PutImageResources(inMemory, items, problem)) << problem;
  EXPECT_TRUE(inMemory == installer);

  ToolRun inspect = RunSetupkitCaptured({u"inspect", folder_.File(u"first.exe")});
  ASSERT_EQ(inspect.status, 0) << inspect.err;
  EXPECT_NE(inspect.out.find("\nmode: archive\nstub: " + std::to_string(stub.size()) +
                             " bytes\nsignature: not signed\n"
                             "list key: none (its update list is followed unsigned)\n"
                             "languages: none added (Chinese and English are built in)\nprograms:\n"
                             "  unins000.exe not signed\n  update.exe not signed\n"),
            std::string::npos)
      << inspect.out;
  ToolRun show = RunSetupkitCaptured({u"show", folder_.File(u"first.exe")});
  EXPECT_EQ(show.status, 0);
  EXPECT_EQ(inspect.out.rfind(show.out, 0), 0u);
}

TEST_F(SetupkitBuildPortableTest, APayloadPastSplitHasItsClientArchiveBesideTheInstaller) {
  // Noise, which does not deflate: the client archive is larger than 64 KB.
  WriteBytes(folder_.Path() / "client" / "lib" / "noise.bin", Noise(150000, 5));
  WriteBytes(folder_.Path() / "kit" / "today.exe", Program("the stub", "app.zip stored; app.zip.parts"));
  WriteBytes(folder_.Path() / "kit" / "in-place.exe", Program("the stub", "app.zip stored"));
  const auto build = [this](const char16_t* stub, std::vector<std::u16string> options,
                            const std::u16string& out) {
    options.insert(options.end(), {u"--stub", Kit(stub)});
    return Build(options, out);
  };
  ToolRun unsplit = build(u"today.exe", {}, folder_.File(u"unsplit.exe"));
  ASSERT_EQ(unsplit.status, 0) << unsplit.err;
  const std::string today = ReadBytes(folder_.Path() / "unsplit.exe");
  const std::string clientArchive =
      ReadArchiveFiles(Unpacked(Resource(today, u"TAIL", 1)))["app.zip"];
  ASSERT_GT(clientArchive.size(), 150000u);

  struct Case {
    const char* name;
    const char16_t* stub;
    const char16_t* split;
    int status;
    size_t parts;  // data files beside it; 0: the installer built without --split
  };
  const Case cases[] = {
      {"a payload below SIZE is left as it was", u"today.exe", u"1M", 0, 0},
      {"past SIZE, files of SIZE each and the rest", u"today.exe", u"64K", 0, 3},
      {"a stub that reads no data files is refused", u"in-place.exe", u"64K", 1, 0},
      {"a SIZE that is none", u"today.exe", u"64KB", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder out;
    const std::u16string installer = out.File(u"my setup.exe");
    ToolRun run = build(c.stub, {u"--split", c.split}, installer);
    ASSERT_EQ(run.status, c.status) << run.err;
    std::vector<std::string> beside;
    for (const fs::directory_entry& entry : fs::directory_iterator(out.Path())) {
      beside.push_back(entry.path().filename().u8string());
    }
    std::sort(beside.begin(), beside.end());
    if (c.status != 0) {
      EXPECT_TRUE(beside.empty());
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
      continue;
    }
    const std::string made = ReadBytes(fs::path(installer));
    if (c.parts == 0) {
      EXPECT_EQ(made, today);
      EXPECT_EQ(beside.size(), 1u);
      continue;
    }
    std::map<std::string, std::string> payload = ReadArchiveFiles(Unpacked(Resource(made, u"TAIL", 1)));
    EXPECT_EQ(payload.count("app.zip"), 0u);
    const std::string manifest = payload["app.zip.parts"];
    std::vector<PartRecord> records;
    ASSERT_TRUE(ParsePartManifest(reinterpret_cast<const uint8_t*>(manifest.data()),
                                  manifest.size(), &records));
    ASSERT_EQ(records.size(), c.parts);
    std::string joined;
    for (size_t i = 0; i < records.size(); ++i) {
      const std::string name = "my setup-" + std::to_string(i + 1) + ".bin";
      EXPECT_EQ(Utf16ToUtf8(records[i].name.c_str()), name);
      const std::string bytes = ReadBytes(out.Path() / name);
      EXPECT_EQ(records[i].size, bytes.size());
      EXPECT_LE(bytes.size(), 65536u);
      char16_t digest[kSha256HexDigits + 1];
      ASSERT_TRUE(Sha256HexOfMemory(digest, bytes.data(), bytes.size()));
      EXPECT_EQ(records[i].sha256, digest);
      joined += bytes;
    }
    // The same client archive the installer would otherwise carry.
    EXPECT_EQ(joined, clientArchive);
    EXPECT_EQ(beside.size(), 1 + c.parts);
    ToolRun inspect = RunSetupkitCaptured({u"inspect", installer});
    ASSERT_EQ(inspect.status, 0) << inspect.err;
    EXPECT_NE(inspect.out.find("mode: archive\ndata files beside it:\n  my setup-1.bin 65536 "),
              std::string::npos) << inspect.out;
    EXPECT_NE(inspect.out.find("programs:\n  unins000.exe not signed\n"), std::string::npos);
  }
}

TEST_F(SetupkitBuildPortableTest, PublishesWhatTheInstallerAndUpdaterRequest) {
  // Names holding what URLs reserve or escape are published under the names themselves.
  for (const char* name : {"plugins/a b/#1 100%25.dll", "plugins/a b/c++ & d;.dll",
                           "\xE6\x8F\x92\xE4\xBB\xB6/\xC3\xA9.dll"}) {
    fs::create_directories((folder_.Path() / "client" / fs::u8path(name)).parent_path());
    WriteBytes(folder_.Path() / "client" / fs::u8path(name), name);
  }
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
  EXPECT_EQ(app.count("plugins/a b/c++ & d;.dll"), 1u);

  // Once more into the same folder would mix two releases.
  ToolRun again = Build({u"--publish", folder_.File(u"site")}, folder_.File(u"again.exe"));
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("is not empty"), std::string::npos);
  EXPECT_EQ(std::count(again.err.begin(), again.err.end(), '\n'), 1);
  EXPECT_FALSE(fs::exists(folder_.Path() / "again.exe"));
}

// With --previous, the files that changed since an earlier publish (the client's and the
// programs added to it alike) get patches from it, listed in the published list and published
// beside their files; what the patches were made in is gone afterwards.
TEST_F(SetupkitBuildPortableTest, PublishesPatchesFromAnEarlierPublish) {
  const std::string data = Noise(60000, 9);
  WriteBytes(folder_.Path() / "client" / "lib" / "core.dat", data);
  ASSERT_EQ(Build({u"--publish", folder_.File(u"v1")}, folder_.File(u"v1.exe")).status, 0);
  std::string changed = data;
  changed.replace(30000, 5, "fixed");
  WriteBytes(folder_.Path() / "client" / "lib" / "core.dat", changed);
  WriteBytes(folder_.Path() / "kit" / "update.exe", Program("the updater, rebuilt"));

  ToolRun build = Build({u"--publish", folder_.File(u"v2"), u"--previous", folder_.File(u"v1")},
                        folder_.File(u"v2.exe"));
  ASSERT_EQ(build.status, 0) << build.err;
  CUpdateInfo list;
  ASSERT_TRUE(list.LoadFromFile(folder_.File(u"v2/update.xml").c_str()));
  std::map<std::string, size_t> deltas;
  std::set<std::string> published;
  for (int i = 0; i < list.Count(); ++i) {
    const UpdateItem* item = list.Get(i);
    std::string file = Utf16ToUtf8(item->file.c_str());
    deltas[file] = item->deltas.size();
    std::replace(file.begin(), file.end(), '\\', '/');
    for (const ItemDelta& delta : item->deltas) {
      const fs::path patch = folder_.Path() / "v2" / "app" /
                             fs::u8path(file + "." + Utf16ToUtf8(delta.from) + ".patch");
      EXPECT_EQ(fs::file_size(patch), static_cast<uintmax_t>(delta.size));
      published.insert(patch.filename().string());
    }
  }
  EXPECT_EQ(deltas, (std::map<std::string, size_t>{{"client.exe", 0},
                                                   {"lib\\core.dat", 1},
                                                   {"unins000.exe", 0},
                                                   {"update.exe", 1}}));
  EXPECT_EQ(published.size(), 2u);
  EXPECT_FALSE(fs::exists(folder_.Path() / "v2.exe.patches~"));

  ToolRun alone = Build({u"--previous", folder_.File(u"v1")}, folder_.File(u"v3.exe"));
  EXPECT_EQ(alone.status, 1);
  EXPECT_NE(alone.err.find("--previous needs --publish"), std::string::npos) << alone.err;
}

TEST_F(SetupkitBuildPortableTest, RefusesSigningOrLanguagesItCannotUseWithOneLineBeforeAnyWork) {
  WriteBytes(folder_.Path() / "key.p12", "not really a key, but readable");
  const std::u16string german = LanguageFile(u"de.txt", "de");
  const std::u16string alsoGerman = LanguageFile(u"de2.txt", "DE");
  const std::u16string missing = LanguageFile(u"missing.txt", "fr", "switches.refused", "");
  const std::u16string unknown =
      LanguageFile(u"unknown.txt", "fr", "switches.refused", "switches.refused=a\nswitches.x=b\n");
  const std::u16string part =
      LanguageFile(u"part.txt", "fr", "switches.refused", "switches.refused=no {file}\n");
  // A missing key is told at the line after the last: the file has one line fewer than de.txt.
  const std::string germanFile = ReadBytes(folder_.Path() / "de.txt");
  const std::string fileLines =
      std::to_string(std::count(germanFile.begin(), germanFile.end(), '\n'));
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
      {"a language file that misses a key",
       {u"--language", missing},
       nullptr,
       nullptr,
       "the language file " + Utf16ToUtf8(missing.c_str()) + " is refused: line " + fileLines +
           ", key switches.refused: missing"},
      {"a language file with a key no text has",
       {u"--language", german, u"--language", unknown},
       nullptr,
       nullptr,
       "the language file " + Utf16ToUtf8(unknown.c_str()) + " is refused: line 8, key "
       "switches.x: no text has this key"},
      {"a language file with a part its text may not hold",
       {u"--language", part},
       nullptr,
       nullptr,
       "the language file " + Utf16ToUtf8(part.c_str()) + " is refused: line 7, key "
       "switches.refused: the text holds {file}"},
      {"a language file that is not there",
       {u"--language", folder_.File(u"none.txt")},
       nullptr,
       nullptr,
       "cannot read the language file "},
      {"two language files of one language",
       {u"--language", german, u"--language", alsoGerman},
       nullptr,
       nullptr,
       "the language files " + Utf16ToUtf8(german.c_str()) + " and " +
           Utf16ToUtf8(alsoGerman.c_str()) + " both give the language DE"},
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

// A record the programs would refuse as a damaged package is not stamped into one.
TEST_F(SetupkitBuildPortableTest, StampRefusesARecordWhoseFolderNamesAreNotPlain) {
  const std::string program = ReadBytes(folder_.Path() / "kit" / "update.exe");
  struct Case {
    const char* name;
    std::u16string record;
    std::string message;
  };
  const Case cases[] = {
      {"app climbing out", u"app=..\\evil;\r\ncompany=Example;\r\n",
       "the value of \"app\" must be one plain folder name, and \"..\\evil\" holds a path"},
      {"company a device", u"app=x;\r\ncompany=CON;\r\n",
       "the value of \"company\" must be one plain folder name, and \"CON\" is a device name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string text = u"\uFEFF" + c.record;
    WriteBytes(folder_.Path() / "odd.rec",
               std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    WriteBytes(folder_.Path() / "target.exe", program);
    ToolRun run =
        RunSetupkitCaptured({u"stamp", folder_.File(u"target.exe"), folder_.File(u"odd.rec")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(ReadBytes(folder_.Path() / "target.exe"), program);
  }
}

// Whether image carries resource (type, 1), and its bytes.
bool FindResource(const std::string& image, const char16_t* type, std::string& bytes) {
  ResourceName typeName;
  typeName.text = type;
  ResourceName name;
  name.number = 1;
  std::string problem;
  return FindImageResource(image, typeName, name, bytes, problem);
}

// With the vendor's key the installer and its updater carry the public half and the list goes
// out with its signature, in the payload and in the published folder, by the very rule the
// programs check; without it, nothing of that, and a warning that nothing can be authenticated.
TEST_F(SetupkitBuildPortableTest, SignsTheListItPublishesAndPutsThePublicKeyInItsPrograms) {
  MakeVendorKey();
  if (HasFatalFailure()) return;
  const std::string publicKey = ReadBytes(folder_.Path() / "vendor.pub");
  struct Case {
    const char* name;
    std::vector<std::u16string> options;
    bool signedList;
    std::string warning;
  };
  const Case cases[] = {
      {"signed", {u"--sign-key", folder_.File(u"vendor.key")}, true, ""},
      {"unsigned", {}, false, "is not signed (no --sign-key): installers and updaters cannot "
                              "authenticate it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string site = folder_.File(c.signedList ? u"site-signed" : u"site-unsigned");
    std::vector<std::u16string> options = c.options;
    options.insert(options.end(), {u"--publish", site});
    ToolRun build = Build(options, folder_.File(u"setup.exe"));
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(build.err.find(c.warning.empty() ? "warning" : c.warning) != std::string::npos,
              !c.warning.empty())
        << build.err;

    const std::string installer = ReadBytes(folder_.Path() / "setup.exe");
    std::map<std::string, std::string> payload =
        ReadArchiveFiles(Unpacked(Resource(installer, u"TAIL", 1)));
    std::map<std::string, std::string> app = ReadArchiveFiles(payload["app.zip"]);
    std::string carried;
    EXPECT_EQ(FindResource(installer, kListKeyType, carried), c.signedList);
    EXPECT_EQ(carried, c.signedList ? publicKey : "");
    // inspect shows the key as the vendor's file holds it, to be compared by eye.
    ToolRun inspect = RunSetupkitCaptured({u"inspect", folder_.File(u"setup.exe")});
    ASSERT_EQ(inspect.status, 0) << inspect.err;
    std::string shown = "list key: none";
    if (c.signedList) {
      shown = "list key: ";
      for (const unsigned char byte : publicKey) {
        static const char kDigits[] = "0123456789ABCDEF";
        shown += {kDigits[byte >> 4], kDigits[byte & 0x0F]};
      }
      shown += "\n";
    }
    EXPECT_NE(inspect.out.find(shown), std::string::npos) << inspect.out;
    std::string updaterKey;
    EXPECT_EQ(FindResource(app["update.exe"], kListKeyType, updaterKey), c.signedList);
    EXPECT_EQ(updaterKey, c.signedList ? publicKey : "");
    // The uninstaller follows no list.
    std::string uninstallerKey;
    EXPECT_FALSE(FindResource(app["unins000.exe"], kListKeyType, uninstallerKey));

    const std::string& list = payload["update.xml"];
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(payload.count("update.xml.sig"), c.signedList ? 1u : 0u);
    const fs::path published = fs::path(site) / "update.xml.sig";
    EXPECT_EQ(fs::exists(published), c.signedList);
    if (!c.signedList) continue;
    const std::string& signature = payload["update.xml.sig"];
    EXPECT_EQ(ReadBytes(published), signature);
    EXPECT_EQ(ReadBytes(fs::path(site) / "update.xml"), list);
    ListKey key{true, std::vector<uint8_t>(publicKey.begin(), publicKey.end())};
    EXPECT_EQ(CheckListSignature(reinterpret_cast<const uint8_t*>(list.data()), list.size(),
                                 reinterpret_cast<const uint8_t*>(signature.data()),
                                 signature.size(), key),
              ListSignatureCheck::kVerified);
  }
  // The same inputs, the same bytes: the signature too.
  const std::string first = ReadBytes(folder_.Path() / "setup.exe");
  ASSERT_EQ(Build({u"--sign-key", folder_.File(u"vendor.key")}, folder_.File(u"again.exe")).status,
            0);
  ASSERT_EQ(Build({u"--sign-key", folder_.File(u"vendor.key")}, folder_.File(u"twice.exe")).status,
            0);
  EXPECT_EQ(ReadBytes(folder_.Path() / "again.exe"), ReadBytes(folder_.Path() / "twice.exe"));
  EXPECT_NE(ReadBytes(folder_.Path() / "again.exe"), first);
}

// A key that is none, an installer that would overwrite the key, a list there is none of to
// sign: refused with one line, and no installer.
TEST_F(SetupkitBuildPortableTest, RefusesAListKeyItCannotUse) {
  MakeVendorKey();
  if (HasFatalFailure()) return;
  const std::string secret = ReadBytes(folder_.Path() / "vendor.key");
  WriteBytes(folder_.Path() / "offline.txt", "app=democlient;\nname=demo;\ncompany=Example;\n");
  struct Case {
    const char* name;
    std::vector<std::u16string> options;
    std::u16string out;
    std::string message;
  };
  const Case cases[] = {
      {"the public key for the secret one", {u"--sign-key", folder_.File(u"vendor.pub")},
       folder_.File(u"out.exe"), "is not a secret key"},
      {"no key file", {u"--sign-key", folder_.File(u"missing.key")}, folder_.File(u"out.exe"),
       "cannot read the secret key"},
      {"the installer over the key", {u"--sign-key", folder_.File(u"vendor.key")},
       folder_.File(u"vendor.key"), "would replace the secret key"},
      {"no source to sign the list of",
       {u"--sign-key", folder_.File(u"vendor.key"), u"--config", folder_.File(u"offline.txt")},
       folder_.File(u"out.exe"), "--sign-key needs a \"source\" URL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun run = Build(c.options, c.out);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(fs::exists(folder_.Path() / "out.exe"));
    EXPECT_EQ(ReadBytes(folder_.Path() / "vendor.key"), secret);
  }
}

// A download-mode vendor stamps its own updater: with --public-key the key goes in beside the
// record; a file that is no public key is refused and the program is left as it was.
// The vendor's languages go into the installer, its uninstaller and its updater as the programs
// read them, setupkit stamp puts them into a program, and inspect names them.
TEST_F(SetupkitBuildPortableTest, PutsTheVendorsLanguagesIntoEveryProgramAndInspectNamesThem) {
  ToolRun texts = RunSetupkitCaptured({u"texts"});
  ToolRun chinese = RunSetupkitCaptured({u"texts", u"zh-cn"});
  Language read;
  LanguageFileProblem problem;
  ASSERT_TRUE(ReadLanguageFile(texts.out, read, problem)) << problem.Describe();
  EXPECT_EQ(read.texts, EnglishLanguage().texts);
  ASSERT_TRUE(ReadLanguageFile(chinese.out, read, problem)) << problem.Describe();
  EXPECT_EQ(read.texts, ChineseLanguage().texts);
  EXPECT_EQ(RunSetupkitCaptured({u"texts", u"de"}).status, 2);

  const std::u16string german = LanguageFile(u"de.txt", "de");
  const std::u16string english = LanguageFile(u"en.txt", "en");
  ASSERT_EQ(
      Build({u"--language", german, u"--language", english}, folder_.File(u"setup.exe")).status, 0);
  std::vector<Language> given(2);
  ASSERT_TRUE(ReadLanguageFile(ReadBytes(folder_.Path() / "de.txt"), given[0], problem));
  ASSERT_TRUE(ReadLanguageFile(ReadBytes(folder_.Path() / "en.txt"), given[1], problem));
  const std::string carried = CarriedLanguages(given);
  const std::string installer = ReadBytes(folder_.Path() / "setup.exe");
  std::map<std::string, std::string> app =
      ReadArchiveFiles(ReadArchiveFiles(Unpacked(Resource(installer, u"TAIL", 1)))["app.zip"]);
  for (const std::string& program : {installer, app["unins000.exe"], app["update.exe"]}) {
    EXPECT_EQ(Resource(program, kLanguagesType, kLanguagesId), carried);
  }
  ToolRun inspect = RunSetupkitCaptured({u"inspect", folder_.File(u"setup.exe")});
  EXPECT_NE(inspect.out.find("\nlanguages: de en\n"), std::string::npos) << inspect.out;
  // Without a language the installer is as it was before there were languages.
  ASSERT_EQ(Build({}, folder_.File(u"plain.exe")).status, 0);
  std::string none;
  EXPECT_FALSE(FindResource(ReadBytes(folder_.Path() / "plain.exe"), kLanguagesType, none));

  ASSERT_EQ(RunSetupkitCaptured(
                {u"config", folder_.File(u"config.txt"), folder_.File(u"r.rec"), u"--packed"})
                .status,
            0);
  WriteBytes(folder_.Path() / "update.exe", ReadBytes(folder_.Path() / "kit" / "update.exe"));
  ToolRun stamp = RunSetupkitCaptured({u"stamp", folder_.File(u"update.exe"),
                                       folder_.File(u"r.rec"), u"--language", german,
                                       u"--language", english});
  ASSERT_EQ(stamp.status, 0) << stamp.err;
  EXPECT_EQ(Resource(ReadBytes(folder_.Path() / "update.exe"), kLanguagesType, kLanguagesId),
            carried);
  const std::u16string broken = LanguageFile(u"broken.txt", "fr", "switches.title", "");
  const std::string before = ReadBytes(folder_.Path() / "update.exe");
  stamp = RunSetupkitCaptured(
      {u"stamp", folder_.File(u"update.exe"), folder_.File(u"r.rec"), u"--language", broken});
  EXPECT_EQ(stamp.status, 1);
  EXPECT_NE(stamp.err.find("key switches.title: missing"), std::string::npos) << stamp.err;
  EXPECT_EQ(std::count(stamp.err.begin(), stamp.err.end(), '\n'), 1) << stamp.err;
  EXPECT_EQ(ReadBytes(folder_.Path() / "update.exe"), before);
}

TEST_F(SetupkitBuildPortableTest, StampPutsAPublicKeyBesideTheRecord) {
  MakeVendorKey();
  if (HasFatalFailure()) return;
  ASSERT_EQ(RunSetupkitCaptured(
                {u"config", folder_.File(u"config.txt"), folder_.File(u"r.rec"), u"--packed"})
                .status,
            0);
  const std::string program = ReadBytes(folder_.Path() / "kit" / "update.exe");
  struct Case {
    const char* name;
    std::u16string key;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"the public key", folder_.File(u"vendor.pub"), 0, ""},
      {"the secret key", folder_.File(u"vendor.key"), 1, "is not a public key"},
      {"no such file", folder_.File(u"missing.pub"), 1, "cannot read the public key"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(folder_.Path() / "update.exe", program);
    ToolRun run = RunSetupkitCaptured({u"stamp", folder_.File(u"update.exe"),
                                       folder_.File(u"r.rec"), u"--public-key", c.key});
    EXPECT_EQ(run.status, c.status);
    const std::string after = ReadBytes(folder_.Path() / "update.exe");
    if (c.status != 0) {
      EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
      EXPECT_EQ(after, program);
      continue;
    }
    EXPECT_EQ(Resource(after, u"KEY", 1), ReadBytes(folder_.Path() / "vendor.pub"));
    EXPECT_EQ(Resource(after, u"APP", 1), ReadBytes(folder_.Path() / "r.rec"));
  }
}

// Each command that walks a folder (zip, list, build's client and skin folders, in both modes)
// refuses an entry the installer could not put in place as it is with the same one line, naming
// the entry below the folder given and why, and writes nothing.
TEST_F(SetupkitBuildPortableTest, EveryFolderWalkRefusesWhatItCannotPackNamingTheEntry) {
  const fs::path outside = folder_.Path() / "outside";
  fs::create_directories(outside);
  WriteBytes(outside / "secret.txt", "the build machine's own");
  std::vector<std::unique_ptr<MadeLink>> links;
  auto link = [&links, &outside](const fs::path& at, const fs::path& target) {
    links.push_back(std::make_unique<MadeLink>(at, target));
    ASSERT_TRUE(links.back()->Made());
  };
  auto file = [](const fs::path& at) {
    fs::create_directories(at.parent_path());
    WriteBytes(at, "x");
  };
  std::string deep;
  for (int i = 0; i <= kMaxFolderDepth; ++i) deep += "d/";
  const std::string longFolder(200, 'p');
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
    std::string shown;   // the entry below the folder
    std::string reason;  // the start of the reason; "FOLDER" stands for the folder given
  };
  const Case cases[] = {
      {"a link to a folder outside", [&](const fs::path& d) { link(d / "etc", outside); }, "etc",
       "it is a link (a symbolic link or a junction), and setupkit follows no links"},
      {"the installer's journal, in another case",
       [&](const fs::path& d) { file(d / "Install.JOURNAL"); }, "Install.JOURNAL",
       "its name is that of the installer's own \"install.journal\" in the install folder"},
      {"the uninstall list", [&](const fs::path& d) { file(d / "uninst.dat"); }, "uninst.dat",
       "its name is that of the installer's own \"uninst.dat\" in the install folder"},
      {"a staging name", [&](const fs::path& d) { file(d / "lib" / "core.dat.new~"); },
       "lib/core.dat.new~",
       "its name is one the installer gives files it stages (ending in \".new~\" and perhaps a "
       "number)"},
      {"a numbered backup name", [&](const fs::path& d) { file(d / "lib" / "core.dat.OLD~2"); },
       "lib/core.dat.OLD~2",
       "its name is one the installer gives files it moves aside (ending in \".old~\""},
      {"a download's staging name", [&](const fs::path& d) { file(d / "core.dat.download~"); },
       "core.dat.download~",
       "its name is one the installer gives files it downloads (ending in \".download~\")"},
      {"a name that is no whole text",
       [&](const fs::path& d) { file(d / fs::u8path("odd\xEF\xBF\xBD")); }, "odd\xEF\xBF\xBD",
       "its name is not whole text (bytes that are no UTF-8 show as U+FFFD)"},
      {"a tree too deep", [&](const fs::path& d) { file(d / fs::u8path(deep + "x.txt")); },
       deep + "x.txt", "it lies more than 64 folders deep"},
#ifndef _WIN32
      // Wine shows a link to a file as the file itself; Windows tells it as a link.
      {"a link to a file",
       [&](const fs::path& d) { link(d / "lib" / "key", outside / "secret.txt"); }, "lib/key",
       "it is a link"},
      {"a pipe", [](const fs::path& d) { ASSERT_EQ(mkfifo((d / "pipe").c_str(), 0600), 0); },
       "pipe", "it is neither a file nor a folder"},
      {"a name of no text", [&](const fs::path& d) { file(d / "bad\xFF"); }, "bad\xEF\xBF\xBD",
       "its name is not whole text"},
      {"a colon", [&](const fs::path& d) { file(d / "lib" / "a:b.txt"); }, "lib/a:b.txt",
       "its name holds \":\", which Windows reads as a drive or a stream"},
      {"a backslash", [&](const fs::path& d) { file(d / "back\\slash.txt"); }, "back\\slash.txt",
       "its name holds a path separator"},
      {"a trailing dot", [&](const fs::path& d) { file(d / "notes."); }, "notes.",
       "its name ends in a dot or a space, which Windows drops"},
      {"a trailing space", [&](const fs::path& d) { file(d / "lib" / "notes "); }, "lib/notes ",
       "its name ends in a dot or a space"},
      {"a device name", [&](const fs::path& d) { file(d / "lib" / "nul.txt"); }, "lib/nul.txt",
       "its name is a device name"},
      {"a path too long to install",
       [&](const fs::path& d) { file(d / longFolder / std::string(60, 'f')); },
       longFolder + "/" + std::string(60, 'f'),
       "its path is 261 characters long, more than the 256 an installed file's path leaves it"},
      {"a folder path too long to install",
       [&](const fs::path& d) { file(d / longFolder / std::string(55, 'g') / "f"); },
       longFolder + "/" + std::string(55, 'g'),
       "its path is 256 characters long, more than the 255 an installed folder's path leaves it"},
      // Wine's file system, like Windows', holds no two names that differ only in case.
      {"files whose names differ in case", [&](const fs::path& d) { file(d / "lib" / "Core.dat"); },
       "lib/core.dat",
       "its name and that of FOLDER/lib/Core.dat are one name to Windows, which ignores case"},
      {"folders whose names differ in case", [&](const fs::path& d) { file(d / "Lib" / "x"); },
       "lib", "its name and that of FOLDER/Lib are one name to Windows, which ignores case"},
      {"names that differ in case past ASCII",
       [&](const fs::path& d) {
         file(d / fs::u8path("\xC3\x84.txt"));  // Ä
         file(d / fs::u8path("\xC3\xA4.txt"));  // ä
       },
       "\xC3\xA4.txt",
       "its name and that of FOLDER/\xC3\x84.txt are one name to Windows, which ignores case"},
#endif
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path client = folder_.Path() / ("case-" + std::to_string(number++));
    fs::copy(folder_.Path() / "client", client, fs::copy_options::recursive);
    c.make(client);
    const std::u16string out = folder_.File(u"out");
    const std::vector<std::vector<std::u16string>> commands = {
        {u"zip", client.u16string(), out},
        {u"list", client.u16string(), u"http://127.0.0.1/app", out},
        {u"build", u"--config", folder_.File(u"config.txt"), u"--client", client.u16string(),
         u"--stub", Kit(u"setup.exe"), u"-o", out},
        {u"build", u"--config", folder_.File(u"config.txt"), u"--client", client.u16string(),
         u"--stub", Kit(u"setup.exe"), u"-o", out, u"--download"},
        {u"build", u"--config", folder_.File(u"config.txt"), u"--client",
         folder_.File(u"client"), u"--skin", client.u16string(), u"--stub", Kit(u"setup.exe"),
         u"-o", out},
    };
    const std::string shownClient = Utf16ToUtf8(client.u16string().c_str());
    std::string reason = c.reason;
    if (reason.find("FOLDER") != std::string::npos) {
      reason.replace(reason.find("FOLDER"), 6, shownClient);
    }
    const std::string expected =
        "setupkit: " + shownClient + "/" + c.shown + " cannot be packed: " + reason;
    for (const std::vector<std::u16string>& command : commands) {
      SCOPED_TRACE(Utf16ToUtf8(command[0].c_str()) + " " + Utf16ToUtf8(command.back().c_str()));
      ToolRun run = RunSetupkitCaptured(command);
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.err.rfind(expected, 0), 0u) << run.err;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
      EXPECT_FALSE(fs::exists(fs::path(out)));
      EXPECT_FALSE(fs::exists(fs::path(out + u".sig")));
    }
  }
  EXPECT_EQ(ReadBytes(outside / "secret.txt"), "the build machine's own");

  // The longest path an install can take is packed, and as deep as the limit.
  const fs::path longest = folder_.Path() / "longest";
  fs::copy(folder_.Path() / "client", longest, fs::copy_options::recursive);
  file(longest / longFolder / std::string(55, 'f'));
  EXPECT_EQ(RunSetupkitCaptured({u"zip", longest.u16string(), folder_.File(u"long.zip")}).status,
            0);

  const fs::path deepest = folder_.Path() / "deepest";
  fs::copy(folder_.Path() / "client", deepest, fs::copy_options::recursive);
  file(deepest / fs::u8path(deep.substr(2) + "x.txt"));
  EXPECT_EQ(RunSetupkitCaptured({u"zip", deepest.u16string(), folder_.File(u"deep.zip")}).status,
            0);
}

// What the installer would refuse as a damaged package, or install without a client to start,
// is refused at build time with one line, and no installer is written.
TEST_F(SetupkitBuildPortableTest, RefusesAnEmptyClientAndFolderNamesThatAreNotPlain) {
  struct Case {
    const char* name;
    std::string config;
    std::string client;  // the bytes of client.exe
    std::string message;
  };
  const Case cases[] = {
      {"an empty client file", kVendorText, "", "the client file client.exe in "},
      {"app climbing out", "app=..\\..\\..\\evil;\ncompany=Example;\n", "c",
       "config.txt:1: the value of \"app\" must be one plain folder name, and "
       "\"..\\..\\..\\evil\" holds a path separator"},
      {"app empty", "app=;\ncompany=Example;\n", "c", "and \"\" is empty"},
      {"app a device", "app=CON;\ncompany=Example;\n", "c", "\"CON\" is a device name"},
      {"company a path", "app=x;\ncompany=a/b:c;\n", "c",
       "config.txt:2: the value of \"company\" must be one plain folder name"},
      {"company not given", "app=x;\n", "c", "config.txt: \"company\" is not given"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(folder_.Path() / "config.txt", c.config);
    WriteBytes(folder_.Path() / "client" / "client.exe", c.client);
    ToolRun run = Build({}, folder_.File(u"setup.exe"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(fs::exists(folder_.Path() / "setup.exe"));
  }
}

}  // namespace
