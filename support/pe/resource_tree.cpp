#include "support/pe/resource_tree.h"

#include <algorithm>
#include <utility>

#include "support/core/little_endian.h"
#include "support/pe/pe_image.h"

namespace {

constexpr uint32_t kDirectoryHeaderSize = 16;
constexpr uint32_t kEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint32_t kDataAlignment = 8;

char16_t Capital(char16_t unit) { return unit >= u'a' && unit <= u'z' ? unit - 32 : unit; }

int CompareItems(const ResourceItem& a, const ResourceItem& b) {
  if (int types = CompareResourceNames(a.type, b.type)) return types;
  if (int names = CompareResourceNames(a.name, b.name)) return names;
  return a.language < b.language ? -1 : a.language > b.language ? 1 : 0;
}

bool ItemBefore(const ResourceItem& a, const ResourceItem& b) { return CompareItems(a, b) < 0; }

// Walks a resource tree whose root lies at the start of the limit bytes at base.
class TreeReader {
 public:
  TreeReader(const std::string& bytes, const PeImage& image, uint32_t base, uint32_t limit)
      : bytes_(bytes), image_(image), base_(base), limit_(limit) {}

  bool Read(std::vector<ResourceItem>& items, std::string& problem) {
    ResourceItem item;
    if (!ReadLevel(0, 0, item, items)) {
      problem = problem_;
      return false;
    }
    return true;
  }

 private:
  const uint8_t* At(uint32_t offset) const {
    return reinterpret_cast<const uint8_t*>(bytes_.data()) + base_ + offset;
  }

  bool Fail(const char* reason) {
    problem_ = reason;
    return false;
  }

  bool Inside(uint32_t offset, uint32_t n) const {
    return offset <= limit_ && limit_ - offset >= n;
  }

  bool ReadName(uint32_t field, ResourceName& name) {
    name = ResourceName();
    if ((field & kHighBit) == 0) {
      name.number = static_cast<uint16_t>(field);
      return true;
    }
    const uint32_t offset = field & ~kHighBit;
    if (!Inside(offset, 2)) return Fail("has a resource name outside its resource section");
    const uint16_t length = ReadLe16(At(offset));
    if (length == 0 || !Inside(offset + 2, 2u * length)) {
      return Fail("has a damaged resource name");
    }
    for (uint16_t i = 0; i < length; ++i) name.text += ReadLe16(At(offset + 2 + 2 * i));
    return true;
  }

  // level 0 lists types, 1 names, 2 languages, whose entries lead to data.
  bool ReadLevel(int level, uint32_t offset, ResourceItem& item, std::vector<ResourceItem>& items) {
    if (!Inside(offset, kDirectoryHeaderSize)) {
      return Fail("has a resource directory outside its resource section");
    }
    const uint32_t count = ReadLe16(At(offset + 12)) + ReadLe16(At(offset + 14));
    if (!Inside(offset + kDirectoryHeaderSize, count * kEntrySize)) {
      return Fail("has a resource directory outside its resource section");
    }
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* entry = At(offset + kDirectoryHeaderSize + i * kEntrySize);
      const uint32_t nameField = ReadLe32(entry);
      const uint32_t target = ReadLe32(entry + 4);
      const bool isDirectory = (target & kHighBit) != 0;
      if (isDirectory != (level < 2)) {
        return Fail("has resources nested otherwise than by type, name and language");
      }
      ResourceName name;
      if (!ReadName(nameField, name)) return false;
      if (level == 0) item.type = std::move(name);
      if (level == 1) item.name = std::move(name);
      if (level == 2) {
        if (!name.text.empty()) return Fail("has a resource language given as text");
        item.language = name.number;
        if (!ReadData(target, item, items)) return false;
        continue;
      }
      if (!ReadLevel(level + 1, target & ~kHighBit, item, items)) return false;
    }
    return true;
  }

  bool ReadData(uint32_t offset, ResourceItem& item, std::vector<ResourceItem>& items) {
    if (!Inside(offset, kDataEntrySize)) {
      return Fail("has a resource data entry outside its resource section");
    }
    const uint32_t rva = ReadLe32(At(offset));
    const uint32_t size = ReadLe32(At(offset + 4));
    uint32_t fileOffset = 0;
    if (!image_.FileOffset(rva, size, fileOffset)) {
      return Fail("has resource data outside the file's sections");
    }
    if (items.size() == ResourceTree::kMaxItems) return Fail("has too many resources");
    // Entries may point at shared bytes; a hostile tree must not make its reader copy the file
    // many times over.
    copied_ += size;
    if (copied_ > bytes_.size()) return Fail("has resources that overlap");
    item.codePage = ReadLe32(At(offset + 8));
    item.bytes.assign(bytes_, fileOffset, size);
    items.push_back(item);
    return true;
  }

  const std::string& bytes_;
  const PeImage& image_;
  uint32_t base_;
  uint32_t limit_;
  uint64_t copied_ = 0;
  std::string problem_;
};

// The bytes of a resource section being written, but for the gapLength bytes at gapAt, which
// are left out.
class SectionWriter {
 public:
  SectionWriter(uint32_t size, uint32_t gapAt, uint32_t gapLength)
      : bytes_(size - gapLength, '\0'), gapAt_(gapAt), gapLength_(gapLength) {}

  void Put16(uint32_t offset, uint16_t value) { WriteLe16(At(offset), value); }
  void Put32(uint32_t offset, uint32_t value) { WriteLe32(At(offset), value); }
  void PutBytes(uint32_t offset, const std::string& bytes) {
    bytes_.replace(Index(offset), bytes.size(), bytes);
  }
  std::string Take() { return std::move(bytes_); }

 private:
  size_t Index(uint32_t offset) const {
    return offset >= gapAt_ + gapLength_ ? offset - gapLength_ : offset;
  }
  uint8_t* At(uint32_t offset) { return reinterpret_cast<uint8_t*>(&bytes_[Index(offset)]); }

  std::string bytes_;
  uint32_t gapAt_;
  uint32_t gapLength_;
};

uint32_t DataLength(const ResourceItem& item) {
  return static_cast<uint32_t>(item.bytes.size()) + item.streamedLength;
}

// Items [begin, end) grouped by the name that key picks, in order.
template <typename Key>
std::vector<std::pair<size_t, size_t>> Groups(const std::vector<ResourceItem>& items, size_t begin,
                                              size_t end, Key key) {
  std::vector<std::pair<size_t, size_t>> groups;
  for (size_t i = begin; i < end; ++i) {
    if (i == begin || CompareResourceNames(key(items[i - 1]), key(items[i])) != 0) {
      groups.emplace_back(i, i + 1);
    } else {
      groups.back().second = i + 1;
    }
  }
  return groups;
}

uint32_t CountNamed(const std::vector<ResourceItem>& items,
                    const std::vector<std::pair<size_t, size_t>>& groups,
                    const ResourceName& (*key)(const ResourceItem&)) {
  uint32_t named = 0;
  for (const auto& group : groups) named += key(items[group.first]).text.empty() ? 0 : 1;
  return named;
}

const ResourceName& TypeOf(const ResourceItem& item) { return item.type; }
const ResourceName& NameOf(const ResourceItem& item) { return item.name; }

}  // namespace

int CompareResourceNames(const ResourceName& a, const ResourceName& b) {
  const bool aText = !a.text.empty();
  const bool bText = !b.text.empty();
  if (aText != bText) return aText ? -1 : 1;
  if (!aText) return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
  const size_t common = std::min(a.text.size(), b.text.size());
  for (size_t i = 0; i < common; ++i) {
    const char16_t x = Capital(a.text[i]);
    const char16_t y = Capital(b.text[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.text.size() < b.text.size() ? -1 : a.text.size() > b.text.size() ? 1 : 0;
}

bool ResourceTree::Read(const std::string& bytes, const PeImage& image, std::string& problem) {
  items_.clear();
  const PeDirectory directory = image.Directory(PeImage::kResourceDirectory);
  if (directory.address == 0) return true;
  const int index = image.SectionAt(directory.address);
  uint32_t base = 0;
  if (index < 0 || !image.FileOffset(directory.address, 0, base)) {
    problem = "has a resource directory outside its sections";
    return false;
  }
  // The tree's offsets count from its root; all of it lies in the root's section.
  const PeSection& section = image.Sections()[index];
  uint32_t mapped = section.rawSize;
  if (section.virtualSize != 0 && section.virtualSize < mapped) mapped = section.virtualSize;
  const uint32_t limit = mapped - (directory.address - section.virtualAddress);
  std::vector<ResourceItem> items;
  if (!TreeReader(bytes, image, base, limit).Read(items, problem)) return false;
  std::sort(items.begin(), items.end(), ItemBefore);
  for (size_t i = 1; i < items.size(); ++i) {
    if (CompareItems(items[i - 1], items[i]) == 0) {
      problem = "has a resource twice";
      return false;
    }
  }
  items_ = std::move(items);
  return true;
}

void ResourceTree::Put(ResourceItem item) {
  for (char16_t& unit : item.type.text) unit = Capital(unit);
  for (char16_t& unit : item.name.text) unit = Capital(unit);
  auto at = std::lower_bound(items_.begin(), items_.end(), item, ItemBefore);
  if (at != items_.end() && CompareItems(*at, item) == 0) {
    *at = std::move(item);
  } else {
    items_.insert(at, std::move(item));
  }
}

const ResourceItem* ResourceTree::Find(const ResourceName& type, const ResourceName& name) const {
  for (const ResourceItem& item : items_) {
    if (CompareResourceNames(item.type, type) == 0 && CompareResourceNames(item.name, name) == 0) {
      return &item;
    }
  }
  return nullptr;
}

std::string ResourceTree::Write(uint32_t rva, uint32_t* streamedAt) const {
  const auto types = Groups(items_, 0, items_.size(), TypeOf);
  std::vector<std::vector<std::pair<size_t, size_t>>> namesOfType;
  uint32_t nameCount = 0;
  uint32_t textUnits = 0;
  uint32_t texts = 0;
  for (const auto& type : types) {
    namesOfType.push_back(Groups(items_, type.first, type.second, NameOf));
    nameCount += static_cast<uint32_t>(namesOfType.back().size());
    const std::u16string& typeText = items_[type.first].type.text;
    textUnits += static_cast<uint32_t>(typeText.size());
    texts += typeText.empty() ? 0 : 1;
    for (const auto& name : namesOfType.back()) {
      const std::u16string& nameText = items_[name.first].name.text;
      textUnits += static_cast<uint32_t>(nameText.size());
      texts += nameText.empty() ? 0 : 1;
    }
  }
  const uint32_t typeCount = static_cast<uint32_t>(types.size());
  const uint32_t itemCount = static_cast<uint32_t>(items_.size());
  // Directories first, breadth first: types, then each type's names, then each name's languages.
  const uint32_t nameDirectories = kDirectoryHeaderSize + typeCount * kEntrySize;
  const uint32_t languageDirectories =
      nameDirectories + typeCount * kDirectoryHeaderSize + nameCount * kEntrySize;
  const uint32_t dataEntries =
      languageDirectories + nameCount * kDirectoryHeaderSize + itemCount * kEntrySize;
  const uint32_t textStart = dataEntries + itemCount * kDataEntrySize;
  uint32_t dataStart =
      static_cast<uint32_t>(AlignUp(textStart + 2 * (texts + textUnits), kDataAlignment));
  uint32_t size = dataStart;
  uint32_t gapAt = 0;
  uint32_t gapLength = 0;
  for (const ResourceItem& item : items_) {
    if (item.streamedLength != 0) {
      gapAt = size;
      gapLength = item.streamedLength;
    }
    size = static_cast<uint32_t>(AlignUp(size + DataLength(item), kDataAlignment));
  }
  if (streamedAt != nullptr) *streamedAt = gapAt;

  SectionWriter out(size, gapAt, gapLength);
  uint32_t nameAt = nameDirectories;
  uint32_t languageAt = languageDirectories;
  uint32_t dataEntryAt = dataEntries;
  uint32_t textAt = textStart;
  uint32_t dataAt = dataStart;
  // A directory's header at offset, with its named entries counted first, as lookups expect.
  auto putDirectory = [&out](uint32_t offset, uint32_t named, uint32_t total) {
    out.Put16(offset + 12, static_cast<uint16_t>(named));
    out.Put16(offset + 14, static_cast<uint16_t>(total - named));
  };
  auto putName = [&](uint32_t entry, const ResourceName& name) {
    if (name.text.empty()) {
      out.Put32(entry, name.number);
      return;
    }
    out.Put32(entry, kHighBit | textAt);
    out.Put16(textAt, static_cast<uint16_t>(name.text.size()));
    for (size_t i = 0; i < name.text.size(); ++i)
      out.Put16(textAt + 2 + 2 * static_cast<uint32_t>(i), name.text[i]);
    textAt += 2 + 2 * static_cast<uint32_t>(name.text.size());
  };

  putDirectory(0, CountNamed(items_, types, TypeOf), typeCount);
  for (uint32_t t = 0; t < typeCount; ++t) {
    const uint32_t typeEntry = kDirectoryHeaderSize + t * kEntrySize;
    putName(typeEntry, items_[types[t].first].type);
    out.Put32(typeEntry + 4, kHighBit | nameAt);
    const auto& names = namesOfType[t];
    putDirectory(nameAt, CountNamed(items_, names, NameOf), static_cast<uint32_t>(names.size()));
    uint32_t nameEntry = nameAt + kDirectoryHeaderSize;
    nameAt += kDirectoryHeaderSize + static_cast<uint32_t>(names.size()) * kEntrySize;
    for (const auto& name : names) {
      putName(nameEntry, items_[name.first].name);
      out.Put32(nameEntry + 4, kHighBit | languageAt);
      nameEntry += kEntrySize;
      const uint32_t languages = static_cast<uint32_t>(name.second - name.first);
      putDirectory(languageAt, 0, languages);
      uint32_t languageEntry = languageAt + kDirectoryHeaderSize;
      languageAt += kDirectoryHeaderSize + languages * kEntrySize;
      for (size_t i = name.first; i < name.second; ++i) {
        const ResourceItem& item = items_[i];
        out.Put32(languageEntry, item.language);
        out.Put32(languageEntry + 4, dataEntryAt);
        languageEntry += kEntrySize;
        // Empty data names the section's start: at the section's end it would lie outside it.
        out.Put32(dataEntryAt, DataLength(item) == 0 ? rva : rva + dataAt);
        out.Put32(dataEntryAt + 4, DataLength(item));
        out.Put32(dataEntryAt + 8, item.codePage);
        dataEntryAt += kDataEntrySize;
        out.PutBytes(dataAt, item.bytes);
        dataAt = static_cast<uint32_t>(AlignUp(dataAt + DataLength(item), kDataAlignment));
      }
    }
  }
  return out.Take();
}
