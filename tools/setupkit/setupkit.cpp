#include "tools/setupkit/setupkit.h"

#include <cstdio>

#include "support/utf8.h"
#ifdef _WIN32
#include "tools/setupkit/build_commands.h"
#endif
#include "tools/setupkit/container_commands.h"
#include "tools/setupkit/record_commands.h"
#include "tools/setupkit/tool_output.h"
#include "tools/setupkit/zip_commands.h"

namespace {

using Arguments = std::vector<std::u16string>;

// A command that reads its own options takes any number of arguments.
constexpr size_t kOwnOptions = static_cast<size_t>(-1);

struct Command {
  const char16_t* name;
  size_t argumentCount;  // or kOwnOptions
  const char16_t* option;  // a word that may follow the arguments, or null
  const char* usage;
  int (*run)(const Arguments& arguments, bool optionGiven);
};

const Command kCommands[] = {
    {u"pack", 2, nullptr, "pack IN OUT               write IN's bytes as a packed container to OUT",
     [](const Arguments& a, bool) { return PackCommand(a[0], a[1]); }},
    {u"unpack", 2, nullptr,
     "unpack IN OUT             unpack a container (unpacked files are copied as they are)",
     [](const Arguments& a, bool) { return UnpackCommand(a[0], a[1]); }},
    {u"zip", 2, nullptr,
     "zip FOLDER OUT            write FOLDER as a zip archive encrypted with the archive password",
     [](const Arguments& a, bool) { return ZipCommand(a[0], a[1]); }},
    {u"config", 2, u"--packed",
     "config IN OUT [--packed]  turn a configuration (key=value; lines) into the client record",
     [](const Arguments& a, bool packed) { return ConfigCommand(a[0], a[1], packed); }},
    {u"show", 1, nullptr,
#ifdef _WIN32
     "show FILE                 print the client record in FILE (a record, or an executable's)",
#else
     "show FILE                 print the client record in FILE (a record file)",
#endif
     [](const Arguments& a, bool) { return ShowCommand(a[0]); }},
#ifdef _WIN32
    {u"stamp", 2, nullptr,
     "stamp EXE RECORD          write RECORD into EXE as its \"APP\" resource",
     [](const Arguments& a, bool) { return StampCommand(a[0], a[1]); }},
    {u"build", kOwnOptions, nullptr,
     "build --config FILE --client FOLDER [--skin FOLDER] [--theme FILE] [--download]\n"
     "        [--stub SETUP] -o OUT    make a ready installer from the setup.exe stub",
     [](const Arguments& a, bool) { return BuildCommand(a); }},
    {u"inspect", 1, nullptr,
     "inspect SETUP             print an installer's configuration, payload entries and mode",
     [](const Arguments& a, bool) { return InspectCommand(a[0]); }},
#endif
};

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
    bool optionGiven = command.option != nullptr &&
                       arguments.size() == command.argumentCount + 1 &&
                       arguments.back() == command.option;
    if (optionGiven) arguments.pop_back();
    if (command.argumentCount != kOwnOptions && arguments.size() != command.argumentCount) {
      return UsageError(std::string("wrong arguments; usage: setupkit ") + command.usage);
    }
    return command.run(arguments, optionGiven);
  }
  return UsageError("unknown command " + Utf16ToUtf8(args[0].c_str()));
}
