#include "tools/setupkit/payload_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <png.h>

#include "product/listed_files.h"
#include "records/update_info.h"
#include "support/files/xdata.h"
#include "support/zip/xzip.h"
#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/image_files.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

std::string SkinPng(int width, int colorType) {
  return EncodePng({width, 2, colorType, 8, false, false, {}, PatternColours(width, 2, true)});
}

class PayloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_.Path() / "client" / "data" / "deep");
    fs::create_directories(folder_.Path() / "skin");
    client_ = {{"client.exe", "MZ pretend client"},
               {"readme.txt", "hello"},
               {"data/deep/blob.bin", BytePattern(300000)},
               {"data/empty.dat", ""}};
    for (const auto& [name, bytes] : client_) WriteBytes(folder_.Path() / "client" / name, bytes);
    WriteBytes(folder_.Path() / "skin" / "bg.png", SkinPng(6, PNG_COLOR_TYPE_RGB));
    WriteBytes(folder_.Path() / "skin" / "logo.png", SkinPng(3, PNG_COLOR_TYPE_RGB_ALPHA));
    WriteBytes(folder_.Path() / "theme.txt", "\"font\"=\"SimSun\"\r\n");
    config_.SetVersion(u"1.2.0.0");
    config_.SetSource(u"http://127.0.0.1/app");
    sources_.client = (folder_.Path() / "client").u16string();
    sources_.skin = (folder_.Path() / "skin").u16string();
    sources_.theme = (folder_.Path() / "theme.txt").u16string();
  }

  // BuildPayload into a file, whose bytes payload receives; nothing is left of a failed one, nor
  // of the client archive made on the way.
  bool Build(const PackageSources& sources, const CClientInfo& config, std::string& payload,
             std::string& list, std::string& problem) {
    const fs::path file = folder_.Path() / "payload.zip";
    const bool built = BuildPayload(sources, config, file.u16string(), list, problem);
    payload = built ? ReadBytes(file) : "";
    EXPECT_EQ(fs::exists(file), built);
    EXPECT_FALSE(fs::exists(folder_.Path() / "payload.zip.app.zip~"));
    fs::remove(file);
    return built;
  }

  TempFolder folder_;
  std::map<std::string, std::string> client_;
  CClientInfo config_;
  PackageSources sources_;
};

TEST_F(PayloadTest, CarriesSkinThemeListAndTheEncryptedClient) {
  for (bool download : {false, true}) {
    SCOPED_TRACE(download ? "download" : "archive");
    sources_.download = download;
    std::string payload, listed, problem;
    ASSERT_TRUE(Build(sources_, config_, payload, listed, problem)) << problem;
    std::map<std::string, std::string> entries = ReadArchiveFiles(payload);
    EXPECT_EQ(entries["update.xml"], listed);
    EXPECT_EQ(entries.size(), download ? 4u : 5u);
    EXPECT_EQ(entries["bg.png"], SkinPng(6, PNG_COLOR_TYPE_RGB));
    EXPECT_EQ(entries["logo.png"], SkinPng(3, PNG_COLOR_TYPE_RGB_ALPHA));
    EXPECT_EQ(entries["theme.txt"], "\"font\"=\"SimSun\"\r\n");
    EXPECT_EQ(entries.count("app.zip"), download ? 0u : 1u);
    if (!download) {
      EXPECT_EQ(ReadArchiveFiles(entries["app.zip"]), client_);
    }

    CUpdateInfo list;
    const std::string& xml = entries["update.xml"];
    ASSERT_TRUE(list.ParseBytes(reinterpret_cast<const uint8_t*>(xml.data()),
                                static_cast<uint32_t>(xml.size())));
    EXPECT_EQ(std::u16string(list.GetVersion()), u"1.2.0.0");
    ASSERT_EQ(list.Count(), 3);  // the empty file is not listed
    std::map<std::u16string, std::u16string> urls;
    for (int i = 0; i < list.Count(); ++i) urls[list.Get(i)->file] = list.Get(i)->url;
    EXPECT_EQ(urls[u"data\\deep\\blob.bin"], u"http://127.0.0.1/app/data/deep/blob.bin");
    EXPECT_EQ(urls[u"client.exe"], u"http://127.0.0.1/app/client.exe");
    EXPECT_TRUE(VerifyListedFiles(list, sources_.client.c_str(), nullptr));
  }
}

// For a stub that reads it in place the client archive is stored as it is, its entries still
// encrypted: an installer reads it where it lies, while a reader that takes every entry of the
// payload whole (as earlier stubs do) refuses it, which is why only such a stub is given it.
TEST_F(PayloadTest, TheClientArchiveStoredAsItIsOnlyWhenAsked) {
  for (const bool inPlace : {false, true}) {
    SCOPED_TRACE(inPlace ? "in place" : "packed");
    sources_.clientInPlace = inPlace;
    std::string payload, listed, problem;
    ASSERT_TRUE(Build(sources_, config_, payload, listed, problem)) << problem;
    XZip archive;
    ASSERT_TRUE(archive.OpenMemory(payload.data(), static_cast<uint32_t>(payload.size()),
                                   XZip::GetArchivePassword()));
    const int index = archive.Find(u"app.zip", nullptr);
    ASSERT_GE(index, 0);
    XData whole;
    EXPECT_EQ(archive.ReadItem(index, &whole), !inPlace);
    XZip client;
    ASSERT_EQ(client.OpenNested(archive, index, XZip::GetArchivePassword()), inPlace);
    std::map<std::string, std::string> files = ReadArchiveFiles(ReadArchiveFiles(payload)["app.zip"]);
    EXPECT_EQ(files, client_);
    EXPECT_EQ(ReadArchiveFiles(payload).at("theme.txt"), "\"font\"=\"SimSun\"\r\n");
  }
}

TEST_F(PayloadTest, WithoutSourceOnlyTheClientArchiveGoesIn) {
  PackageSources sources = sources_;
  sources.skin.clear();
  sources.theme.clear();
  config_.SetSource(u"");
  std::string payload, list, problem;
  ASSERT_TRUE(Build(sources, config_, payload, list, problem)) << problem;
  EXPECT_EQ(list, "");
  std::map<std::string, std::string> entries = ReadArchiveFiles(payload);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(ReadArchiveFiles(entries["app.zip"]), client_);
}

TEST_F(PayloadTest, RefusesWhatWouldMakeABrokenInstaller) {
  struct Case {
    const char* name;
    const char16_t* client;  // null: the prepared folder
    const char16_t* clientFile;
    const char16_t* source;
    const char16_t* skin;  // null: the prepared folder
    bool download;
    std::string problemStart;
  };
  const std::u16string missing = (folder_.Path() / "missing").u16string();
  const Case cases[] = {
      {"no client folder", missing.c_str(), u"client.exe", u"http://h/app", nullptr, false,
       "the client folder "},
      {"no client file", nullptr, u"launcher.exe", u"http://h/app", nullptr, false,
       "the client folder "},
      {"download without source", nullptr, u"client.exe", u"", nullptr, true,
       "a download-mode installer needs a \"source\" URL"},
      {"no skin folder", nullptr, u"client.exe", u"http://h/app", missing.c_str(), false,
       "the skin folder "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackageSources sources = sources_;
    if (c.client != nullptr) sources.client = c.client;
    if (c.skin != nullptr) sources.skin = c.skin;
    sources.download = c.download;
    CClientInfo config = config_;
    config.SetClientFile(c.clientFile);
    config.SetSource(c.source);
    std::string payload, list, problem;
    EXPECT_FALSE(Build(sources, config, payload, list, problem));
    EXPECT_EQ(problem.rfind(c.problemStart, 0), 0u) << problem;
    EXPECT_EQ(problem.find('\n'), std::string::npos);
    EXPECT_TRUE(payload.empty());
  }
}

TEST_F(PayloadTest, RefusesSkinImagesTheInstallerCannotDecode) {
  const std::string png = SkinPng(6, PNG_COLOR_TYPE_RGB_ALPHA);
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"palette PNG", SkinPng(4, PNG_COLOR_TYPE_PALETTE)},
      {"grey PNG", SkinPng(4, PNG_COLOR_TYPE_GRAY)},
      {"CMYK JPEG", EncodeJpegSamples(8, 8, 4, std::vector<uint8_t>(8 * 8 * 4, 60))},
      {"GIF", std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14)},
      {"damaged PNG", png.substr(0, png.size() - 20)},
      {"not an image", "\x89PNG pretend"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(folder_.Path() / "skin" / "btn_start.png", c.bytes);
    std::string payload, list, problem;
    EXPECT_FALSE(Build(sources_, config_, payload, list, problem));
    EXPECT_EQ(problem.rfind("the skin image btn_start.png cannot be decoded", 0), 0u) << problem;
    EXPECT_NE(problem.find("convert it to RGB or RGBA PNG"), std::string::npos);
    EXPECT_EQ(problem.find('\n'), std::string::npos);
    EXPECT_TRUE(payload.empty());
  }
}

// A larger image (name@2x.png) is shown in place of its twin at high DPI, laid out by the twin's
// size: it goes in only beside its twin and exactly twice its size (bg.png is 6 x 2, logo.png
// 3 x 2).
TEST_F(PayloadTest, LargerImagesMustBeTwiceTheSizeOfTheirTwins) {
  auto png = [](int width, int height) {
    return EncodePng({width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, {},
                      PatternColours(width, height, true)});
  };
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    std::string problem;  // empty: accepted
  };
  const std::vector<Case> cases = {
      {"twice the size", {{"bg@2x.png", png(12, 4)}, {"LOGO@2X.png", png(6, 4)}}, ""},
      {"too narrow", {{"logo@2x.png", png(5, 4)}},
       "the skin image logo@2x.png is 5 x 4; as the larger twin of logo.png (3 x 2) it must be "
       "6 x 4"},
      {"only taller", {{"bg@2x.png", png(6, 4)}},
       "the skin image bg@2x.png is 6 x 4; as the larger twin of bg.png (6 x 2) it must be "
       "12 x 4"},
      {"without a twin", {{"waiting@2x.png", png(4, 4)}},
       "the skin image waiting@2x.png has no waiting.png to be the larger twin of"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [name, bytes] : c.files) WriteBytes(folder_.Path() / "skin" / name, bytes);
    std::string payload, list, problem;
    const bool built = Build(sources_, config_, payload, list, problem);
    EXPECT_EQ(problem, c.problem);
    EXPECT_EQ(built, c.problem.empty());
    if (built) {
      std::map<std::string, std::string> entries = ReadArchiveFiles(payload);
      for (const auto& [name, bytes] : c.files) EXPECT_EQ(entries[name], bytes) << name;
    } else {
      EXPECT_TRUE(payload.empty());
    }
    for (const auto& file : c.files) fs::remove(folder_.Path() / "skin" / file.first);
  }
}

}  // namespace
