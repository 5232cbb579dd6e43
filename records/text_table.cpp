#include "records/text_table.h"

// Every text of the product's programs, in TextKey order: its name in a language file, then the
// Chinese and the English. Parts in braces are filled in when the text is shown.
const TextRow kTextTable[kTextKeyCount] = {
    // The command line's switches
    {"switches.title", u"可用的命令行参数（不区分大小写）：",
     u"Command-line switches (not case-sensitive):"},
    {"switches.refused", u"无法识别的命令行参数：{switch}", u"Unknown command-line switch: {switch}"},
    {"switches.silent", u"/SILENT 或 silent：不提问，自动完成",
     u"/SILENT or silent: run without asking any questions"},
    {"switches.very_silent", u"/VERYSILENT：不提问，也不显示任何窗口",
     u"/VERYSILENT: ask no questions and show no windows"},
    {"switches.folder", u"/DIR=\"文件夹\"：安装到该文件夹", u"/DIR=\"folder\": install into that folder"},
    {"switches.log", u"/LOG=\"文件\"：把运行日志写到该文件", u"/LOG=\"file\": write the run's log to that file"},
    {"switches.no_icons", u"/NOICONS：不创建桌面快捷方式", u"/NOICONS: do not create a desktop shortcut"},
    {"switches.no_cancel", u"/NOCANCEL：安装过程中不能取消",
     u"/NOCANCEL: do not allow the installation to be cancelled"},
    {"switches.no_restart", u"/NORESTART：不重新启动计算机（本程序从不重新启动计算机）",
     u"/NORESTART: do not restart the computer (this program never restarts it)"},
    {"switches.help", u"/? 或 /HELP：显示本说明", u"/? or /HELP: show this help"},
    // language
    {"switches.language", u"/LANG=语言代码：使用该语言（如 en、zh-CN）显示文字",
     u"/LANG=code: show the texts in that language (such as en or zh-CN)"},

    // The install window and its page
    {"window.preparing", u"准备安装", u"Preparing to install"},
    {"window.caption", u"安装{name}", u"{name} Setup"},
    {"window.please_wait", u"请稍等...", u"Please wait..."},
    {"window.slow_network", u"检测到您的网速过慢，请耐心等待！",
     u"Your network connection is slow. Please be patient."},
    {"window.folder_title", u"请选择安装目录：", u"Choose the installation folder:"},
    {"window.abort_question", u"注意：中止当前安装有可能导致软件无法使用！\n确定要中止吗？",
     u"Stopping the installation now may leave the software unusable.\nAre you sure you want to "
     u"stop?"},
    // The names a screen reader says for the window's elements, and its default actions.
    {"window.homepage", u"官方网站", u"Official website"},
    {"window.close", u"关闭", u"Close"},
    {"window.minimise", u"最小化", u"Minimize"},
    {"window.copyright", u"版权信息", u"Copyright information"},
    {"window.installing", u"正在安装", u"Installing"},
    {"window.start", u"开始安装", u"Install now"},
    {"window.finish", u"完成", u"Finish"},
    {"window.folder", u"安装目录", u"Installation folder"},
    {"window.browse", u"浏览...", u"Browse..."},
    {"window.agree", u"我已阅读并同意用户许可协议", u"I have read and agree to the License Agreement"},
    {"window.licence", u"用户许可协议", u"License Agreement"},
    {"window.progress", u"安装进度", u"Installation progress"},
    {"window.press", u"按下", u"Press"},
    {"window.check", u"选中", u"Check"},
    {"window.clear", u"清除", u"Uncheck"},
    {"window.follow", u"跳转", u"Jump"},
    {"window.choose_folder", u"请选择一个目录：", u"Choose a folder:"},

    // The install: its checks, progress and outcome
    {"install.caption", u"安装提示", u"Setup"},
    {"install.package_damaged", u"客户端已损坏！是否现在就到官网下载最新版本？",
     u"The client is damaged. Download the latest version from the official website now?"},
    {"install.part_missing",
     u"找不到安装数据文件 {file}！请把它和安装程序放在同一文件夹中。是否现在就到官网下载最新版本？",
     u"The setup data file {file} cannot be found. Put it in the same folder as the setup "
     u"program. Download the latest version from the official website now?"},
    {"install.part_damaged", u"安装数据文件 {file} 已损坏！是否现在就到官网下载最新版本？",
     u"The setup data file {file} is damaged. Download the latest version from the official "
     u"website now?"},
    {"install.newer_installed",
     u"对不起！您的电脑里已经安装了更新版本（{installed}）的{name}。\n当前安装包版本（{version}）过旧无法"
     u"安装！\n",
     u"A newer version of {name} ({installed}) is already installed on this computer.\nThis setup "
     u"package ({version}) is older and cannot be installed.\n"},
    {"install.repair_question", u"您的电脑里已经安装了当前版本（{installed}）的{name}，需要修复吗？\n",
     u"This version of {name} ({installed}) is already installed on this computer. Do you want "
     u"to repair it?\n"},
    {"install.quit_security_software", u"请退出360杀毒或360卫士保障安装正常运行。",
     u"Please quit 360 Antivirus or 360 Total Security so that the installation can run "
     u"properly."},
    {"install.security_software_running",
     u"运行360杀毒或360卫士会导致文件被误删，软件无法正常使用。是否继续安装？",
     u"While 360 Antivirus or 360 Total Security runs, it may delete files by mistake and the "
     u"software may not work. Continue the installation anyway?"},
    {"install.client_running", u"{name}客户端{path}正在运行!\n是否强制终止后继续安装？",
     u"{name} is running ({path}).\nEnd it and continue the installation?"},
    {"install.client_running_uninstall", u"{name}客户端{path}正在运行!\n是否强制终止后继续卸载？",
     u"{name} is running ({path}).\nEnd it and continue uninstalling?"},
    {"install.client_running_update", u"{name}客户端{path}正在运行!\n是否强制终止后继续更新？",
     u"{name} is running ({path}).\nEnd it and continue the update?"},
    {"install.progress_detail", u"总大小：{total} MB，已下载：{done} MB，网速：{speed} KB/s，剩余：{left}",
     u"Total: {total} MB, downloaded: {done} MB, speed: {speed} KB/s, time left: {left}"},
    // The units of a duration, written one after another ("1天1时1分1秒", "1 d 1 h 1 min 1 s"):
    // days, hours and minutes only when not 0. A unit that may be followed by another ends with
    // what stands between them.
    {"install.days", u"{count}天", u"{count} d "},
    {"install.hours", u"{count}时", u"{count} h "},
    {"install.minutes", u"{count}分", u"{count} min "},
    {"install.seconds", u"{count}秒", u"{count} s"},
    {"install.not_started", u"安装无法开始：安装包已损坏或无法连接到服务器。\n请稍后重新运行安装程序。",
     u"The installation cannot start: the setup package is damaged or the server cannot be "
     u"reached.\nPlease run the setup program again later."},
    {"install.list_not_trusted",
     u"安装无法开始：服务器上的文件列表未通过签名验证，可能已被篡改，未安装任何文件。\n请到官网下载最新的"
     u"安装包。",
     u"The installation cannot start: the file list on the server failed its signature check and "
     u"may have been tampered with. Nothing was installed.\nPlease download the latest setup "
     u"package from the official website."},
    {"install.old_list",
     u"安装无法开始：服务器上的文件列表比本安装包的版本还旧，可能是重新发布的旧列表，未安装任何文件。\n请"
     u"到官网下载最新的安装包。",
     u"The installation cannot start: the file list on the server is older than this setup "
     u"package and may be an old list published again. Nothing was installed.\nPlease download "
     u"the latest setup package from the official website."},
    {"install.folder_failed",
     u"安装无法开始：无法写入安装目录。\n请选择其他目录，或以管理员身份重新运行安装程序。",
     u"The installation cannot start: the installation folder cannot be written to.\nChoose "
     u"another folder, or run the setup program again as an administrator."},
    {"install.earlier_run",
     u"另一个安装程序正在安装到此目录，或上次中断的安装未能撤销。\n请关闭正在使用这些文件的程序后重新运"
     u"行安装程序。",
     u"Another setup program is installing into this folder, or an interrupted installation "
     u"could not be undone.\nClose the programs that use these files, then run the setup "
     u"program again."},
    {"install.unusable",
     u"安装失败：客户端文件未能安装，软件无法使用！\n请到官网下载最新的安装包后重新安装。",
     u"Installation failed: the client's files could not be installed, so the software cannot "
     u"be used.\nPlease download the latest setup package from the official website and install "
     u"again."},
    {"install.failed", u"安装失败：{file} 未能安装。",
     u"Installation failed: {file} could not be installed."},
    {"install.failed_because", u"安装失败：{file} 未能安装（{reason}）。",
     u"Installation failed: {file} could not be installed ({reason})."},
    {"install.undone", u"已撤销本次安装所做的全部更改，电脑上的内容与安装前相同。",
     u"Every change the installation made has been undone; the computer is as it was before."},
    // {list} is the paths left, each on a line of its own.
    {"install.not_undone",
     u"本次安装所做的更改未能全部撤销。请关闭正在使用这些文件的程序后重新运行安装程序，以完成撤销。以下内"
     u"容仍留在电脑上：{list}",
     u"Not every change the installation made could be undone. Close the programs that use these "
     u"files and run the setup program again to finish undoing it. These items are still on the "
     u"computer:{list}"},
    // Why a file could not be installed, shown in brackets after its name.
    {"install.damaged_part_reason",
     u"安装程序旁的数据文件已损坏或不完整，与安装包不符，请重新下载全部安装文件",
     u"a data file beside the setup program is damaged or incomplete and does not match the setup "
     u"package; download all the setup files again"},
    {"install.installer_file_name_reason", u"与安装程序自身的文件同名",
     u"it has the same name as one of the setup program's own files"},

    // What acts on the installed product
    {"product.file_owner_question", u"当前待删除文件{file}正在运行!\n是否强制终止后删除？",
     u"{file} is running and has to be deleted.\nEnd it and delete the file?"},
    {"product.file_owner_caption", u"文件删除提示", u"Delete file"},
    {"product.uninstall_shortcut", u"卸载{name}", u"Uninstall {name}"},

    // The uninstaller
    {"uninstall.question", u"您确定要完全卸载{name}及其所有组件吗？",
     u"Are you sure you want to completely remove {name} and all of its components?"},
    {"uninstall.nothing", u"{name}已经卸载，没有需要移除的内容。",
     u"{name} has already been uninstalled; there is nothing to remove."},
    {"uninstall.done", u"{name}已成功从您的电脑中卸载。",
     u"{name} was successfully removed from your computer."},
    {"uninstall.busy",
     u"另一个安装或更新程序正在处理{name}，或上次中断的安装未能撤销。\n请稍后再运行卸载程序。",
     u"Another setup or update program is working on {name}, or an interrupted installation "
     u"could not be undone.\nPlease run the uninstaller again later."},
    {"uninstall.list_damaged",
     u"卸载信息文件 uninst.dat 已损坏，无法确定{name}安装了哪些文件。为避免误删，本次未删除任何文件，注册"
     u"信息也已保留。",
     u"The uninstall information file uninst.dat is damaged, so it cannot be determined which "
     u"files {name} installed. To avoid deleting the wrong files, nothing was deleted and the "
     u"registration was kept."},
    // {list} is the entries left, each on a line of its own that ends with a line break.
    {"uninstall.entries_left",
     u"注意：有{count}个项目未能删除：\n{list}请关闭正在使用这些文件的程序后重新运行卸载程序。",
     u"Note: the following items could not be deleted ({count} in all):\n{list}Close the "
     u"programs that use these files, then run the uninstaller again."},
    {"uninstall.registration_left",
     u"注意：有{count}项快捷方式或注册信息未能删除：\n{list}程序文件已删除。请稍后重新运行卸载程序，以完"
     u"成卸载。",
     u"Note: the following shortcuts or registry entries could not be removed ({count} in "
     u"all):\n{list}The program files were deleted. Run the uninstaller again later to finish "
     u"uninstalling."},
    // The line that stands for the entries of a long list not shown.
    {"uninstall.more", u"……", u"..."},

    // The updater
    {"update.not_installed", u"您的电脑里没有安装{name}，无法更新。\n请先运行安装程序。",
     u"{name} is not installed on this computer, so it cannot be updated.\nPlease run the setup "
     u"program first."},
    {"update.no_list",
     u"无法获取{name}的更新信息：无法连接到服务器或更新列表已损坏。\n请稍后再试。",
     u"Could not get update information for {name}: the server cannot be reached or the update "
     u"list is damaged.\nPlease try again later."},
    {"update.list_not_trusted",
     u"无法更新{name}：服务器上的更新列表未通过签名验证，可能已被篡改。\n未作任何更改。",
     u"Could not update {name}: the update list on the server failed its signature check and "
     u"may have been tampered with.\nNothing was changed."},
    {"update.older_list",
     u"无法更新{name}：服务器上的更新列表（版本 {list_version}）比已安装的版本（{installed}）旧，可能是被重"
     u"新发布的旧列表。\n未作任何更改。",
     u"Could not update {name}: the update list on the server (version {list_version}) is older "
     u"than the installed version ({installed}) and may be an old list published again.\nNothing "
     u"was changed."},
    {"update.unversioned_list",
     u"无法更新{name}：服务器上的更新列表没有标明版本，无法与已安装的版本（{installed}）比较。\n未作任何"
     u"更改。",
     u"Could not update {name}: the update list on the server names no version to compare with "
     u"the installed version ({installed}).\nNothing was changed."},
    {"update.question", u"发现{name}的新版本，是否现在更新？",
     u"A new version of {name} is available. Update now?"},
    {"update.question_version", u"发现{name}的新版本（{version}），是否现在更新？",
     u"A new version of {name} ({version}) is available. Update now?"},
    {"update.up_to_date", u"{name}已是最新版本。", u"{name} is up to date."},
    {"update.done", u"{name}已更新到最新版本。", u"{name} has been updated to the latest version."},
    {"update.failed", u"更新失败：{file} 未能更新。", u"Update failed: {file} could not be updated."},
    {"update.failed_because", u"更新失败：{file} 未能更新（{reason}）。",
     u"Update failed: {file} could not be updated ({reason})."},
    {"update.undone",
     u"已撤销本次更新，软件保持原来的版本。请关闭正在使用这些文件的程序后重新运行更新程序。",
     u"The update was undone and the software keeps its previous version. Close the programs that "
     u"use these files, then run the updater again."},
    // {list} is the paths left, each on a line of its own.
    {"update.not_undone",
     u"本次更新所做的更改未能全部撤销。请关闭正在使用这些文件的程序后重新运行更新程序，以完成撤销。以下内"
     u"容仍留在电脑上：{list}",
     u"Not every change the update made could be undone. Close the programs that use these files "
     u"and run the updater again to finish undoing it. These items are still on the "
     u"computer:{list}"},
    {"update.busy",
     u"另一个安装或更新程序正在处理{name}，或上次中断的安装未能撤销。\n请稍后再试。",
     u"Another setup or update program is working on {name}, or an interrupted installation "
     u"could not be undone.\nPlease try again later."},
};
