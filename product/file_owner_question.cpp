#include "product/file_owner_question.h"

#include <windows.h>

#include <string>

#include "support/system/user_question.h"

bool AskToStopFileOwner(const char16_t* path, void* owner) {
  if (path == nullptr) return false;
  std::u16string text = u"当前待删除文件";
  text += path;
  text += u"正在运行!\n是否强制终止后删除？";
  return AskUser(owner, text.c_str(), u"文件删除提示", MB_YESNO) == IDYES;
}
