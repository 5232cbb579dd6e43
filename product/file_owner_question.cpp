#include "product/file_owner_question.h"

#include <windows.h>

#include <string>

#include "records/current_language.h"
#include "support/system/user_question.h"

bool AskToStopFileOwner(const char16_t* path, void* owner) {
  if (path == nullptr) return false;
  const std::u16string question = Text(TextKey::kFileOwnerQuestion, {{u"file", path}});
  return AskUser(owner, question.c_str(), Text(TextKey::kFileOwnerCaption).c_str(), MB_YESNO) ==
         IDYES;
}
