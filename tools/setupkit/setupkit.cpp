#include "tools/setupkit/setupkit.h"

#include <cstdio>

#include "support/utf8.h"
#include "tools/setupkit/container_commands.h"
#include "tools/setupkit/tool_output.h"
#include "tools/setupkit/zip_commands.h"

namespace {

struct Command {
  const char16_t* name;
  size_t argumentCount;
  const char* usage;
  int (*run)(const std::vector<std::u16string>& arguments);
};

const Command kCommands[] = {
    {u"pack", 2, "pack IN OUT      write IN's bytes as a packed container to OUT",
     [](const std::vector<std::u16string>& a) { return PackCommand(a[0], a[1]); }},
    {u"unpack", 2, "unpack IN OUT    unpack a container (unpacked files are copied as they are)",
     [](const std::vector<std::u16string>& a) { return UnpackCommand(a[0], a[1]); }},
    {u"zip", 2, "zip FOLDER OUT   write FOLDER as a zip archive encrypted with the archive password",
     [](const std::vector<std::u16string>& a) { return ZipCommand(a[0], a[1]); }},
};

void PrintHelp(std::FILE* stream) {
  std::fprintf(stream, "usage: setupkit COMMAND ARGUMENTS\n\ncommands:\n");
  for (const Command& command : kCommands) std::fprintf(stream, "  %s\n", command.usage);
  std::fprintf(stream, "  --help           show this help\n");
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
    std::vector<std::u16string> arguments(args.begin() + 1, args.end());
    if (arguments.size() != command.argumentCount) {
      return UsageError(std::string("wrong arguments; usage: setupkit ") + command.usage);
    }
    return command.run(arguments);
  }
  return UsageError("unknown command " + Utf16ToUtf8(args[0].c_str()));
}
