#include "records/user_info.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Setter = int (IUserInfo::*)(const char16_t*);
using Getter = const FixedWString<32>& (IUserInfo::*)() const;

TEST(UserInfo, EachFieldKeepsItsOwnTextCutTo32) {
  const std::pair<Setter, Getter> fields[] = {
      {&IUserInfo::SetUserField1, &IUserInfo::GetUserField1},
      {&IUserInfo::SetUserField2, &IUserInfo::GetUserField2},
      {&IUserInfo::SetUserField3, &IUserInfo::GetUserField3},
      {&IUserInfo::SetUserField4, &IUserInfo::GetUserField4},
      {&IUserInfo::SetUserField5, &IUserInfo::GetUserField5},
      {&IUserInfo::SetUserField6, &IUserInfo::GetUserField6},
      {&IUserInfo::SetUserField7, &IUserInfo::GetUserField7},
      {&IUserInfo::SetUserField8, &IUserInfo::GetUserField8},
      {&IUserInfo::SetUserField9, &IUserInfo::GetUserField9},
  };
  std::u16string forty(40, u'x');
  for (size_t i = 0; i < std::size(fields); ++i) {
    SCOPED_TRACE(i + 1);
    CUserInfo info;
    auto [set, get] = fields[i];
    EXPECT_EQ((info.*set)(forty.c_str()), 32);
    EXPECT_EQ(std::u16string((info.*get)().Units()), forty.substr(0, 32));
    for (size_t other = 0; other < std::size(fields); ++other) {
      if (other == i) continue;
      Getter otherGet = fields[other].second;
      EXPECT_EQ((info.*otherGet)().Length(), 0);
    }
    EXPECT_EQ((info.*set)((info.*get)().Units()), 32);  // itself: unchanged
    EXPECT_EQ((info.*set)(nullptr), 0);
    EXPECT_EQ((info.*get)().Units()[0], 0);
  }
}

}  // namespace
