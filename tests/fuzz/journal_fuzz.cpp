// A change journal, as the next run reads it from an install folder that others may write to.
#include <vector>

#include "support/journal/change_journal.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string folder;
  std::vector<JournalEntry> entries;
  if (!DecodeJournal(data, size, &folder, &entries)) return 0;
  // Written out again, the journal reads back as the same entries.
  std::vector<uint8_t> bytes = EncodeJournalHeader(folder);
  for (const JournalEntry& entry : entries) {
    const std::vector<uint8_t> record = EncodeJournalEntry(entry);
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  std::u16string folderBack;
  std::vector<JournalEntry> back;
  FuzzCheck(DecodeJournal(bytes.data(), bytes.size(), &folderBack, &back),
            "a written journal reads");
  FuzzCheck(folderBack == folder && back == entries, "a written journal reads back the same");
  // Whatever the journal says, only entries inside its folder pass the bounds: every name they
  // hold, the staging and backup names too.
  const JournalBounds bounds{{{u"C:\\App\\", u""}}, {{u"Software\\Co\\App", u""}}};
  for (const JournalEntry& entry : entries) {
    if (!IsWithinBounds(entry, bounds)) continue;
    if (entry.kind != JournalEntry::kFilePlaced && entry.kind != JournalEntry::kFileRemoved) {
      continue;
    }
    for (const std::u16string* name : {&entry.path, &entry.staging, &entry.backup}) {
      if (name->empty()) continue;
      std::u16string folded = *name;
      for (char16_t& unit : folded) {
        if (unit >= u'A' && unit <= u'Z') unit += 32;
      }
      FuzzCheck(folded.rfind(u"c:\\app\\", 0) == 0, "a name in bounds lies in the folder");
      FuzzCheck(folded.find(u"\\..") == std::u16string::npos &&
                    folded.find(u'/') == std::u16string::npos &&
                    folded.find(u':', 2) == std::u16string::npos,
                "a name in bounds does not climb out or name a stream");
    }
  }
  return 0;
}
