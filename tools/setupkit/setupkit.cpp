#include "tools/setupkit/setupkit.h"

#include <cstdio>

#include "support/text/utf8.h"
#include "tools/setupkit/build_commands.h"
#include "tools/setupkit/container_commands.h"
#include "tools/setupkit/installer_contents.h"
#include "tools/setupkit/language_commands.h"
#include "tools/setupkit/list_commands.h"
#include "tools/setupkit/record_commands.h"
#include "tools/setupkit/signing_commands.h"
#include "tools/setupkit/tool_output.h"
#include "tools/setupkit/zip_commands.h"

namespace {

using Arguments = std::vector<std::u16string>;

// A command that reads its own options takes any number of arguments.
constexpr size_t kOwnOptions = static_cast<size_t>(-1);

// What may follow a command's arguments, in any order: a flag word, and an option word with a
// value.
struct Options {
  bool flag = false;
  std::u16string value;
  std::u16string secondValue;
  std::vector<std::u16string> repeated;  // every value of the repeatable option, in order
};

struct Command {
  const char16_t* name;
  size_t argumentCount;         // or kOwnOptions
  const char16_t* flag;         // or null
  const char16_t* valueOption;  // or null
  const char* usage;
  int (*run)(const Arguments& arguments, const Options& options);
  const char16_t* secondValueOption = nullptr;  // another option word with a value, or null
  const char16_t* repeatedOption = nullptr;     // an option word with a value, given any times
};

const Command kCommands[] = {
    {u"pack", 2, nullptr, nullptr,
     "pack IN OUT               write IN's bytes as a packed container to OUT",
     [](const Arguments& a, const Options&) { return PackCommand(a[0], a[1]); }},
    {u"unpack", 2, nullptr, nullptr,
     "unpack IN OUT             unpack a container (unpacked files are copied as they are)",
     [](const Arguments& a, const Options&) { return UnpackCommand(a[0], a[1]); }},
    {u"zip", 2, nullptr, nullptr,
     "zip FOLDER OUT            write FOLDER as a zip archive encrypted with the archive password",
     [](const Arguments& a, const Options&) { return ZipCommand(a[0], a[1]); }},
    {u"list", 3, u"--packed", u"--version",
     "list FOLDER URLBASE OUT [--version V] [--packed] [--sign-key SECRET] [--previous DIR]...\n"
     "                          write FOLDER's update list (update.xml), signed into OUT.sig\n"
     "                          with SECRET, with patches from each earlier version DIR\n"
     "                          written beside OUT",
     [](const Arguments& a, const Options& o) {
       return ListCommand(a[0], a[1], a[2], o.value, o.flag, o.secondValue, o.repeated);
     },
     u"--sign-key", u"--previous"},
    {u"keygen", 2, nullptr, nullptr,
     "keygen SECRET PUBLIC      write a new signing key pair (SECRET readable by you alone)",
     [](const Arguments& a, const Options&) { return KeygenCommand(a[0], a[1]); }},
    {u"verify", 3, nullptr, nullptr,
     "verify LIST SIG PUBLIC    say whether SIG is PUBLIC's signature of LIST",
     [](const Arguments& a, const Options&) { return VerifyCommand(a[0], a[1], a[2]); }},
    {u"config", 2, u"--packed", nullptr,
     "config IN OUT [--packed]  turn a configuration (key=value; lines) into the client record",
     [](const Arguments& a, const Options& o) { return ConfigCommand(a[0], a[1], o.flag); }},
    {u"texts", kOwnOptions, nullptr, nullptr,
     "texts [CODE]              print the built-in language CODE (en unless given, or zh-CN) as\n"
     "                          a language file, to translate for build --language",
     [](const Arguments& a, const Options&) { return TextsCommand(a); }},
    {u"show", 1, nullptr, u"--public-key",
     "show FILE                 print the update list, uninstall list (uninst.dat) or client "
     "record in FILE (a record, or an executable's)"
     "\n  show LIST --public-key PUBLIC\n"
     "                          print the update list LIST and whether LIST.sig verifies",
     [](const Arguments& a, const Options& o) {
       return o.value.empty() ? ShowCommand(a[0]) : ShowSignedListCommand(a[0], o.value);
     }},
    {u"stamp", 2, nullptr, u"--public-key",
     "stamp EXE RECORD [--public-key PUBLIC] [--language FILE]...\n"
     "                          write RECORD into EXE as its \"APP\" resource, PUBLIC as its\n"
     "                          \"KEY\" resource and the language files as its \"LANGS\" resource",
     [](const Arguments& a, const Options& o) {
       return StampCommand(a[0], a[1], o.value, o.repeated);
     },
     nullptr, u"--language"},
    {u"build", kOwnOptions, nullptr, nullptr,
     "build --config FILE --client FOLDER [--skin FOLDER] [--theme FILE] [--download]\n"
     "        [--no-uninstaller] [--no-updater] [--stub SETUP] [--publish DIR [--previous DIR]...]\n"
     "        [--sign-pkcs12 FILE [--timestamp-url URL]] [--sign-key SECRET] [--split SIZE]\n"
     "        [--language FILE]... -o OUT\n"
     "                          make a ready installer from the setup.exe stub (the key's\n"
     "                          password in SETUPKIT_SIGN_PASSWORD), its update list signed\n"
     "                          with SECRET, speaking each language FILE too",
     [](const Arguments& a, const Options&) { return BuildCommand(a); }},
    {u"inspect", 1, nullptr, nullptr,
     "inspect SETUP             print an installer's configuration, payload entries, mode, "
     "stub size, signatures and languages",
     [](const Arguments& a, const Options&) { return InspectCommand(a[0]); }},
};

// Moves the options that follow the command's arguments into options. False when the words
// are not exactly the arguments followed by options, each given at most once. A command that
// reads its own options keeps every word.
bool TakeOptions(const Command& command, Arguments& arguments, Options& options) {
  if (command.argumentCount == kOwnOptions) return true;
  if (arguments.size() < command.argumentCount) return false;
  bool valueGiven = false;
  bool secondValueGiven = false;
  for (size_t i = command.argumentCount; i < arguments.size(); ++i) {
    const std::u16string& word = arguments[i];
    if (command.flag != nullptr && word == command.flag && !options.flag) {
      options.flag = true;
    } else if (command.valueOption != nullptr && word == command.valueOption && !valueGiven &&
               i + 1 < arguments.size()) {
      valueGiven = true;
      options.value = arguments[++i];
    } else if (command.secondValueOption != nullptr && word == command.secondValueOption &&
               !secondValueGiven && i + 1 < arguments.size()) {
      secondValueGiven = true;
      options.secondValue = arguments[++i];
    } else if (command.repeatedOption != nullptr && word == command.repeatedOption &&
               i + 1 < arguments.size()) {
      options.repeated.push_back(arguments[++i]);
    } else {
      return false;
    }
  }
  arguments.resize(command.argumentCount);
  return true;
}

void PrintHelp(std::FILE* stream) {
  std::fprintf(stream, "usage: setupkit COMMAND ARGUMENTS\n\ncommands:\n");
  for (const Command& command : kCommands) std::fprintf(stream, "  %s\n", command.usage);
  std::fprintf(stream, "  --help                    show this help\n");
}

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "setupkit: %s\n", problem.c_str());
  std::fprintf(stderr, "usage: setupkit COMMAND ARGUMENTS (setupkit --help lists the commands)\n");
  return kExitUsage;
}

}  // namespace

int RunSetupkit(const std::vector<std::u16string>& args) {
  if (args.empty()) return UsageError("no command given");
  if (args[0] == u"--help" || args[0] == u"-h" || args[0] == u"help") {
    PrintHelp(stdout);
    return kExitDone;
  }
  for (const Command& command : kCommands) {
    if (args[0] != command.name) continue;
    Arguments arguments(args.begin() + 1, args.end());
    Options options;
    if (!TakeOptions(command, arguments, options)) {
      return UsageError(std::string("wrong arguments; usage: setupkit ") + command.usage);
    }
    return command.run(arguments, options);
  }
  return UsageError("unknown command " + Utf16ToUtf8(args[0].c_str()));
}
