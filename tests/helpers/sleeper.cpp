// A helper process for the tests: it runs until it is ended, or exits by itself after the
// number of seconds given as its first argument (60 by default), so a failed test never leaves
// it behind for long. With a file as its second argument it holds that file open, sharing it
// with nobody, as a program using it does.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  const int seconds = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 60;
  HANDLE held = argc > 2 ? CreateFileW(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                       nullptr)
                         : INVALID_HANDLE_VALUE;
  if (argc > 2 && held == INVALID_HANDLE_VALUE) return 2;
  Sleep(static_cast<DWORD>(seconds) * 1000);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  return 0;
}
