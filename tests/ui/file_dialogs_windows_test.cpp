#include "ui/file_dialogs.h"

#include <gtest/gtest.h>

#include <string>

#include "records/current_language.h"
#include "tests/helpers/scripted_choices.h"

namespace {

using namespace std::string_literals;

void* const kOwner = reinterpret_cast<void*>(0x1234);

TEST(ChooseFile, OffersTheListedExtensionsAndReturnsTheFirstResult) {
  struct Case {
    const char* name;
    const char16_t* extensions;
    bool allowMultiple;
    ScriptedChoices::Answer answer;
    bool chosen;
    std::u16string out;
    std::u16string offeredFilter;
  };
  const std::u16string pngJpg = u"png,,jpg(*.png;*.jpg;)\0*.png;*.jpg;\0\0"s;
  const Case cases[] = {
      {"one file", u"png,,jpg", false, {true, u"C:\\skins\\a.png", 1}, true,
       u"C:\\skins\\a.png", pngJpg},
      {"several files: the folder", u"png,,jpg", true,
       {true, u"C:\\skins\0a.png\0b.jpg\0"s, 1}, true, u"C:\\skins", pngJpg},
      {"every file", u"", false, {true, u"C:\\notes.txt", 1}, true, u"C:\\notes.txt",
       u"All files(*.*)\0*.*\0\0"s},
      {"another filter in force", u"png", false, {true, u"C:\\a.bmp", 2}, false, u"untouched",
       u"png(*.png;)\0*.png;\0\0"s},
      {"cancelled", u"png", false, {false, u"", 1}, false, u"untouched",
       u"png(*.png;)\0*.png;\0\0"s},
      {"result longer than out", u"png", false, {true, u"C:\\" + std::u16string(300, u'n'), 1},
       false, u"untouched", u"png(*.png;)\0*.png;\0\0"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedChoices choices(c.answer);
    char16_t out[260] = u"untouched";
    EXPECT_EQ(ChooseFile(out, 260, kOwner, c.extensions, c.allowMultiple), c.chosen);
    EXPECT_EQ(std::u16string(out), c.out);
    EXPECT_EQ(choices.Offered().shown, 1);
    EXPECT_EQ(choices.Offered().owner, kOwner);
    EXPECT_EQ(choices.Offered().allowMultiple, c.allowMultiple);
    EXPECT_EQ(choices.Offered().filter, c.offeredFilter);
  }
}

TEST(ChooseFile, ShowsNothingWithoutAListOrAnOutput) {
  ScriptedChoices choices({true, u"C:\\a.png", 1});
  char16_t out[260] = {};
  EXPECT_FALSE(ChooseFile(nullptr, 260, kOwner, u"png", false));
  EXPECT_FALSE(ChooseFile(out, 260, kOwner, nullptr, false));
  EXPECT_FALSE(ChooseFile(out, 0, kOwner, u"png", false));
  EXPECT_EQ(choices.Offered().shown, 0);
}

TEST(ChooseFolder, ReturnsTheChosenFolderAndLeavesOutAloneOtherwise) {
  struct Case {
    const char* name;
    const char16_t* title;
    ScriptedChoices::Answer answer;
    std::u16string before;
    bool chosen;
    std::u16string out;
    std::u16string offeredTitle;
  };
  const Case cases[] = {
      {"chosen", nullptr, {true, u"D:\\Games"}, u"", true, u"D:\\Games", Text(TextKey::kWindowChooseFolder)},
      {"chosen, own title", u"Install to", {true, u"D:\\Games"}, u"C:\\old", true, u"D:\\Games",
       u"Install to"},
      {"cancelled, empty", nullptr, {false, u""}, u"", false, u"", Text(TextKey::kWindowChooseFolder)},
      // Cancelling is not a choice, even when out still holds an earlier folder.
      {"cancelled, not empty", nullptr, {false, u""}, u"C:\\old", false, u"C:\\old",
       Text(TextKey::kWindowChooseFolder)},
      {"no file-system path", nullptr, {true, u""}, u"C:\\old", false, u"C:\\old",
       Text(TextKey::kWindowChooseFolder)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedChoices choices(c.answer);
    char16_t out[260] = {};
    c.before.copy(out, c.before.size());
    EXPECT_EQ(ChooseFolder(out, 260, kOwner, c.title), c.chosen);
    EXPECT_EQ(std::u16string(out), c.out);
    EXPECT_EQ(choices.Offered().shown, 1);
    EXPECT_EQ(choices.Offered().owner, kOwner);
    EXPECT_EQ(choices.Offered().title, c.offeredTitle);
  }
  ScriptedChoices choices({true, u"D:\\Games"});
  char16_t small[8] = u"old";
  EXPECT_FALSE(ChooseFolder(small, 8, kOwner, nullptr));  // "D:\Games" needs 9 units
  EXPECT_EQ(std::u16string(small), u"old");
  EXPECT_FALSE(ChooseFolder(nullptr, 260, kOwner, nullptr));
}

}  // namespace
