#include <windows.h>

#include "installer/application.h"
#include "installer/product_config.h"
#include "records/client_info.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The program's one product record: loaded here, then handed to the window and its flow.
  CClientInfo product;
  if (!LoadProductConfig(instance, product)) return 0;
  RunApplication(instance, product);
  return 0;
}
