#include "support/system/os_version.h"

#include <windows.h>

#include "support/system/os_name.h"

namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);

RtlGetVersionFunction FindRtlGetVersion() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return nullptr;
  return reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
}

}  // namespace

bool GetOsVersion(OSVERSIONINFOEXW* info) {
  static const RtlGetVersionFunction rtlGetVersion = FindRtlGetVersion();
  if (info == nullptr || rtlGetVersion == nullptr) return false;
  *info = {};
  info->dwOSVersionInfoSize = sizeof *info;
  return rtlGetVersion(info) == 0;
}

uint32_t GetOsVersionCode() {
  OSVERSIONINFOEXW info;
  if (!GetOsVersion(&info)) return 0;
  return PackOsVersion(info.dwPlatformId, info.wProductType, info.dwMajorVersion,
                       info.dwMinorVersion);
}

const char16_t* GetSystemName() {
  uint32_t code = GetOsVersionCode();
  return code == 0 ? nullptr : GetOsName(code);
}
