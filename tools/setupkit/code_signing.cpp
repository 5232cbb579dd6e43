#include "tools/setupkit/code_signing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "support/files/file_size.h"
#include "support/files/file_stream.h"
#include "support/files/xdata.h"
#include "support/pe/pe_image.h"
#include "support/text/utf8.h"
#include "tools/setupkit/host_system.h"
#include "tools/setupkit/scratch_file.h"
#include "tools/setupkit/tool_output.h"

namespace {

constexpr char16_t kTool[] = u"osslsigncode";
constexpr char kPasswordVariable[] = "SETUPKIT_SIGN_PASSWORD";
constexpr char kSourceDateVariable[] = "SOURCE_DATE_EPOCH";

bool IsDecimal(const std::string& text) {
  if (text.empty() || text.size() > 12) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The last line the tool printed, which says why it failed.
std::string LastLine(const std::string& output) {
  size_t end = output.find_last_not_of("\r\n");
  if (end == std::string::npos) return "no message";
  size_t start = output.find_last_of("\r\n", end);
  return output.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

// Why the tool could not sign, from what it printed: a password that does not open the key in
// the library's own words ("mac verify failure": the key file's check value does not match the
// password), anything else in the tool's last line.
std::string SigningFailure(const std::string& output, const std::u16string& pkcs12) {
  if (output.find("mac verify failure") != std::string::npos) {
    return std::string("the password in ") + kPasswordVariable + " is wrong for the signing key " +
           Shown(pkcs12);
  }
  return LastLine(output);
}

// The most bytes an executable's headers take: far more than any linker writes.
constexpr size_t kHeadersRead = 64 << 10;

// True when the executable file at path carries a signature; only its headers are read.
bool HasSignature(const std::u16string& path) {
  uint64_t size = 0;
  FileStream file = OpenFileStream(path.c_str(), "rb");
  if (!file || !GetFileSize(path.c_str(), &size)) return false;
  std::string head(static_cast<size_t>(std::min<uint64_t>(size, kHeadersRead)), '\0');
  if (std::fread(&head[0], 1, head.size(), file.get()) != head.size()) return false;
  PeImage pe;
  std::string problem;
  return pe.ParseHeaders(head, size, problem) &&
         pe.Directory(PeImage::kCertificateDirectory).size != 0;
}

}  // namespace

bool IsTimestampUrl(const std::u16string& url) {
  size_t host = url.rfind(u"http://", 0) == 0 ? 7 : url.rfind(u"https://", 0) == 0 ? 8 : 0;
  if (host == 0 || host == url.size() || url[host] == u'/') return false;
  for (char16_t unit : url) {
    if (unit <= u' ' || unit > u'~') return false;
  }
  return true;
}

CodeSigner::~CodeSigner() {
  if (folder_.empty()) return;
  std::error_code error;
  std::filesystem::remove_all(std::filesystem::path(folder_), error);
}

bool CodeSigner::Prepare(const SigningOptions& options, std::string& problem) {
  if (options.pkcs12.empty()) return true;
  if (!options.timestampUrl.empty() && !IsTimestampUrl(options.timestampUrl)) {
    problem = "--timestamp-url " + Shown(options.timestampUrl) +
              " is not an http:// or https:// URL of a time-stamping service";
    return false;
  }
  XData key;
  if (!key.ReadFile(options.pkcs12.c_str(), 0) || key.Length() == 0) {
    problem = "cannot read the signing key " + Shown(options.pkcs12);
    return false;
  }
  if (!ReadEnvironment(kPasswordVariable, password_)) {
    problem = std::string("--sign-pkcs12 needs the key's password in the environment variable ") +
              kPasswordVariable;
    return false;
  }
  if (ReadEnvironment(kSourceDateVariable, signingTime_) && !IsDecimal(signingTime_)) {
    problem = std::string(kSourceDateVariable) + " must be a number of seconds, not \"" +
              signingTime_ + "\"";
    return false;
  }
  const std::u16string tool = FindOnPath(kTool);
  if (tool.empty()) {
    problem = "--sign-pkcs12 needs osslsigncode, which is not on the path";
    return false;
  }
  folder_ = MakePrivateFolder();
  if (folder_.empty()) {
    problem = "cannot make a private folder for signing in the temporary folder";
    return false;
  }
  tool_ = tool;
  pkcs12_ = options.pkcs12;
  timestampUrl_ = options.timestampUrl;
  return true;
}

bool CodeSigner::Sign(std::string& image, const std::string& what, std::string& problem) {
  ScratchFile unsigned_(folder_ + u"unsigned.exe");
  ScratchFile signed_(folder_ + u"signed.exe");
  if (!WriteWholeFile(unsigned_.Path().c_str(), image.data(),
                      static_cast<uint32_t>(image.size()))) {
    problem = "cannot write " + what + " to sign it in " + Shown(folder_);
    return false;
  }
  if (!SignInto(unsigned_.Path(), signed_.Path(), what, problem)) return false;
  XData result;
  if (!result.ReadFile(signed_.Path().c_str(), 0)) {
    problem = "cannot read " + what + " back from " + Shown(signed_.Path());
    return false;
  }
  image.assign(reinterpret_cast<const char*>(result.Data()), result.Length());
  return true;
}

bool CodeSigner::SignFile(const std::u16string& path, const std::string& what,
                          std::string& problem) {
  ScratchFile signed_(path + u".signed~");
  if (!SignInto(path, signed_.Path(), what, problem)) return false;
  std::error_code error;
  std::filesystem::rename(std::filesystem::path(signed_.Path()), std::filesystem::path(path),
                          error);
  if (error) {
    problem = "cannot put the signed " + what + " in place of " + Shown(path);
    return false;
  }
  return true;
}

bool CodeSigner::SignInto(const std::u16string& in, const std::u16string& out,
                          const std::string& what, std::string& problem) {
  ScratchFile password(folder_ + u"password");
  if (!WriteWholeFile(password.Path().c_str(), password_.data(),
                      static_cast<uint32_t>(password_.size()))) {
    problem = "cannot write " + what + " to sign it in " + Shown(folder_);
    return false;
  }
  std::vector<std::u16string> arguments = {u"sign", u"-pkcs12", pkcs12_, u"-readpass",
                                           password.Path(), u"-h", u"sha256"};
  if (!timestampUrl_.empty()) arguments.insert(arguments.end(), {u"-ts", timestampUrl_});
  if (!signingTime_.empty()) arguments.insert(arguments.end(), {u"-time", Utf8ToUtf16(signingTime_)});
  arguments.insert(arguments.end(), {u"-in", in, u"-out", out});
  std::string output;
  const int status = RunAndWait(tool_, arguments, output);
  // Whatever the exit status says, only a file that carries a signature is a signed one.
  if (status != 0 || !HasSignature(out)) {
    problem =
        "osslsigncode could not sign " + what +
        (status < 0 ? std::string(": it did not start") : ": " + SigningFailure(output, pkcs12_));
    return false;
  }
  return true;
}
