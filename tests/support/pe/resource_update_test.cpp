#include "support/pe/resource_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/files/file_stream.h"
#include "support/pe/pe_image.h"
#include "support/pe/rebuilt_image_file.h"
#include "support/pe/resource_tree.h"
#include "tests/helpers/pe_builder.h"
#include "tests/helpers/temp_folder.h"

namespace {

ResourceItem Item(const std::u16string& type, uint16_t id, uint16_t language, std::string bytes) {
  ResourceItem item;
  item.type.text = type;
  item.name.number = id;
  item.language = language;
  item.bytes = std::move(bytes);
  return item;
}

ResourceItem NamedItem(uint16_t type, const std::u16string& name, std::string bytes) {
  ResourceItem item;
  item.type.number = type;
  item.name.text = name;
  item.language = 1033;
  item.bytes = std::move(bytes);
  return item;
}

std::string Pattern(size_t n, int seed) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 7 + seed) % 251);
  return bytes;
}

// What a tree holds, to compare trees by.
std::vector<std::string> Describe(const std::vector<ResourceItem>& items) {
  std::vector<std::string> lines;
  for (const ResourceItem& item : items) {
    std::string line;
    for (const ResourceName* name : {&item.type, &item.name}) {
      line += name->text.empty() ? "#" + std::to_string(name->number)
                                 : std::string(name->text.begin(), name->text.end());
      line += "/";
    }
    lines.push_back(line + std::to_string(item.language) + "/" + std::to_string(item.codePage) +
                    "=" + item.bytes);
  }
  return lines;
}

std::vector<ResourceItem> ItemsOf(const std::string& image) {
  PeImage pe;
  ResourceTree tree;
  std::string problem;
  EXPECT_TRUE(pe.Parse(image, problem)) << problem;
  EXPECT_TRUE(tree.Read(image, pe, problem)) << problem;
  return tree.Items();
}

// The file WriteRebuiltImage makes of image with gap as its streamed bytes.
std::string WrittenImage(const RebuiltImage& image, const std::string& gap) {
  TempFolder folder;
  WriteBytes(folder.Path() / "gap", gap);
  FileStream source = OpenFileStream(folder.File(u"gap").c_str(), "rb");
  FileStream out = OpenFileStream(folder.File(u"image").c_str(), "wb");
  EXPECT_TRUE(WriteRebuiltImage(image, source.get(), out.get()));
  out.reset();
  return ReadBytes(folder.Path() / "image");
}

// A program's resources as a linker leaves them: a manifest and a named image.
std::vector<ResourceItem> LinkedResources() {
  return {Item(u"IMAGE", 1, 1033, "border"), NamedItem(24, u"MANIFEST.XML", "<assembly/>"),
          NamedItem(3, u"ICON", Pattern(700, 3))};
}

std::string LinkedTree(uint32_t address) {
  ResourceTree tree;
  for (const ResourceItem& item : LinkedResources()) tree.Put(item);
  return tree.Write(address);
}

// A program with code and data, its resources, and the base relocations after them.
TestImage Program() {
  TestImage image;
  image.sections = {{".text", Pattern(3000, 1), TestImage::kCode},
                    {".data", Pattern(600, 2), TestImage::kData},
                    {".rsrc", "", TestImage::kResources},
                    {".reloc", Pattern(300, 4), TestImage::kRelocations}};
  image.resourceSection = 2;
  image.resources = LinkedTree;
  image.relocationSection = 3;
  return image;
}

TEST(PeResources, RebuiltImageKeepsWhatItHadAndMovesWhatFollowsTheResources) {
  struct Case {
    const char* name;
    TestImage image;
    size_t newBytes;  // the size of the payload put in
  };
  std::vector<Case> cases;
  cases.push_back({"relocations after the resources", Program(), 100});
  cases.push_back({"resources outgrow their address range", Program(), 70000});
  TestImage last = Program();
  last.sections.pop_back();
  last.relocationSection = -1;
  cases.push_back({"resources last", last, 70000});
  TestImage debug = Program();
  debug.sections.push_back({"/4", Pattern(5000, 5), TestImage::kRelocations});
  debug.sections.push_back({"/19", Pattern(900, 6), TestImage::kRelocations});
  debug.overlay = Pattern(18, 7) + std::string("\x0C\0\0\0.debug_x\0", 13);
  debug.symbolTable = true;
  cases.push_back({"debug information and a symbol table", debug, 9000});
  TestImage signedImage = Program();
  signedImage.certificate = Pattern(64, 8);
  signedImage.checkSum = true;
  cases.push_back({"signed, with a checksum", signedImage, 2000});
  TestImage appended = Program();
  appended.overlay = "bytes after the sections";
  appended.checkSum = true;
  cases.push_back({"bytes after the sections", appended, 5001});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string original = BuildTestImage(c.image);
    PeImage before;
    std::string problem;
    ASSERT_TRUE(before.Parse(original, problem)) << problem;
    std::vector<ResourceItem> added = {Item(u"tail", 1, 2052, Pattern(c.newBytes, 9)),
                                       Item(u"APP", 1, 2052, "record")};
    std::string image = original;
    bool dropped = false;
    ASSERT_TRUE(PutImageResources(image, added, problem, &dropped)) << problem;
    EXPECT_EQ(dropped, !c.image.certificate.empty());
    // The tail's data streamed from a file instead, among items whose data comes after it: the
    // same file, checksum and all.
    std::vector<ResourceItem> streamed = added;
    streamed[0].bytes.clear();
    streamed[0].streamedLength = static_cast<uint32_t>(c.newBytes);
    RebuiltImage planned;
    ASSERT_TRUE(PlanImageResources(original, streamed, planned, problem)) << problem;
    EXPECT_EQ(planned.gapLength, c.newBytes);
    EXPECT_TRUE(WrittenImage(planned, added[0].bytes) == image);

    // The old items and the new, the new ones named in capitals.
    std::vector<ResourceItem> expected = LinkedResources();
    added[0].type.text = u"TAIL";
    expected.insert(expected.end(), added.begin(), added.end());
    std::vector<std::string> wanted = Describe(expected);
    std::vector<std::string> found = Describe(ItemsOf(image));
    std::sort(wanted.begin(), wanted.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, wanted);

    PeImage after;
    ASSERT_TRUE(after.Parse(image, problem)) << problem;
    const std::vector<PeSection>& sections = after.Sections();
    ASSERT_EQ(sections.size(), before.Sections().size());
    // Sections keep their bytes; after the resources they follow at the next free address.
    uint32_t next = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
      SCOPED_TRACE(i);
      const PeSection& was = before.Sections()[i];
      const PeSection& is = sections[i];
      EXPECT_EQ(is.name, was.name);
      if (static_cast<int>(i) != c.image.resourceSection) {
        EXPECT_EQ(image.substr(is.rawPointer, is.rawSize),
                  original.substr(was.rawPointer, was.rawSize));
      }
      if (static_cast<int>(i) <= c.image.resourceSection) {
        EXPECT_EQ(is.virtualAddress, was.virtualAddress);
      } else {
        EXPECT_EQ(is.virtualAddress, next);
      }
      EXPECT_EQ(is.rawPointer % TestImage::kFileAlignment, 0u);
      next = static_cast<uint32_t>(
          AlignUp(is.virtualAddress + uint64_t{is.virtualSize}, TestImage::kSectionAlignment));
    }
    EXPECT_EQ(Field32(image, kTestOptionalHeader + 56), next);  // the image's size
    EXPECT_EQ(after.Directory(PeImage::kResourceDirectory).address,
              sections[c.image.resourceSection].virtualAddress);
    if (c.image.relocationSection >= 0) {
      EXPECT_EQ(after.Directory(PeImage::kRelocationDirectory).address,
                sections[c.image.relocationSection].virtualAddress);
    }
    // The resource section starts a page of the file, to be mapped from there, and grows by
    // what went in, in whole file blocks, and so does the initialised data.
    const PeSection& rsrc = sections[c.image.resourceSection];
    EXPECT_EQ(rsrc.rawPointer % 4096, 0u);
    EXPECT_EQ(rsrc.rawSize % TestImage::kFileAlignment, 0u);
    EXPECT_EQ(Field32(image, kTestOptionalHeader + 8) - Field32(original, kTestOptionalHeader + 8),
              rsrc.rawSize - before.Sections()[c.image.resourceSection].rawSize);

    EXPECT_EQ(after.Directory(PeImage::kCertificateDirectory).size, 0u);
    if (!c.image.overlay.empty()) {
      const uint64_t rawEnd = sections.back().rawPointer + uint64_t{sections.back().rawSize};
      EXPECT_EQ(image.substr(rawEnd, c.image.overlay.size()), c.image.overlay);
      EXPECT_EQ(image.size(), rawEnd + c.image.overlay.size());
      if (c.image.symbolTable) {
        EXPECT_EQ(after.SymbolTable(), rawEnd);
      }
    }
    EXPECT_EQ(after.CheckSum(), c.image.checkSum ? PeChecksum(image, after.CheckSumOffset()) : 0u);
  }
}

TEST(PeResources, RefusesWhatItCannotRewriteAndLeavesTheImageAsItWas) {
  struct Case {
    const char* name;
    TestImage image;
    const char* problem;
  };
  std::vector<Case> cases;
  TestImage none = Program();
  none.sections.erase(none.sections.begin() + 2);
  none.resourceSection = -1;
  none.relocationSection = 2;
  cases.push_back({"no resource section", none, "has no resource section of its own to rewrite"});
  TestImage dataAfter = Program();
  dataAfter.sections.push_back({".data2", "x", TestImage::kData});
  cases.push_back(
      {"data after the resources", dataAfter, "has sections after its resources that cannot move"});
  TestImage otherName = Program();
  otherName.sections[2].name = ".rdata";
  cases.push_back({"resources inside another section", otherName,
                   "has no resource section of its own to rewrite"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string original = BuildTestImage(c.image);
    std::string image = original;
    std::string problem;
    EXPECT_FALSE(PutImageResources(image, {Item(u"APP", 1, 2052, "record")}, problem));
    EXPECT_EQ(problem, c.problem);
    EXPECT_EQ(image, original);
  }
}

// A resource section made by hand, so that the reader meets bytes its own writer never makes:
// one type (3), one name (1), one language (1033) and four bytes of data.
constexpr size_t kRootEntry = 16;
constexpr size_t kNameDirectory = 24;
constexpr size_t kNameEntry = 40;
constexpr size_t kLanguageDirectory = 48;
constexpr size_t kLanguageEntry = 64;
constexpr size_t kDataEntry = 72;
constexpr size_t kData = 88;

std::string HandMadeTree(uint32_t address) {
  std::string tree(kData + 4, '\0');
  SetField16(tree, 14, 1);
  SetField32(tree, kRootEntry, 3);
  SetField32(tree, kRootEntry + 4, 0x80000000u | kNameDirectory);
  SetField16(tree, kNameDirectory + 14, 1);
  SetField32(tree, kNameEntry, 1);
  SetField32(tree, kNameEntry + 4, 0x80000000u | kLanguageDirectory);
  SetField16(tree, kLanguageDirectory + 14, 1);
  SetField32(tree, kLanguageEntry, 1033);
  SetField32(tree, kLanguageEntry + 4, kDataEntry);
  SetField32(tree, kDataEntry, address + kData);
  SetField32(tree, kDataEntry + 4, 4);
  tree.replace(kData, 4, "icon");
  return tree;
}

TEST(PeResources, RefusesDamagedImagesWithOneLineAndNeverReadsPastThem) {
  TestImage program = Program();
  program.resources = HandMadeTree;
  const std::string valid = BuildTestImage(program);
  PeImage pe;
  std::string problem;
  ASSERT_TRUE(pe.Parse(valid, problem));
  const uint32_t tree = pe.Sections()[2].rawPointer;
  ASSERT_EQ(Describe(ItemsOf(valid)), std::vector<std::string>{"#3/#1/1033/0=icon"});

  struct Case {
    const char* name;
    std::function<void(std::string&)> damage;
  };
  const Case cases[] = {
      {"empty", [](std::string& b) { b.clear(); }},
      {"only the MZ", [](std::string& b) { b.resize(2); }},
      {"cut inside the headers", [](std::string& b) { b.resize(kTestSectionTable + 20); }},
      {"cut inside the sections", [](std::string& b) { b.resize(b.size() - 0x100); }},
      {"PE header pointer past the end", [](std::string& b) { SetField32(b, 0x3C, 0xFFFFFFF0u); }},
      {"no PE signature", [](std::string& b) { b[kTestPeHeader] = 'N'; }},
      {"no sections", [](std::string& b) { SetField16(b, kTestPeHeader + 6, 0); }},
      {"thousands of sections", [](std::string& b) { SetField16(b, kTestPeHeader + 6, 5000); }},
      {"optional header too short", [](std::string& b) { SetField16(b, kTestPeHeader + 20, 90); }},
      {"unknown optional header",
       [](std::string& b) { SetField16(b, kTestOptionalHeader, 0x107); }},
      {"too many directories",
       [](std::string& b) { SetField32(b, kTestOptionalHeader + 108, 17); }},
      {"file alignment zero", [](std::string& b) { SetField32(b, kTestOptionalHeader + 36, 0); }},
      {"alignment not a power of two",
       [](std::string& b) { SetField32(b, kTestOptionalHeader + 32, 0x1800); }},
      {"section data past the end",
       [](std::string& b) { SetField32(b, kTestSectionTable + 40 * 3 + 16, 0x7FFFFFFF); }},
      {"sections out of order",
       [](std::string& b) { SetField32(b, kTestSectionTable + 40 * 1 + 12, 0x500); }},
      {"resource directory outside the sections",
       [](std::string& b) { SetField32(b, kTestDirectories + 16, 0x900000); }},
      {"directory with more entries than its section holds",
       [tree](std::string& b) { SetField16(b, tree + 14, 0xFFFF); }},
      {"subdirectory outside the section",
       [tree](std::string& b) { SetField32(b, tree + kRootEntry + 4, 0x80001000u); }},
      {"name outside the section",
       [tree](std::string& b) { SetField32(b, tree + kNameEntry, 0x80000FFFu); }},
      {"empty name",
       [tree](std::string& b) { SetField32(b, tree + kNameEntry, 0x80000000u | kData); }},
      {"data where a directory belongs",
       [tree](std::string& b) { SetField32(b, tree + kRootEntry + 4, kDataEntry); }},
      {"directory where data belongs",
       [tree](std::string& b) { SetField32(b, tree + kLanguageEntry + 4, 0x80000000u); }},
      {"a loop back to the root",
       [tree](std::string& b) { SetField32(b, tree + kNameEntry + 4, 0x80000000u); }},
      {"data outside the sections",
       [tree](std::string& b) { SetField32(b, tree + kDataEntry, 0x00FFFFF0u); }},
      {"data longer than its section",
       [tree](std::string& b) { SetField32(b, tree + kDataEntry + 4, 0x10000); }},
      {"the same item twice",
       [tree](std::string& b) {
         // The root's entry count says two, and the second entry is the first again.
         SetField16(b, tree + 14, 2);
         b.replace(tree + kNameDirectory, 8, b.substr(tree + kRootEntry, 8));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string image = valid;
    c.damage(image);
    const std::string damaged = image;
    problem.clear();
    EXPECT_FALSE(PutImageResources(image, {Item(u"APP", 1, 2052, "record")}, problem));
    EXPECT_FALSE(problem.empty());
    EXPECT_EQ(problem.find('\n'), std::string::npos);
    EXPECT_EQ(image, damaged);
  }
}

// One data entry named by thousands of directory entries: copied out each time, it would make
// a few kilobytes of file into gigabytes.
TEST(PeResources, RefusesATreeWhoseEntriesShareTheirData) {
  TestImage program = Program();
  program.resources = [](uint32_t address) {
    const uint16_t languages = 4000;
    std::string tree = HandMadeTree(address);
    const size_t entries = tree.size();
    tree.resize(entries + 8 * languages + 0x10000, '\0');
    // A second language directory listing the same data entry again and again.
    SetField32(tree, kNameEntry + 4, 0x80000000u | static_cast<uint32_t>(entries));
    SetField16(tree, entries + 14, languages);
    for (uint16_t i = 0; i < languages; ++i) {
      SetField32(tree, entries + 16 + 8 * i, i);
      SetField32(tree, entries + 20 + 8 * i, kDataEntry);
    }
    SetField32(tree, kDataEntry + 4, 0x8000);
    return tree;
  };
  std::string image = BuildTestImage(program);
  std::string problem;
  EXPECT_FALSE(PutImageResources(image, {}, problem));
  EXPECT_EQ(problem, "has resources that overlap");
}

TEST(ResourceTree, OrdersNamesAsWindowsLooksThemUpAndReplacesRegardlessOfCase) {
  ResourceTree tree;
  tree.Put(Item(u"a_b", 2, 0, "under"));
  tree.Put(NamedItem(24, u"Z", "z"));
  tree.Put(Item(u"AAB", 1, 2052, "zh"));
  tree.Put(Item(u"AAB", 1, 1033, "en"));
  ResourceItem numbered;
  numbered.type.number = 3;
  numbered.name.number = 7;
  numbered.bytes = "icon";
  tree.Put(numbered);
  numbered.type.number = 1;
  tree.Put(numbered);
  tree.Put(Item(u"aab", 1, 2052, "replaced"));
  // Texts first, compared in capitals unit by unit ("A" before "_"); numbers after, ascending.
  EXPECT_EQ(
      Describe(tree.Items()),
      (std::vector<std::string>{"AAB/#1/1033/0=en", "AAB/#1/2052/0=replaced", "A_B/#2/0/0=under",
                                "#1/#7/0/0=icon", "#3/#7/0/0=icon", "#24/Z/1033/0=z"}));
  ResourceName type;
  type.text = u"aAb";
  ResourceName name;
  name.number = 1;
  ASSERT_NE(tree.Find(type, name), nullptr);
  EXPECT_EQ(tree.Find(type, name)->bytes, "en");

  // What is written reads back as it was, the same bytes every time, each item's data aligned.
  TestImage program = Program();
  program.resources = [&tree](uint32_t address) { return tree.Write(address); };
  const std::string image = BuildTestImage(program);
  EXPECT_EQ(Describe(ItemsOf(image)), Describe(tree.Items()));
  EXPECT_EQ(tree.Write(0x5000), tree.Write(0x5000));
  const std::string section = tree.Write(0x5000);
  for (const ResourceItem& item : tree.Items()) {
    const size_t at = section.find(item.bytes);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(at % 8, 0u) << item.bytes;
  }
}

}  // namespace
