#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "product/listed_files.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "support/container/packed_container.h"
#include "support/crypto/sha256.h"
#include "support/delta/file_patch.h"
#include "support/text/utf8.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

class SetupkitList : public testing::Test {
 protected:
  SetupkitList() {
    fs::create_directories(client_ / u"skin");
    fs::create_directories(client_ / u"\u6570\u636E" / u"\u7A7A");  // 数据/空: an empty folder
    WriteBytes(client_ / u"client.exe", std::string(20000, 'M') + "the client");
    WriteBytes(client_ / u"skin" / u"back.png", std::string(3000, '\x07'));
    WriteBytes(client_ / u"\u6570\u636E" / u"\u8BF4\u660E.txt", "\xE8\xAF\xB4\xE6\x98\x8E");
    WriteBytes(client_ / u"empty.dll", "");
  }

  std::u16string Client() const { return client_.u16string(); }

  TempFolder folder_;
  fs::path client_ = folder_.Path() / "client";
};

// Each name in a URL is escaped but for the characters URLs keep as they are, so that servers
// find the file of exactly that name.
TEST_F(SetupkitList, WritesEveryNonEmptyFileWithItsSizeDigestAndUrl) {
  const std::u16string reserved[] = {u"#1.dll", u"100%25.dll", u"a&b;c.dll", u"c++.dll",
                                     u"what is.dll"};
  fs::create_directories(client_ / u"plugins" / u"a b");
  for (const std::u16string& name : reserved) {
    WriteBytes(client_ / u"plugins" / u"a b" / name, "plug-in " + fs::path(name).u8string());
  }
  std::u16string out = folder_.File(u"update.xml");
  ToolRun run = RunSetupkitCaptured(
      {u"list", Client(), u"http://127.0.0.1/c", out, u"--version", u"2.0.1.5"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("empty.dll is empty"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("is not signed"), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2);
  EXPECT_EQ(ReadBytes(fs::path(out)).substr(0, 2), "\xFF\xFE");

  CUpdateInfo list;
  ASSERT_TRUE(list.LoadFromFile(out.c_str()));
  EXPECT_EQ(std::u16string(list.GetVersion()), u"2.0.1.5");
  struct Expected {
    std::u16string file;
    std::u16string url;
    std::string bytes;
  } expected[] = {
      {u"client.exe", u"http://127.0.0.1/c/client.exe", std::string(20000, 'M') + "the client"},
      {u"plugins\\a b\\#1.dll", u"http://127.0.0.1/c/plugins/a%20b/%231.dll", "plug-in #1.dll"},
      {u"plugins\\a b\\100%25.dll", u"http://127.0.0.1/c/plugins/a%20b/100%2525.dll",
       "plug-in 100%25.dll"},
      {u"plugins\\a b\\a&b;c.dll", u"http://127.0.0.1/c/plugins/a%20b/a%26b%3Bc.dll",
       "plug-in a&b;c.dll"},
      {u"plugins\\a b\\c++.dll", u"http://127.0.0.1/c/plugins/a%20b/c%2B%2B.dll",
       "plug-in c++.dll"},
      {u"plugins\\a b\\what is.dll", u"http://127.0.0.1/c/plugins/a%20b/what%20is.dll",
       "plug-in what is.dll"},
      {u"skin\\back.png", u"http://127.0.0.1/c/skin/back.png", std::string(3000, '\x07')},
      {u"\u6570\u636E\\\u8BF4\u660E.txt",
       u"http://127.0.0.1/c/%E6%95%B0%E6%8D%AE/%E8%AF%B4%E6%98%8E.txt", "\xE8\xAF\xB4\xE6\x98\x8E"},
  };
  ASSERT_EQ(list.Count(), static_cast<int>(std::size(expected)));
  for (int i = 0; i < list.Count(); ++i) {
    SCOPED_TRACE(i);
    const UpdateItem* item = list.Get(i);
    EXPECT_EQ(item->action, UpdateItem::kActionUpdate);
    EXPECT_EQ(std::u16string(item->file), expected[i].file);
    EXPECT_EQ(std::u16string(item->url), expected[i].url);
    EXPECT_EQ(item->size, static_cast<int32_t>(expected[i].bytes.size()));
    EXPECT_EQ(std::u16string(item->md5), Md5Hex(expected[i].bytes));
  }
  EXPECT_TRUE(VerifyListedFiles(list, Client().c_str(), nullptr));
}

TEST_F(SetupkitList, PackedListsLoadAlikeAndShowPrintsTheListText) {
  std::u16string plain = folder_.File(u"plain.xml");
  std::u16string packed = folder_.File(u"packed.xml");
  ASSERT_EQ(RunSetupkitCaptured({u"list", Client(), u"http://h/", plain}).status, 0);
  ASSERT_EQ(RunSetupkitCaptured({u"list", Client(), u"http://h/", packed, u"--packed"}).status,
            0);
  std::string packedBytes = ReadBytes(fs::path(packed));
  EXPECT_TRUE(HasContainerMarker(reinterpret_cast<const uint8_t*>(packedBytes.data()),
                                 static_cast<uint32_t>(packedBytes.size())));

  ToolRun shownPlain = RunSetupkitCaptured({u"show", plain});
  ToolRun shownPacked = RunSetupkitCaptured({u"show", packed});
  ASSERT_EQ(shownPlain.status, 0) << shownPlain.err;
  EXPECT_EQ(shownPacked.out, shownPlain.out);
  std::string head = "<list version=\"\">\r\n<item action=\"0\" file=\"client.exe\" size=\"20010\"";
  EXPECT_EQ(shownPlain.out.substr(0, head.size()), head);
  EXPECT_NE(shownPlain.out.find("file=\"\xE6\x95\xB0\xE6\x8D\xAE\\\xE8\xAF\xB4\xE6\x98\x8E.txt\""),
            std::string::npos)
      << shownPlain.out;
  EXPECT_EQ(shownPlain.out.substr(shownPlain.out.size() - 9), "</list>\r\n");
}

TEST_F(SetupkitList, RefusesFoldersItCannotListWithoutWritingTheList) {
  fs::create_directories(folder_.Path() / "empty");
  fs::create_directories(folder_.Path() / "only-empty" / "sub");
  WriteBytes(folder_.Path() / "only-empty" / "sub" / "nothing.txt", "");
  WriteBytes(folder_.Path() / "a-file", "x");
  // 85 characters that take nine each in a URL: 765 past "http://h/".
  fs::create_directories(folder_.Path() / "long-url");
  const std::u16string longName(85, u'\u8d44');
  WriteBytes(folder_.Path() / "long-url" / longName, "x");
  struct Case {
    const char* name;
    std::u16string folder;
    std::string message;
  } cases[] = {
      {"missing", folder_.File(u"missing"), "missing is not a folder"},
      {"a file", folder_.File(u"a-file"), "a-file is not a folder"},
      {"empty", folder_.File(u"empty"), "empty holds no files to list"},
      {"only empty files", folder_.File(u"only-empty"), "only-empty holds no files to list"},
      {"a URL too long", folder_.File(u"long-url"),
       "cannot be packed: its URL, with the names in it escaped, is 774 characters long, more "
       "than the 767 an update list keeps"},
  };
#ifndef _WIN32
  // Names only other file systems allow.
  std::vector<Case> all(std::begin(cases), std::end(cases));
  for (const char* name : {"dot.", "colon:a", "CON.txt"}) {
    fs::path odd = folder_.Path() / (std::string("odd-") + name);
    fs::create_directories(odd);
    WriteBytes(odd / name, "x");
    all.push_back({name, odd.u16string(), odd.u8string() + "/" + name + " cannot be packed: its name "});
  }
#else
  const auto& all = cases;
#endif
  for (const Case& c : all) {
    SCOPED_TRACE(c.name);
    std::u16string out = folder_.File(u"out.xml");
    ToolRun run = RunSetupkitCaptured({u"list", c.folder, u"http://h/", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(fs::exists(fs::path(out)));
  }
}

TEST_F(SetupkitList, OptionsFollowTheArgumentsOnceEach) {
  std::u16string out = folder_.File(u"out.xml");
  const std::vector<std::u16string> wrong[] = {
      {u"list", Client(), u"http://h/"},
      {u"list", Client(), u"http://h/", out, u"--version"},
      {u"list", Client(), u"http://h/", out, u"--packed", u"--packed"},
      {u"list", Client(), u"http://h/", out, u"--version", u"1", u"--version", u"2"},
      {u"list", Client(), u"http://h/", out, u"--level", u"1"},
  };
  for (const auto& args : wrong) {
    EXPECT_EQ(RunSetupkitCaptured(args).status, 2);
    EXPECT_FALSE(fs::exists(fs::path(out)));
  }
  ToolRun noBase = RunSetupkitCaptured({u"list", Client(), u"", out});
  EXPECT_EQ(noBase.status, 1);
  EXPECT_EQ(noBase.err, "setupkit: the URL base is empty\n");
  EXPECT_FALSE(fs::exists(fs::path(out)));
  ASSERT_EQ(RunSetupkitCaptured(
                {u"list", Client(), u"http://h/", out, u"--packed", u"--version", u"3.1"})
                .status,
            0);
  CUpdateInfo list;
  ASSERT_TRUE(list.LoadFromFile(out.c_str()));
  EXPECT_EQ(std::u16string(list.GetVersion()), u"3.1");
}

TEST(SetupkitShow, PrintsAnUninstallListOneEntryALine) {
  struct Case {
    const char* name;
    std::vector<std::u16string> entries;
    std::string shown;
  };
  const Case cases[] = {
      {"three entries",
       {u"bin\\", u"bin\\client.exe", u"\u6570\u636E\\\u8BF4\u660E.txt"},
       "bin\\\r\nbin\\client.exe\r\n"
       "\xE6\x95\xB0\xE6\x8D\xAE\\\xE8\xAF\xB4\xE6\x98\x8E.txt\r\n"},
      // Saved as the mark alone.
      {"empty", {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    CUninstInfo list;
    for (const std::u16string& entry : c.entries) list.Add(entry.c_str(), -1);
    std::u16string file = folder.File(u"uninst.dat");
    ASSERT_TRUE(list.SaveToFile(file.c_str()));

    ToolRun run = RunSetupkitCaptured({u"show", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, c.shown);
  }
}

}  // namespace

namespace {

std::string Sha256Of(const std::string& bytes) {
  char16_t digest[65];
  EXPECT_TRUE(Sha256HexOfMemory(digest, bytes.data(), bytes.size()));
  return Utf16ToUtf8(digest);
}

}  // namespace

// With earlier versions (--previous, any number), each changed file gets a patch from each
// earlier version of it, written beside the list at the file's relative path and listed under
// its item, so that the file's URL below the base leads to it; a patch of half the file or more,
// an unchanged file and a file new in this version get none. Every listed patch makes the new
// file from the earlier one.
TEST_F(SetupkitList, ChangedFilesGetPatchesFromEarlierVersions) {
  const std::string program = Noise(100000, 3);
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::string> earlier;  // its bytes in each earlier version; empty: not there
    std::string now;
    size_t deltas;
  };
  const Case cases[] = {
      {"changed a little since each", "bin/app.exe",
       {program, program.substr(0, 50000) + "v2" + program.substr(50002)},
       program.substr(0, 50000) + "v3" + program.substr(50002) + "appended", 2},
      {"unchanged since the last", "same.dll", {program, program}, program, 0},
      {"changed whole", "data.bin", {Noise(100000, 4), ""}, Noise(100000, 5), 0},
      {"new in this version", "new.dll", {"", ""}, program, 0},
      {"the same change from both", "twice.dll", {program, program}, program + "!", 1},
  };
  std::vector<std::u16string> previous;
  for (size_t v = 0; v < 2; ++v) {
    const fs::path folder = folder_.Path() / ("v" + std::to_string(v));
    for (const Case& c : cases) {
      if (c.earlier[v].empty()) continue;
      fs::create_directories((folder / fs::u8path(c.file)).parent_path());
      WriteBytes(folder / fs::u8path(c.file), c.earlier[v]);
    }
    const ToolRun listed = RunSetupkitCaptured(
        {u"list", folder.u16string(), u"http://h/app", (folder / "update.xml").u16string()});
    ASSERT_EQ(listed.status, 0) << listed.err;
    previous.push_back(folder.u16string());
  }
  const fs::path now = folder_.Path() / "now";
  for (const Case& c : cases) {
    fs::create_directories((now / fs::u8path(c.file)).parent_path());
    WriteBytes(now / fs::u8path(c.file), c.now);
  }
  const fs::path site = folder_.Path() / "site";
  fs::create_directories(site);
  const std::u16string out = (site / "update.xml").u16string();
  ToolRun run = RunSetupkitCaptured({u"list", now.u16string(), u"http://h/app", out,
                                     u"--previous", previous[0], u"--previous", previous[1]});
  ASSERT_EQ(run.status, 0) << run.err;

  CUpdateInfo list;
  ASSERT_TRUE(list.LoadFromFile(out.c_str()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const UpdateItem* item = nullptr;
    for (int i = 0; i < list.Count(); ++i) {
      if (Utf16ToUtf8(list.Get(i)->url.c_str()) == "http://h/app/" + c.file) item = list.Get(i);
    }
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(item->deltas.size(), c.deltas);
    for (size_t d = 0; d < item->deltas.size(); ++d) {
      const ItemDelta& delta = item->deltas[d];
      EXPECT_EQ(Utf16ToUtf8(delta.from), Sha256Of(c.earlier[d]));
      const fs::path patch = site / fs::u8path(c.file + "." + Utf16ToUtf8(delta.from) + ".patch");
      const std::string bytes = ReadBytes(patch);
      EXPECT_EQ(static_cast<int64_t>(bytes.size()), delta.size);
      EXPECT_LT(bytes.size(), c.now.size() / 10);
      EXPECT_EQ(Utf16ToUtf8(delta.sha256), Sha256Of(bytes));
      WriteBytes(folder_.Path() / "earlier", c.earlier[d]);
      std::u16string why;
      ASSERT_TRUE(ApplyFilePatch(folder_.File(u"earlier").c_str(), patch.u16string().c_str(),
                                 folder_.File(u"made").c_str(), c.now.size(), &why));
      EXPECT_TRUE(ReadBytes(folder_.Path() / "made") == c.now);
      fs::remove(folder_.Path() / "made");
    }
  }
  // Nothing but the list and the listed patches.
  size_t written = 0;
  for (const auto& entry : fs::recursive_directory_iterator(site)) {
    written += entry.is_regular_file() ? 1 : 0;
  }
  EXPECT_EQ(written, 4u);

  const ToolRun noList = RunSetupkitCaptured(
      {u"list", now.u16string(), u"http://h/app", folder_.File(u"other.xml"), u"--previous",
       now.u16string()});
  EXPECT_EQ(noList.status, 1);
  EXPECT_NE(noList.err.find("holds no update list"), std::string::npos) << noList.err;
  EXPECT_FALSE(fs::exists(folder_.Path() / "other.xml"));
}
