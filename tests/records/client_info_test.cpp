#include "records/client_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/text/utf8.h"

namespace {

template <int N>
std::u16string Text(const FixedWString<N>& s) {
  return std::u16string(s.Units(), static_cast<size_t>(s.Length()));
}

std::u16string Written(CClientInfo& info) {
  std::vector<char16_t> out(8192, u'?');
  int units = info.WriteText(out.data(), static_cast<int>(out.size()));
  EXPECT_GT(units, 0);
  EXPECT_EQ(out[units - 1], 0);
  return std::u16string(out.data(), units > 0 ? units - 1 : 0);
}

const std::u16string kDefaultText =
    u"app=test;\r\n"
    u"name=vu;\r\n"
    u"company=Quellin;\r\n"
    u"publisher=\u9752\u67a2\u7f51\u7edc;\r\n"
    u"version=1.0.0.0;\r\n"
    u"style=#00000000;\r\n"
    u"detect=;\r\n"
    u"action=;\r\n"
    u"homepage=http://www.[\u516c\u53f8].example.com/;\r\n"
    u"notify=;\r\n"
    u"protocol=http://www.[\u516c\u53f8].example.com/[\u4ea7\u54c1]/protocol.html;\r\n"
    u"source=http://download.[\u516c\u53f8].example.com/[\u4ea7\u54c1]/app;\r\n"
    u"config=http://download.[\u516c\u53f8].example.com/[\u4ea7\u54c1]/update.xml;\r\n"
    u"source2=http://download.[\u516c\u53f8].example.com/[\u4ea7\u54c1]/app;\r\n"
    u"config2=http://download.[\u516c\u53f8].example.com/[\u4ea7\u54c1]/update2.xml;\r\n"
    u"language=;\r\n";

TEST(ClientInfo, DefaultRecordWritesSixteenLinesInTheWritersOrder) {
  CClientInfo info;
  EXPECT_EQ(Written(info), kDefaultText);
  EXPECT_EQ(Text(info.GetClientFile()), u"client.exe");
  EXPECT_EQ(Text(info.GetUninstallerFile()), u"unins000.exe");
  EXPECT_EQ(Text(info.GetUpdaterFile()), u"update.exe");
  EXPECT_EQ(Text(info.GetDataFolder()), u"storages");
  EXPECT_EQ(Text(info.GetArchiveFile()), u"app.zip");
  EXPECT_EQ(info.GetDigest().Length(), 0);
  EXPECT_EQ(info.GetInstallFolder().Length(), 0);
  EXPECT_EQ(info.GetMainFile().Length(), 0);

  std::vector<std::u16string> keys;
  for (int i = 0; CClientInfo::ConfigKey(i) != nullptr; ++i) {
    keys.push_back(CClientInfo::ConfigKey(i));
  }
  EXPECT_EQ(keys.size(), 16u);
  EXPECT_EQ(keys[5], u"style");
  EXPECT_EQ(CClientInfo::ConfigKey(-1), nullptr);
}

TEST(ClientInfo, WriterNeedsRoomForTheWholeText) {
  CClientInfo info;
  int units = static_cast<int>(kDefaultText.size()) + 1;
  std::vector<char16_t> out(units + 4, u'?');
  EXPECT_EQ(info.WriteText(out.data(), units - 1), 0);
  EXPECT_EQ(out[0], u'?');  // nothing written
  EXPECT_EQ(info.WriteText(out.data(), units), units);
  EXPECT_EQ(info.WriteText(nullptr, 100000), 0);
}

TEST(ClientInfo, ParsingReplacesEveryConfiguredField) {
  CClientInfo info;
  info.SetStyle(0x8);
  ASSERT_TRUE(info.ParseText(
      u"config2=http://b/list2.xml;\r\n"  // before config: must not be taken for it
      u"config=http://b/list.xml;\r\n"
      u"app=demo;\r\n"
      u"name= spaced ;\r\n"
      u"version=2.1;\r\n"));
  EXPECT_EQ(Text(info.GetConfig()), u"http://b/list.xml");
  EXPECT_EQ(Text(info.GetConfig2()), u"http://b/list2.xml");
  EXPECT_EQ(Text(info.GetApp()), u"demo");
  EXPECT_EQ(Text(info.GetName()), u" spaced ");
  EXPECT_EQ(Text(info.GetVersion()), u"2.1");
  // Absent keys leave their fields empty, whatever the defaults were.
  EXPECT_EQ(info.GetHomepage().Length(), 0);
  EXPECT_EQ(info.GetCompany().Length(), 0);
  EXPECT_EQ(info.GetProtocol().Length(), 0);
  EXPECT_EQ(info.GetSource().Length(), 0);
  // A record written before the "language" key reads as the vendor's default left out: Chinese.
  EXPECT_EQ(info.GetLanguage().Length(), 0);
  // Fields without a key and an absent style are kept.
  EXPECT_EQ(Text(info.GetClientFile()), u"client.exe");
  EXPECT_EQ(info.GetStyle(), 0x8u);
  EXPECT_FALSE(info.ParseText(nullptr));
}

TEST(ClientInfo, StyleIsReadAsHexadecimalAfterItsFirstUnit) {
  struct Case {
    const char16_t* text;
    uint32_t expected;
  };
  const uint32_t kBefore = 0x100;
  const Case cases[] = {
      {u"style=#00000024;", 0x24},
      {u"style=#0000ffff;", 0xFFFF},
      {u"style=;", kBefore},   // empty: unchanged
      {u"style=#;", kBefore},  // the mark alone: unchanged
      {u"", kBefore},
      {u"style=# 0x20;", 0x20},       // white space and a 0x prefix
      {u"style=#1fz9;", 0x1F},        // stops at the first other unit
      {u"style=#zz;", 0},             // no digits
      {u"style=x24;", 0x24},          // the first unit is skipped, whatever it is
      {u"style=#123456789;", 0xFFFFFFFF},  // too large: saturates
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    CClientInfo info;
    info.SetStyle(kBefore);
    ASSERT_TRUE(info.ParseText(c.text));
    EXPECT_EQ(info.GetStyle(), c.expected);
  }

  CClientInfo info;
  info.ParseText(u"style=#00000024;");
  EXPECT_TRUE(info.HasStyle(kStyleSendReport | kStyleAutoStart));
  EXPECT_FALSE(info.HasStyle(kStyleDetectSecuritySoftware | kStyleSendReport));
  info.AddStyle(kStyleDetectSecuritySoftware);
  info.RemoveStyle(kStyleSendReport);
  EXPECT_EQ(info.GetStyle(), 0x28u);
  info.SetStyle(0xABCDEF01);
  EXPECT_NE(Written(info).find(u"\r\nstyle=#ABCDEF01;\r\n"), std::u16string::npos);
}

TEST(ClientInfo, ValuesAreCutToWhatTheirFieldKeeps) {
  std::u16string longValue(2000, u'v');
  struct Case {
    const char16_t* key;
    int kept;
    int (*length)(const CClientInfo&);
  };
  const Case cases[] = {
      {u"app", 127, [](const CClientInfo& i) { return i.GetApp().Length(); }},
      {u"name", 127, [](const CClientInfo& i) { return i.GetName().Length(); }},
      {u"version", 127, [](const CClientInfo& i) { return i.GetVersion().Length(); }},
      {u"detect", 255, [](const CClientInfo& i) { return i.GetDetect().Length(); }},
      {u"action", 255, [](const CClientInfo& i) { return i.GetAction().Length(); }},
      {u"homepage", 511, [](const CClientInfo& i) { return i.GetHomepage().Length(); }},
      {u"config2", 511, [](const CClientInfo& i) { return i.GetConfig2().Length(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.key));
    CClientInfo info;
    ASSERT_TRUE(info.ParseText((std::u16string(c.key) + u"=" + longValue + u";").c_str()));
    EXPECT_EQ(c.length(info), c.kept);
  }

  CClientInfo info;
  EXPECT_EQ(info.SetName(longValue.c_str()).Length(), 127);
  EXPECT_EQ(info.SetNotify(longValue.c_str()).Length(), 511);
  EXPECT_EQ(info.SetDigest(longValue.c_str()), 32);
  EXPECT_EQ(info.SetDigest(u"ABC"), 3);
  EXPECT_EQ(Text(info.GetDigest()), u"ABC");
  EXPECT_EQ(info.SetDigest(nullptr), 0);
}

TEST(ClientInfo, WrittenTextParsesBackToTheSameRecord) {
  CClientInfo info;
  info.SetName(u"\u793a\u4f8b\u5ba2\u6237\u7aef");
  info.SetNotify(u"http://127.0.0.1/report");
  info.SetDetect(u"360\u6740\u6bd2");
  info.SetStyle(0x2C);
  std::u16string text = Written(info);
  CClientInfo back;
  ASSERT_TRUE(back.ParseText(text.c_str()));
  EXPECT_EQ(Written(back), text);
}

TEST(ClientInfo, StoredFormsLoadWithAndWithoutTheMark) {
  CClientInfo info;
  info.SetApp(u"marked");
  std::vector<uint8_t> bytes(8192);
  for (bool packed : {true, false}) {
    SCOPED_TRACE(packed);
    uint32_t n = info.Serialize(bytes.data(), static_cast<uint32_t>(bytes.size()), packed);
    ASSERT_GT(n, 0u);
    CClientInfo back;
    ASSERT_TRUE(back.ParseBytes(bytes.data(), n));
    EXPECT_EQ(Text(back.GetApp()), u"marked");
    if (!packed) {
      // Without the mark the bytes are read as UTF-16LE from the first one.
      CClientInfo bare;
      ASSERT_TRUE(bare.ParseBytes(bytes.data() + 2, n - 2));
      EXPECT_EQ(Written(bare), Written(info));
    }
  }
}

TEST(ClientInfo, MainPathIsTheFolderAndTheMainOrClientFile) {
  CClientInfo info;
  info.SetInstallFolder(u"C:\\Program Files\\Demo\\");
  char16_t path[kPathUnits];
  ASSERT_TRUE(info.GetMainPath(path));
  EXPECT_EQ(std::u16string(path), u"C:\\Program Files\\Demo\\client.exe");
  info.SetMainFile(u"launcher.exe");
  ASSERT_TRUE(info.GetMainPath(path));
  EXPECT_EQ(std::u16string(path), u"C:\\Program Files\\Demo\\launcher.exe");
  EXPECT_FALSE(info.GetMainPath(nullptr));

  // A path that does not fit the 260-unit buffer is refused, not cut into another file's name.
  std::u16string folder = u"C:\\" + std::u16string(250, u'f') + u"\\";
  info.SetInstallFolder(folder.c_str());
  char16_t guarded[kPathUnits + 1];
  guarded[kPathUnits] = u'!';
  EXPECT_FALSE(info.GetMainPath(guarded));
  EXPECT_EQ(guarded[0], 0);
  EXPECT_EQ(guarded[kPathUnits], u'!');
  info.SetMainFile(std::u16string(kPathUnits - 1 - folder.size(), u'm').c_str());
  ASSERT_TRUE(info.GetMainPath(guarded));
  EXPECT_EQ(std::u16string(guarded).size(), static_cast<size_t>(kPathUnits - 1));
}

}  // namespace
