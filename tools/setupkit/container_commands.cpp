#include "tools/setupkit/container_commands.h"

#include "support/container/packed_container.h"
#include "support/files/xdata.h"
#include "tools/setupkit/tool_output.h"

namespace {

// The largest payload whose container length still fits in 32 bits with its header.
constexpr uint32_t kLargestPayload = 0xFFFFFFFFu - kContainerHeaderSize - 2;

bool ReadInput(const std::u16string& path, XData& bytes) { return bytes.ReadFile(path.c_str(), 0); }

}  // namespace

int PackCommand(const std::u16string& in, const std::u16string& out) {
  XData input;
  if (!ReadInput(in, input)) return Fail("cannot read " + Shown(in));
  if (input.Length() == 0) return Fail(Shown(in) + " is empty: an empty container cannot be read back");
  if (input.Length() > kLargestPayload) return Fail(Shown(in) + " is too large to pack");
  XData container;
  if (!container.Reserve(input.Length() + kContainerHeaderSize, true)) {
    return Fail("out of memory packing " + Shown(in));
  }
  uint32_t size =
      PackContainer(container.Data(), container.Capacity(), input.Data(), input.Length());
  if (size == 0) return Fail("cannot pack " + Shown(in));
  if (!WriteOutputFile(out, container.Data(), size)) return Fail("cannot write " + Shown(out));
  return kExitDone;
}

int UnpackCommand(const std::u16string& in, const std::u16string& out) {
  XData input;
  if (!ReadInput(in, input)) return Fail("cannot read " + Shown(in));
  if (!HasContainerMarker(input.Data(), input.Length())) {
    if (!WriteOutputFile(out, input.Data(), input.Length())) {
      return Fail("cannot write " + Shown(out));
    }
    return kExitDone;
  }
  XData payload;
  if (!payload.Reserve(input.Length(), true)) return Fail("out of memory unpacking " + Shown(in));
  uint32_t size = UnpackContainer(payload.Data(), payload.Capacity(), input.Data(), input.Length());
  if (size == 0) return Fail(Shown(in) + " is a damaged container");
  if (!WriteOutputFile(out, payload.Data(), size)) return Fail("cannot write " + Shown(out));
  return kExitDone;
}
