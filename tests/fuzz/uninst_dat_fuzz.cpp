// "uninst.dat", as the uninstaller reads it from an install folder.
#include <string>
#include <vector>

#include "records/uninst_info.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  CUninstInfo list;
  if (!list.ParseBytes(data, static_cast<uint32_t>(size))) {
    FuzzCheck(list.Count() == 0, "a refused list adds nothing");
    return 0;
  }
  // Written out and read again, the list is the same entries in the same order.
  std::vector<char16_t> text(size + 1);
  int units = list.WriteText(text.data(), static_cast<int>(text.size()));
  CUninstInfo back;
  FuzzCheck(units > 0 && back.ParseText(text.data()), "a written list parses");
  FuzzCheck(back.Count() == list.Count(), "a written list keeps every entry");
  for (int i = 0; i < list.Count(); ++i) {
    FuzzCheck(std::u16string(back.Get(i)) == list.Get(i), "a written list reads back the same");
  }
  return 0;
}
