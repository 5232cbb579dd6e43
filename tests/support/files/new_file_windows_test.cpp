// Who may open a file made for its owner alone, as Windows reports it. Wine keeps no access list
// of a file: it turns the one given at creation into the Unix mode and reports a list made from
// that mode, always naming SYSTEM beside the owner. So the test asks what holds on both: nobody
// but the user (and SYSTEM) is granted anything, while a usual file in the same folder grants
// someone else.
#include <windows.h>

#include <aclapi.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/core/wide_text.h"
#include "support/files/new_file.h"
#include "tests/helpers/temp_folder.h"

namespace {

std::vector<uint8_t> CurrentUser() {
  HANDLE token = nullptr;
  EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<uint8_t> user(size);
  EXPECT_TRUE(GetTokenInformation(token, TokenUser, user.data(), size, &size));
  CloseHandle(token);
  return user;
}

// How many allowing entries of the file's access list grant someone other than the user and
// SYSTEM; -1 when the list cannot be read.
int OthersGranted(const std::u16string& path, PSID user) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ACL* acl = nullptr;
  if (GetNamedSecurityInfoW(AsWide(path.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return -1;
  }
  BYTE systemSid[SECURITY_MAX_SID_SIZE];
  DWORD systemSize = sizeof systemSid;
  CreateWellKnownSid(WinLocalSystemSid, nullptr, systemSid, &systemSize);
  int others = acl == nullptr ? 1 : 0;  // no list at all grants everyone
  for (int i = 0; acl != nullptr && i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(acl, i, &ace)) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    PSID sid = &allowed->SidStart;
    if (!EqualSid(sid, user) && !EqualSid(sid, systemSid)) ++others;
  }
  LocalFree(descriptor);
  return others;
}

TEST(NewFileWindows, AnOwnerOnlyFileGrantsNobodyButItsOwner) {
  TempFolder folder;
  const std::u16string secret = folder.File(u"secret.key");
  const std::u16string usual = folder.File(u"public.key");
  ASSERT_TRUE(WriteNewFile(secret.c_str(), "k", 1, NewFileAccess::kOwnerOnly));
  ASSERT_TRUE(WriteNewFile(usual.c_str(), "k", 1, NewFileAccess::kUsual));
  std::vector<uint8_t> user = CurrentUser();
  ASSERT_FALSE(user.empty());
  PSID userSid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  EXPECT_EQ(OthersGranted(secret, userSid), 0);
  EXPECT_GT(OthersGranted(usual, userSid), 0);
}

}  // namespace
