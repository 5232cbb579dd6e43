#include "tests/helpers/uninstall_entries.h"

#include <gtest/gtest.h>

#include "records/uninst_info.h"

std::vector<std::u16string> Entries(const IUninstInfo& list) {
  std::vector<std::u16string> entries;
  for (int i = 0; i < list.Count(); ++i) entries.push_back(list.Get(i));
  return entries;
}

std::vector<std::u16string> UninstallEntries(const std::filesystem::path& file) {
  CUninstInfo list;
  EXPECT_TRUE(list.LoadFromFile(file.u16string().c_str()));
  return Entries(list);
}
