#pragma once

#include <string>
#include <vector>

#include "product/registration_places.h"

class IJournalTarget;

// Removes the product's registration at places from machine (runValue: the name of its Run
// value), each removal logged, in an order that lets a run cut off anywhere be finished by the
// next: the Run value, the shortcuts, the program group and the uninstall entry first, and the
// product key last, only once everything else is gone, since the product key is how the
// uninstaller knows that the product is still registered here. The company key above it goes
// with it when it is left empty. Returns what could not be removed, each as "place: the system's
// reason" (keys as "HKEY_LOCAL_MACHINE\..."); empty when everything is gone.
std::vector<std::u16string> RemoveRegistration(IJournalTarget& machine,
                                               const RegistrationPlaces& places,
                                               const std::u16string& runValue);
