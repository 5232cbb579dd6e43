#pragma once

#include "support/fixed_wstring.h"

// Nine short texts about the user of the client, each kept to 32 characters. The installer keeps
// one for the life of the process and never fills it; the fields are named by position.
class IUserInfo {
 public:
  virtual ~IUserInfo() = default;

  // Each setter copies with the 32-unit cutting rule (null empties the field) and returns the
  // new length.
  virtual int SetUserField1(const char16_t* text) = 0;
  virtual const FixedWString<32>& GetUserField1() const = 0;
  virtual int SetUserField2(const char16_t* text) = 0;
  virtual const FixedWString<32>& GetUserField2() const = 0;
  virtual int SetUserField3(const char16_t* text) = 0;
  virtual const FixedWString<32>& GetUserField3() const = 0;
  virtual int SetUserField4(const char16_t* text) = 0;
  virtual const FixedWString<32>& GetUserField4() const = 0;
  virtual int SetUserField5(const char16_t* text) = 0;
  virtual const FixedWString<32>& GetUserField5() const = 0;
  virtual int SetUserField6(const char16_t* text) = 0;
  virtual const FixedWString<32>& GetUserField6() const = 0;
  virtual int SetUserField7(const char16_t* text) = 0;
  virtual const FixedWString<32>& GetUserField7() const = 0;
  virtual int SetUserField8(const char16_t* text) = 0;
  virtual const FixedWString<32>& GetUserField8() const = 0;
  virtual int SetUserField9(const char16_t* text) = 0;
  virtual const FixedWString<32>& GetUserField9() const = 0;
};

class CUserInfo : public IUserInfo {
 public:
  int SetUserField1(const char16_t* text) override { return Set(0, text); }
  const FixedWString<32>& GetUserField1() const override { return fields_[0]; }
  int SetUserField2(const char16_t* text) override { return Set(1, text); }
  const FixedWString<32>& GetUserField2() const override { return fields_[1]; }
  int SetUserField3(const char16_t* text) override { return Set(2, text); }
  const FixedWString<32>& GetUserField3() const override { return fields_[2]; }
  int SetUserField4(const char16_t* text) override { return Set(3, text); }
  const FixedWString<32>& GetUserField4() const override { return fields_[3]; }
  int SetUserField5(const char16_t* text) override { return Set(4, text); }
  const FixedWString<32>& GetUserField5() const override { return fields_[4]; }
  int SetUserField6(const char16_t* text) override { return Set(5, text); }
  const FixedWString<32>& GetUserField6() const override { return fields_[5]; }
  int SetUserField7(const char16_t* text) override { return Set(6, text); }
  const FixedWString<32>& GetUserField7() const override { return fields_[6]; }
  int SetUserField8(const char16_t* text) override { return Set(7, text); }
  const FixedWString<32>& GetUserField8() const override { return fields_[7]; }
  int SetUserField9(const char16_t* text) override { return Set(8, text); }
  const FixedWString<32>& GetUserField9() const override { return fields_[8]; }

 private:
  int Set(int index, const char16_t* text) { return fields_[index].Assign(text).Length(); }

  FixedWString<32> fields_[9];
};
