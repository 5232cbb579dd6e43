#pragma once

#include <string>

// Authenticode signing of executables, in memory or in their files, by osslsigncode found along
// PATH: the key and certificate come from a PKCS #12 file, its password from the environment
// variable SETUPKIT_SIGN_PASSWORD (never from a command line: osslsigncode reads it from a file in
// a folder only this user can read, removed right after). The signing time is SOURCE_DATE_EPOCH
// when that is set, so that signed builds come out the same too; a time-stamping service, when
// named, countersigns it.

struct SigningOptions {
  std::u16string pkcs12;        // the key and certificate; empty: nothing is signed
  std::u16string timestampUrl;  // an RFC 3161 time-stamping service; empty: none
};

class CodeSigner {
 public:
  CodeSigner() = default;
  ~CodeSigner();
  CodeSigner(const CodeSigner&) = delete;
  CodeSigner& operator=(const CodeSigner&) = delete;

  // Checks everything signing needs before any work is done: the tool on the path, the PKCS #12
  // file, the password, the time-stamping URL and SOURCE_DATE_EPOCH. False, with a one-line
  // reason in problem. Without a PKCS #12 file there is nothing to prepare and nothing is signed.
  bool Prepare(const SigningOptions& options, std::string& problem);
  bool Enabled() const { return !tool_.empty(); }

  // Signs image, the bytes of an executable named what in messages, replacing any signature it
  // had. False, with a one-line reason in problem and image unchanged, when the tool fails.
  bool Sign(std::string& image, const std::string& what, std::string& problem);
  // Signs the executable file at path in place, as Sign does its bytes: the tool writes the
  // signed file beside it, which then replaces it. False, with the file unchanged, as Sign.
  bool SignFile(const std::u16string& path, const std::string& what, std::string& problem);

 private:
  std::u16string tool_;
  std::u16string pkcs12_;
  std::u16string timestampUrl_;
  std::string password_;
  std::string signingTime_;  // decimal seconds since 1970, or empty for the current time
  std::u16string folder_;

  // Runs the tool on the file in, writing the signed file out; false as Sign.
  bool SignInto(const std::u16string& in, const std::u16string& out, const std::string& what,
                std::string& problem);
};

// True when url can name a time-stamping service: "http://" or "https://", a host, and nothing
// but printable ASCII without spaces.
bool IsTimestampUrl(const std::u16string& url);
