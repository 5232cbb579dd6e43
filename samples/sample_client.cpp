// The demo's client program: what the installer installs, registers and launches. A stand-in
// for a real client, it starts and ends at once, so a launch never waits for anyone.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
