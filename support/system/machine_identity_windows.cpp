#include "support/system/machine_identity.h"

#include <windows.h>
#include <winioctl.h>

#include <cwchar>
#include <cstring>

#include "support/core/handle_windows.h"
#include "support/system/cpu_text.h"
#include "support/system/machine_text.h"

namespace {

constexpr DWORD kListingCapacity = 1000;
// wmic usually answers within half a second; the read gives up after this long in any case.
constexpr DWORD kListingDeadlineMs = 3000;

// Reads what the child writes until it has ended and the pipe is drained, the buffer is full or
// the deadline passes, so a child that hangs or prints nothing cannot stall the caller.
DWORD ReadChildOutput(HANDLE pipe, HANDLE child, char* buffer, DWORD capacity) {
  DWORD total = 0;
  ULONGLONG deadline = GetTickCount64() + kListingDeadlineMs;
  while (total < capacity && GetTickCount64() < deadline) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) break;  // writer gone
    if (available == 0) {
      if (WaitForSingleObject(child, 20) == WAIT_OBJECT_0 &&
          PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available == 0) {
        break;
      }
      continue;
    }
    DWORD want = available < capacity - total ? available : capacity - total;
    DWORD read = 0;
    if (!ReadFile(pipe, buffer + total, want, &read, nullptr) || read == 0) break;
    total += read;
  }
  return total;
}

}  // namespace

int GetBoardSerial(char* out) {
  if (out == nullptr) return 0;
  out[0] = 0;
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return 0;
  Handle reader(readEnd);
  Handle writer(writeEnd);
  // Only the write end goes to the child.
  SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  GetStartupInfoW(&startup);
  startup.hStdOutput = writer.Get();
  startup.hStdError = writer.Get();
  startup.hStdInput = nullptr;
  startup.wShowWindow = SW_HIDE;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  wchar_t commandLine[] = L"wmic BaseBoard get SerialNumber";
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return 0;
  }
  Handle child(process.hProcess);
  Handle thread(process.hThread);
  // Our copy of the write end would keep the pipe open after the child is gone.
  writer.Reset(nullptr);

  char listing[kListingCapacity + 1] = {};
  DWORD read = ReadChildOutput(reader.Get(), child.Get(), listing, kListingCapacity);
  return ExtractSerialNumber(listing, read, out);
}

int GetDiskSerial(char* out, int drive) {
  if (out == nullptr || drive < 0 || drive > 7) return 0;
  out[0] = 0;
  wchar_t device[32];
  std::swprintf(device, 32, L"\\\\.\\PhysicalDrive%d", drive);
  Handle disk(CreateFileW(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, 0, nullptr));
  if (!disk.Valid()) return 0;

  GETVERSIONINPARAMS version = {};
  DWORD returned = 0;
  if (!DeviceIoControl(disk.Get(), SMART_GET_VERSION, nullptr, 0, &version, sizeof version,
                       &returned, nullptr) ||
      (version.fCapabilities & CAP_ATA_ID_CMD) == 0 ||
      (version.fCapabilities & (0x10 >> drive)) != 0) {
    return 0;
  }

  SENDCMDINPARAMS command = {};
  command.cBufferSize = IDENTIFY_BUFFER_SIZE;
  command.irDriveRegs.bSectorCountReg = 1;
  command.irDriveRegs.bSectorNumberReg = 1;
  command.irDriveRegs.bDriveHeadReg = (drive & 1) ? 0xB0 : 0xA0;
  command.irDriveRegs.bCommandReg = ID_CMD;
  command.bDriveNumber = static_cast<BYTE>(drive);
  // SENDCMDOUTPARAMS declares one data byte; the identify data needs IDENTIFY_BUFFER_SIZE.
  alignas(SENDCMDOUTPARAMS) uint8_t reply[sizeof(SENDCMDOUTPARAMS) + IDENTIFY_BUFFER_SIZE] = {};
  if (!DeviceIoControl(disk.Get(), SMART_RCV_DRIVE_DATA, &command, sizeof command, reply,
                       sizeof reply, &returned, nullptr)) {
    return 0;
  }
  const uint8_t* identify = reinterpret_cast<SENDCMDOUTPARAMS*>(reply)->bBuffer;
  constexpr int kSerialOffset = 20;
  constexpr int kSerialLength = 20;
  uint8_t serial[kSerialLength + 2] = {};
  for (int i = 0; i < kSerialLength && identify[kSerialOffset + i] != 0; ++i) {
    serial[i] = identify[kSerialOffset + i];
  }
  SwapBytePairs(serial, kSerialLength);
  int length = static_cast<int>(std::strlen(reinterpret_cast<char*>(serial)));
  std::memcpy(out, serial, static_cast<size_t>(length) + 1);
  return length;
}

int GetMachineText(char* buffer, int capacity) {
  char cpu[kCpuTextCapacity] = {};
  char board[kSerialCapacity] = {};
  char disk[kSerialCapacity] = {};
  GetCpuText(cpu);
  GetBoardSerial(board);
  GetDiskSerial(disk, 0);
  return BuildMachineText(buffer, capacity, cpu, board, disk);
}

bool GetDeviceId(char16_t* out, const char* extra) {
  if (out == nullptr) return false;
  char text[kMachineTextCapacity] = {};
  int length = GetMachineText(text, kMachineTextCapacity);
  return DeviceIdOfMachineText(out, text, length, extra);
}
