#include "support/files/new_file.h"

#include <windows.h>

#include <vector>

#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/files/file_stream.h"

namespace {

// The user the process runs as, in a buffer that holds the token's answer; null when unknown.
std::vector<uint8_t> CurrentUser() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  Handle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<uint8_t> user(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) return {};
  return user;
}

// A security descriptor whose access list grants the user alone full access and inherits
// nothing from the folder. Its parts live as long as the object.
class OwnerOnlySecurity {
 public:
  bool Build() {
    user_ = CurrentUser();
    if (user_.empty()) return false;
    PSID sid = reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid;
    acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid));
    auto* acl = reinterpret_cast<ACL*>(acl_.data());
    return InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) &&
           AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid) &&
           InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) &&
           SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
  }
  SECURITY_DESCRIPTOR* Descriptor() { return &descriptor_; }

 private:
  std::vector<uint8_t> user_;
  std::vector<uint8_t> acl_;
  SECURITY_DESCRIPTOR descriptor_ = {};
};

}  // namespace

bool WriteNewFile(const char16_t* path, const void* bytes, uint32_t n, NewFileAccess access) {
  if (path == nullptr || (bytes == nullptr && n > 0)) return false;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  OwnerOnlySecurity security;
  if (access == NewFileAccess::kOwnerOnly) {
    if (!security.Build()) return false;
    attributes.lpSecurityDescriptor = security.Descriptor();
  }
  // CREATE_NEW fails on any existing name, a link included.
  Handle file(CreateFileW(AsWide(path), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  DWORD written = 0;
  bool whole = n == 0 || (WriteFile(file.Get(), bytes, n, &written, nullptr) && written == n);
  bool closed = CloseHandle(file.Release()) != 0;
  if (whole && closed) return true;
  RemoveFile(path);
  return false;
}
