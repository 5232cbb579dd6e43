#pragma once

// The pieces of a machine's identity that only Windows can tell. Each writes a terminated text
// into out (kSerialCapacity bytes, see machine_text.h) and returns its length, 0 when the piece
// cannot be had; an empty piece still takes its place in the identity.

// The main board's serial number, as the system's wmic tool lists it.
int GetBoardSerial(char* out);
// The ATA serial number of physical drive `drive`, through SMART (needs administrator rights).
int GetDiskSerial(char* out, int drive);
// The raw identity text "|cpu|board|disk|" (machine_text.h's rules); returns its length.
int GetMachineText(char* buffer, int capacity);
// The machine's device identifier (machine_text.h's DeviceIdOfMachineText of GetMachineText),
// with an optional narrow extra text, into out (kDeviceIdUnits units). Computed afresh each call,
// which starts a child process. False when out is null or the raw text is empty.
bool GetDeviceId(char16_t* out, const char* extra);
