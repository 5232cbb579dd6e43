#include <windows.h>

#include "installer/application.h"
#include "installer/product_config.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (!LoadProductConfig(instance)) return 0;
  RunApplication(instance);
  return 0;
}
