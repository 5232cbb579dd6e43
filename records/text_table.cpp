#include "records/text_table.h"

// Every text of the product's programs, in TextKey order: its name in a language file, then the
// Chinese and the English. Parts in braces are filled in when the text is shown.
const TextRow kTextTable[kTextKeyCount] = {
    // The command line's switches
    {"switches.title", u"可用的命令行参数（不区分大小写）：",
     u"Command-line switches (not case-sensitive):"},
    {"switches.refused", u"无法识别的命令行参数：{switch}", u"Unknown command-line switch: {switch}"},
    // language
    {"switches.language", u"/LANG=语言代码：使用该语言（如 en、zh-CN）显示文字",
     u"/LANG=code: show the texts in that language (such as en or zh-CN)"},

    // The install window and its page

    // The install: its checks, progress and outcome

    // What acts on the installed product

    // The uninstaller

    // The updater
};
