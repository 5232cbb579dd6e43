#include "product/installer_names.h"

#include "product/uninstall_list_file.h"
#include "support/http/file_download.h"
#include "support/journal/change_journal.h"
#include "support/text/ascii_text.h"
#include "support/text/utf8.h"

namespace {

// The installer's names are ASCII, so their upper case is ASCII's.
std::u16string UpperAscii(const char16_t* name) {
  std::u16string upper(name);
  ToUpperAscii(&upper[0], static_cast<int>(upper.size()));
  return upper;
}

bool EndsWith(const std::u16string& text, const std::u16string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct StagingSuffix {
  const char16_t* suffix;
  bool numbered;     // a number may follow it, when the name without one is taken
  const char* what;  // the files the installer names so
};

}  // namespace

std::string InstallerNameProblem(const std::u16string& upperName, bool atTop) {
  if (atTop) {
    for (const char16_t* own : {kInstallJournalName, kUninstallListName}) {
      if (upperName == UpperAscii(own)) {
        return "its name is that of the installer's own \"" + Utf16ToUtf8(own) +
               "\" in the install folder";
      }
    }
  }
  const std::u16string unnumbered =
      upperName.substr(0, upperName.find_last_not_of(u"0123456789") + 1);
  const StagingSuffix suffixes[] = {{kNewSuffix, true, "stages"},
                                    {kOldSuffix, true, "moves aside"},
                                    {kDownloadStagingSuffix, false, "downloads"},
                                    {kPatchStagingSuffix, false, "downloads patches as"}};
  for (const StagingSuffix& staging : suffixes) {
    if (EndsWith(staging.numbered ? unnumbered : upperName, UpperAscii(staging.suffix))) {
      return std::string("its name is one the installer gives files it ") + staging.what +
             " (ending in \"" + Utf16ToUtf8(staging.suffix) + "\"" +
             (staging.numbered ? " and perhaps a number" : "") + ")";
    }
  }
  return "";
}

bool MeetsInstallerFile(const char16_t* entry) {
  const std::u16string upper = UpperAscii(entry);
  size_t start = 0;
  while (start < upper.size()) {
    const size_t end = upper.find_first_of(u"\\/", start);
    const size_t length = (end == std::u16string::npos ? upper.size() : end) - start;
    if (length != 0 && !InstallerNameProblem(upper.substr(start, length), start == 0).empty()) {
      return true;
    }
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  return false;
}
