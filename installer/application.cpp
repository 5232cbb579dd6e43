#include "installer/application.h"

// The install window and its message loop are not built yet: the program ends here.
void RunApplication(ModuleHandle, IClientInfo&) {}
