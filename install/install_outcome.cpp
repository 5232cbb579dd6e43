#include "install/install_outcome.h"

#include "records/current_language.h"

void FormatRolledBackInstall(const InstallOutcome& outcome, const RollbackResult& undone,
                             FixedWString<1024>* text) {
  if (outcome.unusable && outcome.ending != InstallOutcome::Ending::kFailed) {
    text->Assign(Text(TextKey::kInstallUnusable).c_str());
  } else {
    const std::u16string failed =
        Text(outcome.reason.Empty() ? TextKey::kInstallFailed : TextKey::kInstallFailedBecause,
             {{u"file", outcome.firstFailed.Units()}, {u"reason", outcome.reason.Units()}});
    text->Assign(failed.c_str());
  }
  if (undone.Whole()) {
    text->Append((u"\n" + Text(TextKey::kInstallUndone)).c_str());
  } else {
    AppendNotUndone(undone, text);
  }
}

std::u16string UndoneForLog(const RollbackResult& undone) {
  if (undone.Whole()) return u"undone";
  std::u16string text = u"not undone whole, left:";
  for (const std::u16string& path : undone.left) text += u" " + path;
  return text;
}

std::u16string LeftLines(const RollbackResult& undone) {
  std::u16string lines;
  for (const std::u16string& path : undone.left) lines += u"\n" + path;
  return lines;
}

void AppendNotUndone(const RollbackResult& undone, FixedWString<1024>* text) {
  if (undone.Whole()) return;
  const std::u16string notUndone =
      u"\n" + Text(TextKey::kInstallNotUndone, {{u"list", LeftLines(undone)}});
  text->Append(notUndone.c_str());
}
