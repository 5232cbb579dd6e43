#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PeImage;

// The resources of an executable as Windows finds them: items under a type, a name and a
// language, read from the resource section and written back as one, in portable code, so that
// both builds of the tool write the same bytes.

// A resource type or name: a number, or a text when text is not empty.
struct ResourceName {
  uint16_t number = 0;
  std::u16string text;
};

// The order Windows looks names up in: texts before numbers; texts by their UTF-16 units with
// the ASCII letters taken as capitals (FindResource looks a text name up in capitals, and resource
// compilers store them so), numbers ascending. 0 for names Windows takes as the same.
int CompareResourceNames(const ResourceName& a, const ResourceName& b);

struct ResourceItem {
  ResourceName type;
  ResourceName name;
  uint16_t language = 0;
  uint32_t codePage = 0;
  std::string bytes;
  // The length of data too large to hold, written into the executable from elsewhere; bytes is
  // empty then.
  uint32_t streamedLength = 0;
};

class ResourceTree {
 public:
  // The most items a tree may hold: far more than any program carries, and a bound on what a
  // hostile tree, whose directories could share their entries, makes a reader do.
  static constexpr size_t kMaxItems = 65536;

  // Reads the resources of an executable's bytes, whose headers image holds. An image without
  // resources gives an empty tree. False, with a one-line reason in problem, for a tree that runs
  // outside its section, is nested otherwise than by type, name and language, holds an item
  // twice, holds more than kMaxItems items or more bytes than the file, or names data outside
  // the sections' mapped bytes.
  bool Read(const std::string& bytes, const PeImage& image, std::string& problem);

  // Adds an item, replacing the one of the same type, name and language. The ASCII letters of a
  // text type or name are stored as capitals, where FindResource finds them.
  void Put(ResourceItem item);
  // The item of type and name in the lowest language; null when there is none.
  const ResourceItem* Find(const ResourceName& type, const ResourceName& name) const;
  // Every item, by type, name and language in the order above.
  const std::vector<ResourceItem>& Items() const { return items_; }

  // The resource section's content for a section starting at rva: the directories of types,
  // names and languages, the data entries, the names' texts and then the data, each item's bytes
  // aligned to 8. No time stamps: the same tree always gives the same bytes. The data of an item
  // with a streamedLength (one at most) is left out of the bytes; streamedAt, when given,
  // receives the offset in the content where it belongs.
  std::string Write(uint32_t rva, uint32_t* streamedAt = nullptr) const;

 private:
  std::vector<ResourceItem> items_;
};
