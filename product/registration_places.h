#pragma once

#include <string>

// Where the product's registration goes on this machine (registration_steps.h finds them).
// Keys are below HKEY_LOCAL_MACHINE. Shortcut paths are empty when their folder is not there (the
// Quick Launch folder is missing on newer systems).
struct RegistrationPlaces {
  std::u16string productKey;
  std::u16string uninstallKey;
  std::u16string desktopLink;
  std::u16string startMenuLink;
  std::u16string quickLaunchLink;
  std::u16string group;  // the program group's folder, ending with "\"
};
