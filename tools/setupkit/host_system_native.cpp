// The packaging tool's system services outside Windows (POSIX).
#include <fcntl.h>
#include <locale.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wctype.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/files/filesystem_path.h"
#include "support/text/utf8.h"
#include "tools/setupkit/host_system.h"

extern char** environ;

namespace {

std::string Native(const std::u16string& text) { return Utf16ToUtf8(text.c_str()); }

// The locale whose case tables cover all of Unicode, whatever the process's own locale is.
class UnicodeCaseLocale {
 public:
  UnicodeCaseLocale() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0))) {}
  ~UnicodeCaseLocale() {
    if (locale_ != static_cast<locale_t>(0)) freelocale(locale_);
  }
  UnicodeCaseLocale(const UnicodeCaseLocale&) = delete;
  UnicodeCaseLocale& operator=(const UnicodeCaseLocale&) = delete;
  locale_t Get() const { return locale_; }

 private:
  locale_t locale_;
};

struct Pipe {
  int ends[2] = {-1, -1};
  ~Pipe() {
    for (int end : ends) {
      if (end >= 0) close(end);
    }
  }
};

}  // namespace

std::u16string ToolFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return u"";
  std::string folder(path, static_cast<size_t>(length));
  return Utf8ToUtf16(folder.substr(0, folder.rfind('/') + 1));
}

bool ReadEnvironment(const char* name, std::string& value) {
  const char* found = std::getenv(name);
  if (found == nullptr) return false;
  value = found;
  return true;
}

std::u16string FindOnPath(const char16_t* name) {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "";
  const std::string program = Native(name);
  for (size_t start = 0; start <= folders.size();) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    // An empty entry means the current folder; a tool that signs is never taken from there.
    const std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (folder.empty() || folder[0] != '/') continue;
    const std::string candidate = folder + "/" + program;
    struct stat status;
    if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return Utf8ToUtf16(candidate);
    }
  }
  return u"";
}

int RunAndWait(const std::u16string& program, const std::vector<std::u16string>& arguments,
               std::string& output) {
  output.clear();
  std::vector<std::string> words = {Native(program)};
  for (const std::u16string& argument : arguments) words.push_back(Native(argument));
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);

  Pipe pipe;
  if (::pipe2(pipe.ends, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe.ends[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipe.ends[1], 2);
  pid_t child = -1;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe.ends[1]);
  pipe.ends[1] = -1;
  if (spawned != 0) return -1;
  char buffer[4096];
  for (ssize_t n; (n = read(pipe.ends[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    output.append(buffer, static_cast<size_t>(n));
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::u16string MakePrivateFolder() {
  const char* temp = std::getenv("TMPDIR");
  std::string pattern = std::string(temp != nullptr && temp[0] == '/' ? temp : "/tmp") +
                        "/setupkit-XXXXXX";
  // mkdtemp makes the folder readable by its owner alone.
  if (mkdtemp(&pattern[0]) == nullptr) return u"";
  return Utf8ToUtf16(pattern + "/");
}

PathKind KindOfPath(const std::u16string& path) {
  struct stat status;
  if (stat(ToNativePathBytes(path.c_str()).c_str(), &status) != 0) return PathKind::kNothing;
  if (S_ISREG(status.st_mode)) return PathKind::kFile;
  return S_ISDIR(status.st_mode) ? PathKind::kFolder : PathKind::kDevice;
}

bool UpperCaseName(const std::u16string& name, std::u16string& upper) {
  static const UnicodeCaseLocale locale;
  if (locale.Get() == static_cast<locale_t>(0)) return false;
  upper = name;
  for (char16_t& unit : upper) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const wint_t mapped = towupper_l(unit, locale.Get());
    // Windows keeps a character whose upper case lowers to another one (the dotless i, the final
    // sigma, the micro sign) as it is.
    if (mapped <= 0xFFFF && towlower_l(mapped, locale.Get()) == unit) {
      unit = static_cast<char16_t>(mapped);
    }
  }
  return true;
}
