#include "support/system/os_name.h"

namespace {

struct OsName {
  uint8_t major;
  uint8_t minor;
  const char16_t* workstation;
  const char16_t* server;
};

constexpr OsName kNames[] = {
    {5, 0, u"Windows 2000 Professional", u"Windows 2000 Server"},
    {5, 1, u"Windows XP", u"Windows XP"},
    {5, 2, u"Windows XP Professional x64 Edition", u"Windows Server 2003"},
    {6, 0, u"Windows Vista", u"Windows Server 2008"},
    {6, 1, u"Windows 7", u"Windows Server 2008 R2"},
    {6, 2, u"Windows 8", u"Windows Server 2012"},
    {6, 3, u"Windows 8.1", u"Windows Server 2012 R2"},
    {10, 0, u"Windows 10", u"Windows Server 2016"},
};

constexpr uint32_t kWorkstation = 1;

}  // namespace

uint32_t PackOsVersion(uint32_t platformId, uint32_t productType, uint32_t major, uint32_t minor) {
  return (platformId & 0xFF) << 24 | (productType & 0xFF) << 16 | (major & 0xFF) << 8 |
         (minor & 0xFF);
}

const char16_t* GetOsName(uint32_t code) {
  if (code == 0) return nullptr;
  uint32_t productType = (code >> 16) & 0xFF;
  uint32_t major = (code >> 8) & 0xFF;
  uint32_t minor = code & 0xFF;
  if (major != 5 && major != 6 && major != 10) return u"unknown";
  for (const OsName& name : kNames) {
    if (name.major == major && name.minor == minor) {
      return productType == kWorkstation ? name.workstation : name.server;
    }
  }
  return nullptr;
}
