#include "install/install_outcome.h"

#include <cstdio>


const char16_t kInstallNotStartedText[] = u"安装无法开始：安装包已损坏或无法连接到服务器。\n请稍后重新运行安装程序。";
const char16_t kInstallUnusableText[] =
    u"安装失败：客户端文件未能安装，软件无法使用！\n请到官网下载最新的安装包后重新安装。";
const char16_t kInstallCaption[] = u"安装提示";

void FormatInstallFailure(const InstallOutcome& outcome, FixedWString<1024>* text) {
  char count[16];
  std::snprintf(count, sizeof(count), "%d", outcome.failed);
  char16_t countText[16] = {};
  for (int i = 0; count[i] != 0; ++i) countText[i] = static_cast<char16_t>(count[i]);
  text->Assign(u"注意：有");
  text->Append(countText);
  text->Append(u"个文件未能安装，软件可能无法正常使用！\n第一个是：");
  text->Append(outcome.firstFailed.Units());
  text->Append(u"\n请关闭正在使用这些文件的程序后重新安装。");
}
