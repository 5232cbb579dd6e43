// The access list Windows gives a file made for its owner alone.
#include <windows.h>

#include <aclapi.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/new_file.h"
#include "support/wide_text.h"
#include "tests/helpers/temp_folder.h"

namespace {

// The DACL of a file as Windows reads it back, with the descriptor that holds it.
struct FileAccessList {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ACL* acl = nullptr;
  bool isProtected = false;
  ~FileAccessList() { LocalFree(descriptor); }
};

bool ReadAccessList(const std::u16string& path, FileAccessList& list) {
  if (GetNamedSecurityInfoW(AsWide(path.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, &list.acl, nullptr,
                            &list.descriptor) != ERROR_SUCCESS) {
    return false;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(list.descriptor, &control, &revision);
  list.isProtected = (control & SE_DACL_PROTECTED) != 0;
  return true;
}

std::vector<uint8_t> CurrentUserToken() {
  HANDLE token = nullptr;
  EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<uint8_t> user(size);
  EXPECT_TRUE(GetTokenInformation(token, TokenUser, user.data(), size, &size));
  CloseHandle(token);
  return user;
}

TEST(NewFileWindows, AnOwnerOnlyFileGrantsTheUserAloneAndInheritsNothing) {
  TempFolder folder;
  const std::u16string secret = folder.File(u"secret.key");
  const std::u16string usual = folder.File(u"public.key");
  ASSERT_TRUE(WriteNewFile(secret.c_str(), "k", 1, NewFileAccess::kOwnerOnly));
  ASSERT_TRUE(WriteNewFile(usual.c_str(), "k", 1, NewFileAccess::kUsual));

  FileAccessList list;
  ASSERT_TRUE(ReadAccessList(secret, list));
  ASSERT_NE(list.acl, nullptr);
  EXPECT_TRUE(list.isProtected);
  ASSERT_EQ(list.acl->AceCount, 1);
  void* ace = nullptr;
  ASSERT_TRUE(GetAce(list.acl, 0, &ace));
  auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
  EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
  EXPECT_EQ(allowed->Mask & FILE_ALL_ACCESS, static_cast<DWORD>(FILE_ALL_ACCESS));
  std::vector<uint8_t> user = CurrentUserToken();
  ASSERT_FALSE(user.empty());
  EXPECT_TRUE(EqualSid(&allowed->SidStart, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid));

  // The usual file keeps what the folder gives: not a list of the user alone.
  FileAccessList usualList;
  ASSERT_TRUE(ReadAccessList(usual, usualList));
  EXPECT_FALSE(usualList.isProtected);
}

}  // namespace
