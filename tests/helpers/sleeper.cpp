// A helper process for the tests: it runs until it is ended, or exits by itself after the
// number of seconds given as its first argument (60 by default), so a failed test never leaves
// it behind for long.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  Sleep(static_cast<DWORD>(seconds) * 1000);
  return 0;
}
