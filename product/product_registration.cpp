#include "product/product_registration.h"

#include "product/registration_steps.h"
#include "product/unregistration.h"
#include "records/client_info.h"
#include "support/journal/journal_target_windows.h"

std::vector<std::u16string> Unregister(const IClientInfo& product) {
  const std::u16string name = product.GetName().Units();
  RegistrationPlaces places;
  if (!FindRegistrationPlaces(product, &places)) {
    return {name + u": the places of its shortcuts and keys cannot be found"};
  }
  CWindowsJournalTarget machine;
  return RemoveRegistration(machine, places, name);
}
