#pragma once

class IClientInfo;

// Starting the installed product with Windows: a value of the Run key named after the product's
// name.

// True when the Run key has that value.
bool IsAutoStart(const IClientInfo& product);

// On: writes the value with the main path recorded in the product key ("main"); false when none
// is recorded or the write fails. Off: deletes the value.
bool SetAutoStart(const IClientInfo& product, bool on);
