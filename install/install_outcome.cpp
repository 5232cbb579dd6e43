#include "install/install_outcome.h"


const char16_t kInstallNotStartedText[] = u"安装无法开始：安装包已损坏或无法连接到服务器。\n请稍后重新运行安装程序。";
const char16_t kListNotTrustedText[] =
    u"安装无法开始：服务器上的文件列表未通过签名验证，可能已被篡改，未安装任何文件。\n请到官网下载最新的安装包。";
const char16_t kOldListText[] =
    u"安装无法开始：服务器上的文件列表比本安装包的版本还旧，可能是重新发布的旧列表，未安装任何文件。\n请到官网下载最新的安装包。";
const char16_t kInstallFolderFailedText[] =
    u"安装无法开始：无法写入安装目录。\n请选择其他目录，或以管理员身份重新运行安装程序。";
const char16_t kEarlierRunText[] =
    u"另一个安装程序正在安装到此目录，或上次中断的安装未能撤销。\n请关闭正在使用这些文件的程序后重新运行安装程序。";
const char16_t kInstallUnusableText[] =
    u"安装失败：客户端文件未能安装，软件无法使用！\n请到官网下载最新的安装包后重新安装。";
const char16_t kDamagedPartReason[] =
    u"安装程序旁的数据文件已损坏或不完整，与安装包不符，请重新下载全部安装文件";
const char16_t kInstallerFileNameReason[] = u"与安装程序自身的文件同名";
const char16_t kInstallCaption[] = u"安装提示";

void FormatRolledBackInstall(const InstallOutcome& outcome, const RollbackResult& undone,
                             FixedWString<1024>* text) {
  if (outcome.unusable && outcome.ending != InstallOutcome::Ending::kFailed) {
    text->Assign(kInstallUnusableText);
  } else {
    text->Assign(u"安装失败：");
    text->Append(outcome.firstFailed.Units());
    text->Append(u" 未能安装");
    if (!outcome.reason.Empty()) {
      text->Append(u"（");
      text->Append(outcome.reason.Units());
      text->Append(u"）");
    }
    text->Append(u"。");
  }
  if (undone.Whole()) {
    text->Append(u"\n已撤销本次安装所做的全部更改，电脑上的内容与安装前相同。");
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

void AppendNotUndone(const RollbackResult& undone, FixedWString<1024>* text) {
  if (undone.Whole()) return;
  text->Append(
      u"\n本次安装所做的更改未能全部撤销。请关闭正在使用这些文件的程序后重新运行安装程序，以完成撤销。"
      u"以下内容仍留在电脑上：");
  for (const std::u16string& path : undone.left) {
    text->Append(u"\n");
    text->Append(path.c_str());
  }
}
