#include "support/files/whole_write.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A write the system cuts short or fails names the system's reason for it, its own code or, when
// it gave none, a full disk: never no error at all, which the system's words would tell as a
// success.
TEST(WholeWrite, NamesWhyAWriteFellShort) {
  // Windows' codes, passed on as they are.
  constexpr uint32_t kDiskFull = 112;       // ERROR_DISK_FULL
  constexpr uint32_t kHandleDiskFull = 39;  // ERROR_HANDLE_DISK_FULL
  constexpr uint32_t kWriteProtect = 19;    // ERROR_WRITE_PROTECT
  constexpr uint32_t kAccessDenied = 5;     // ERROR_ACCESS_DENIED
  constexpr uint32_t kGiven = 1000;
  struct Case {
    const char* name;
    uint32_t takes;  // of the bytes it is given
    bool fails;
    uint32_t error;   // the call's own
    uint32_t reason;  // WriteWhole's
  };
  const Case cases[] = {
      {"every byte taken", kGiven, false, 0, 0},
      {"cut short without a reason", 600, false, 0, kDiskFull},
      {"nothing taken without a reason", 0, false, 0, kDiskFull},
      {"failed without a reason", 0, true, 0, kDiskFull},
      {"a full disk", 0, true, kDiskFull, kDiskFull},
      {"a full disk, part written", 300, true, kHandleDiskFull, kHandleDiskFull},
      {"a read-only medium", 0, true, kWriteProtect, kWriteProtect},
      {"access denied", 0, true, kAccessDenied, kAccessDenied},
  };
  const std::vector<uint8_t> bytes(kGiven, 0x5A);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint32_t> given;
    const WriteCall write = [&](const uint8_t* piece, uint32_t n, uint32_t* written,
                                uint32_t* error) {
      EXPECT_EQ(piece, bytes.data());
      given.push_back(n);
      *written = c.takes;
      if (c.fails) *error = c.error;
      return !c.fails;
    };
    EXPECT_EQ(WriteWhole(write, bytes.data(), bytes.size(), kDiskFull), c.reason);
    EXPECT_EQ(given, std::vector<uint32_t>{kGiven});
  }
}

}  // namespace
