#include "records/update_info.h"

#include <cstdint>
#include <string>

#include "support/container/packed_container.h"
#include "support/core/text_length.h"

namespace {

const char16_t* FindText(const char16_t* text, const char16_t* pattern) {
  for (; *text != 0; ++text) {
    int i = 0;
    while (pattern[i] != 0 && text[i] == pattern[i]) ++i;
    if (pattern[i] == 0) return text;
  }
  return nullptr;
}

const char16_t* FindUnit(const char16_t* text, char16_t unit) {
  for (; *text != 0; ++text) {
    if (*text == unit) return text;
  }
  return nullptr;
}

// Copies at most capacity - 1 units of a text of length n and terminates it.
void CopyCut(char16_t* destination, int capacity, const char16_t* source, int n) {
  if (n > capacity - 1) n = capacity - 1;
  for (int i = 0; i < n; ++i) destination[i] = source[i];
  destination[n] = 0;
}

// At most capacity - 1 units of a text of length n, as CopyCut keeps them.
void AssignCut(std::u16string& destination, int capacity, const char16_t* source, int n) {
  destination.assign(source, static_cast<size_t>(n < capacity - 1 ? n : capacity - 1));
}

// A signed decimal number; reading stops at the first non-digit, and values beyond 32 bits are
// held at the limit rather than wrapping.
int32_t ParseDecimal(const char16_t* text, const char16_t* end) {
  bool negative = false;
  if (text < end && (*text == u'-' || *text == u'+')) negative = *text++ == u'-';
  int64_t value = 0;
  for (; text < end && *text >= u'0' && *text <= u'9'; ++text) {
    value = value * 10 + (*text - u'0');
    if (value > INT32_MAX) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

// A size: a signed decimal number read as ParseDecimal reads one, but false, rather than held at
// a limit, when it does not fit 64 signed bits.
bool ParseSize(const char16_t* text, const char16_t* end, int64_t* size) {
  bool negative = false;
  if (text < end && (*text == u'-' || *text == u'+')) negative = *text++ == u'-';
  // Gathered as a negative number, which reaches one further than a positive one.
  int64_t value = 0;
  for (; text < end && *text >= u'0' && *text <= u'9'; ++text) {
    const int digit = *text - u'0';
    if (value < (INT64_MIN + digit) / 10) return false;
    value = value * 10 - digit;
  }
  if (!negative && value == INT64_MIN) return false;
  *size = negative ? value : -value;
  return true;
}

// The first occurrence of pattern that begins before end, or null.
const char16_t* FindTextBefore(const char16_t* text, const char16_t* end, const char16_t* pattern) {
  for (; text < end; ++text) {
    int i = 0;
    while (pattern[i] != 0 && text[i] == pattern[i]) ++i;
    if (pattern[i] == 0) return text;
  }
  return nullptr;
}

// The value of the attribute whose pattern (space, name, '=', quote) ends at start: the units up
// to the next quote, which must come before the tag's end (else false).
bool ReadValue(const char16_t* start, const char16_t* tagEnd, int* length) {
  const char16_t* quote = FindUnit(start, u'"');
  if (quote == nullptr || quote >= tagEnd) return false;
  *length = static_cast<int>(quote - start);
  return true;
}

// The attributes of an item tag the reader takes; the writer puts sha256 between md5 and url.
constexpr const char16_t* kItemAttributes[] = {u" action=\"", u" file=\"", u" size=\"", u" md5=\"",
                                               u" url=\"",    u" sha256=\""};
constexpr int kItemAttributeCount = sizeof kItemAttributes / sizeof kItemAttributes[0];

// False for a size that does not fit the item.
bool AssignAttribute(UpdateItem* item, int attribute, const char16_t* value, int length) {
  switch (attribute) {
    case 0:
      item->action = ParseDecimal(value, value + length);
      break;
    case 1:
      AssignCut(item->file, UpdateItem::kFileCapacity, value, length);
      break;
    case 2:
      return ParseSize(value, value + length, &item->size);
    case 3:
      CopyCut(item->md5, UpdateItem::kMd5Capacity, value, length);
      break;
    case 4:
      AssignCut(item->url, UpdateItem::kUrlCapacity, value, length);
      break;
    default:
      CopyCut(item->sha256, UpdateItem::kSha256Capacity, value, length);
      break;
  }
  return true;
}

enum class ItemRead {
  kRead,
  kUnclosed,   // an attribute lacks its closing quote: the scan ends here
  kSizeOutOfRange,  // its size does not fit: the list is not one to follow
};

// Takes the value of attribute (its index in the reader's table); false for a size that does not
// fit.
using AttributeTaker = bool (*)(void* into, int attribute, const char16_t* value, int length);

// Reads one tag from left to right: the nearest of names, its value, and on after its closing
// quote, so a value is never searched for attributes (a file named "a md5=" cannot lend its
// closing quote to an md5 that is not there). In any order; the first of a name counts.
ItemRead ParseTag(const char16_t* tag, const char16_t* tagEnd, const char16_t* const* names,
                  int count, AttributeTaker take, void* into) {
  bool seen[kItemAttributeCount] = {};
  for (const char16_t* at = tag;;) {
    const char16_t* nearest = nullptr;
    int attribute = 0;
    for (int i = 0; i < count; ++i) {
      const char16_t* found =
          FindTextBefore(at, nearest != nullptr ? nearest : tagEnd, names[i]);
      if (found != nullptr) {
        nearest = found;
        attribute = i;
      }
    }
    if (nearest == nullptr) return ItemRead::kRead;
    const char16_t* value = nearest + TextLength(names[attribute]);
    int length = 0;
    if (!ReadValue(value, tagEnd, &length)) return ItemRead::kUnclosed;
    if (!seen[attribute] && !take(into, attribute, value, length)) {
      return ItemRead::kSizeOutOfRange;
    }
    seen[attribute] = true;
    at = value + length + 1;
  }
}

ItemRead ParseItem(const char16_t* tag, const char16_t* tagEnd, UpdateItem* item) {
  return ParseTag(
      tag, tagEnd, kItemAttributes, kItemAttributeCount,
      [](void* into, int attribute, const char16_t* value, int length) {
        return AssignAttribute(static_cast<UpdateItem*>(into), attribute, value, length);
      },
      item);
}

constexpr const char16_t* kDeltaAttributes[] = {u" from=\"", u" size=\"", u" sha256=\""};
constexpr int kDeltaAttributeCount = sizeof kDeltaAttributes / sizeof kDeltaAttributes[0];
static_assert(kDeltaAttributeCount <= kItemAttributeCount, "ParseTag's table of names seen");

// The deltas listed between an item's opening tag and its closing tag (begin to end), each a
// "<delta" element. One whose size or digests are not whole is passed over, as are those past
// the most an item keeps.
void ParseDeltas(const char16_t* begin, const char16_t* end, UpdateItem* item) {
  for (const char16_t* at = begin;;) {
    const char16_t* tag = FindTextBefore(at, end, u"<delta");
    if (tag == nullptr) return;
    const char16_t* tagEnd = FindUnit(tag + 6, u'>');
    if (tagEnd == nullptr || tagEnd > end) return;
    ItemDelta delta;
    const ItemRead read = ParseTag(
        tag, tagEnd, kDeltaAttributes, kDeltaAttributeCount,
        [](void* into, int attribute, const char16_t* value, int length) {
          auto* d = static_cast<ItemDelta*>(into);
          if (attribute == 1) return ParseSize(value, value + length, &d->size);
          CopyCut(attribute == 0 ? d->from : d->sha256, ItemDelta::kSha256Capacity, value,
                  length);
          return true;
        },
        &delta);
    if (read == ItemRead::kRead && delta.size > 0 && TextLength(delta.from) == 64 &&
        TextLength(delta.sha256) == 64 &&
        item->deltas.size() < static_cast<size_t>(IUpdateInfo::kMaxDeltasPerItem)) {
      item->deltas.push_back(delta);
    }
    at = tagEnd + 1;
  }
}

void AppendAttribute(std::u16string& line, const char16_t* name, const std::u16string& value) {
  line += u' ';
  line += name;
  line += u"=\"";
  line += value;
  line += u'"';
}

std::u16string Decimal(int64_t value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string PatchUrlOf(const std::u16string& fileUrl, const char16_t* from) {
  return fileUrl + u"." + from + u".patch";
}

std::unique_ptr<UpdateItem> NewFileItem(const char16_t* file, int64_t size, const char16_t* md5,
                                        const char16_t* sha256, const char16_t* url) {
  if (file == nullptr || md5 == nullptr || url == nullptr || size == 0) return nullptr;
  auto item = std::make_unique<UpdateItem>();
  AssignCut(item->file, UpdateItem::kFileCapacity, file, TextLength(file));
  CopyCut(item->md5, UpdateItem::kMd5Capacity, md5, TextLength(md5));
  if (sha256 != nullptr) {
    CopyCut(item->sha256, UpdateItem::kSha256Capacity, sha256, TextLength(sha256));
  }
  AssignCut(item->url, UpdateItem::kUrlCapacity, url, TextLength(url));
  item->size = size;
  return item;
}

CUpdateInfo::CUpdateInfo() = default;

CUpdateInfo::~CUpdateInfo() = default;

bool CUpdateInfo::ParseText(const char16_t* text) {
  if (text == nullptr) return false;
  const char16_t* list = FindText(text, u"<list");
  if (list == nullptr) return false;
  const char16_t* headEnd = FindUnit(list + 5, u'>');
  if (headEnd == nullptr) return false;
  constexpr char16_t kVersion[] = u" version=\"";
  if (const char16_t* found = FindTextBefore(list, headEnd, kVersion)) {
    const char16_t* version = found + TextLength(kVersion);
    int versionLength = 0;
    if (!ReadValue(version, headEnd, &versionLength)) return false;
    version_.Assign(version, versionLength);
  }

  const char16_t* at = headEnd + 1;
  while (*at != 0) {
    const char16_t* tag = FindText(at, u"<item");
    if (tag == nullptr) break;
    const char16_t* tagEnd = FindUnit(tag + 5, u'>');
    if (tagEnd == nullptr) break;
    auto item = std::make_unique<UpdateItem>();
    const ItemRead read = ParseItem(tag, tagEnd, item.get());
    if (read == ItemRead::kSizeOutOfRange) return false;
    if (read == ItemRead::kUnclosed) break;
    at = tagEnd + 1;
    // An item with deltas is an element of its own, closed by "</item>" before the next item.
    if (tagEnd[-1] != u'/') {
      const char16_t* close = FindText(at, u"</item>");
      const char16_t* next = FindText(at, u"<item");
      if (close != nullptr && (next == nullptr || close < next)) {
        ParseDeltas(at, close, item.get());
        at = close + 7;
      }
    }
    if (AddItem(std::move(item)) < 0) return false;
  }
  return true;
}

uint32_t CUpdateInfo::SaveBufferSize() const {
  // The container's head is longer than the plain form's mark; the list's head and end take
  // less than 256 units.
  uint32_t deltas = 0;
  for (const std::unique_ptr<UpdateItem>& item : items_) {
    // An item with deltas also has a closing line.
    deltas += item->deltas.empty() ? 0 : static_cast<uint32_t>(item->deltas.size()) + 1;
  }
  return kContainerHeaderSize +
         2 * (IUpdateInfo::kLongestItemUnits * static_cast<uint32_t>(Count()) +
              IUpdateInfo::kLongestDeltaUnits * deltas + 256);
}

int CUpdateInfo::WriteText(char16_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return 0;
  if (static_cast<int64_t>(capacity) < int64_t{kUnitsPerItem} * Count()) return 0;
  // The whole text is composed first: either all of it fits or nothing is written.
  const std::u16string text = Text();
  if (text.size() + 1 > static_cast<size_t>(capacity)) return 0;
  text.copy(out, text.size());
  out[text.size()] = 0;
  return static_cast<int>(text.size()) + 1;
}

std::u16string CUpdateInfo::Text() const {
  std::u16string text = u"<list version=\"";
  text += version_.Units();
  text += u"\">\r\n";
  for (const std::unique_ptr<UpdateItem>& item : items_) {
    text += u"<item";
    AppendAttribute(text, u"action", Decimal(item->action));
    AppendAttribute(text, u"file", item->file);
    AppendAttribute(text, u"size", Decimal(item->size));
    AppendAttribute(text, u"md5", item->md5);
    if (item->sha256[0] != 0) AppendAttribute(text, u"sha256", item->sha256);
    AppendAttribute(text, u"url", item->url);
    if (item->deltas.empty()) {
      text += u"/>\r\n";
      continue;
    }
    text += u">\r\n";
    for (const ItemDelta& delta : item->deltas) {
      text += u"<delta";
      AppendAttribute(text, u"from", delta.from);
      AppendAttribute(text, u"size", Decimal(delta.size));
      AppendAttribute(text, u"sha256", delta.sha256);
      text += u"/>\r\n";
    }
    text += u"</item>\r\n";
  }
  text += u"</list>\r\n";
  return text;
}

void CUpdateInfo::Clear() { items_.clear(); }

int CUpdateInfo::Count() const { return static_cast<int>(items_.size()); }

int CUpdateInfo::AddItem(std::unique_ptr<UpdateItem> item) {
  if (!item || Count() >= kMaxItems) return -1;
  items_.push_back(std::move(item));
  return Count() - 1;
}

int CUpdateInfo::AddFile(const char16_t* file, int64_t size, const char16_t* md5,
                         const char16_t* url) {
  return AddItem(NewFileItem(file, size, md5, nullptr, url));
}

const UpdateItem* CUpdateInfo::Get(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

UpdateItem* CUpdateInfo::Edit(int index) {
  return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

int64_t CUpdateInfo::TotalSize() const {
  int64_t total = 0;
  for (const std::unique_ptr<UpdateItem>& item : items_) {
    if (__builtin_add_overflow(total, item->size, &total)) {
      total = item->size > 0 ? INT64_MAX : INT64_MIN;
    }
  }
  return total;
}

const char16_t* CUpdateInfo::GetVersion() const { return version_.Units(); }

void CUpdateInfo::SetVersion(const char16_t* version) { version_.Assign(version); }
