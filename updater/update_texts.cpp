#include "updater/update_texts.h"

#include "install/install_outcome.h"
#include "records/current_language.h"

std::u16string NotInstalledText(const char16_t* name) {
  return Text(TextKey::kNotInstalled, {{u"name", name}});
}

std::u16string NoUpdateListText(const char16_t* name) {
  return Text(TextKey::kNoUpdateList, {{u"name", name}});
}

std::u16string ListNotTrustedText(const char16_t* name) {
  return Text(TextKey::kUpdateListNotTrusted, {{u"name", name}});
}

std::u16string OlderListText(const char16_t* name, const char16_t* listVersion,
                             const char16_t* installedVersion) {
  return Text(TextKey::kOlderUpdateList,
              {{u"name", name}, {u"list_version", listVersion}, {u"installed", installedVersion}});
}

std::u16string UnversionedListText(const char16_t* name, const char16_t* installedVersion) {
  return Text(TextKey::kUnversionedUpdateList, {{u"name", name}, {u"installed", installedVersion}});
}

std::u16string UpdateQuestionText(const char16_t* name, const char16_t* version) {
  return Text(version[0] != 0 ? TextKey::kUpdateQuestionVersion : TextKey::kUpdateQuestion,
              {{u"name", name}, {u"version", version}});
}

std::u16string UpToDateText(const char16_t* name) {
  return Text(TextKey::kUpToDate, {{u"name", name}});
}

std::u16string UpdatedText(const char16_t* name) {
  return Text(TextKey::kUpdated, {{u"name", name}});
}

std::u16string UpdateFailedText(const InstallOutcome& outcome, const RollbackResult& undone) {
  const std::u16string failed =
      Text(outcome.reason.Empty() ? TextKey::kUpdateFailed : TextKey::kUpdateFailedBecause,
           {{u"file", outcome.firstFailed.Units()}, {u"reason", outcome.reason.Units()}});
  const std::u16string afterwards =
      undone.Whole() ? Text(TextKey::kUpdateUndone)
                     : Text(TextKey::kUpdateNotUndone, {{u"list", LeftLines(undone)}});
  return failed + u"\n" + afterwards;
}

std::u16string BusyText(const char16_t* name) {
  return Text(TextKey::kUpdateBusy, {{u"name", name}});
}
