// The Configuration Manager's view of the device tree's root: locating it and
// asking for it to be re-enumerated. The CM_ functions answer with a
// CONFIGRET and leave the thread's last error alone; a test picks the answer
// with sim::FailCall(name, CONFIGRET).
#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_store.h"

namespace sim {
namespace {

const ULONG kLocateFlags = 0x7;       // CM_LOCATE_DEVNODE_BITS
const ULONG kReenumerateFlags = 0x7;  // CM_REENUMERATE_BITS

std::vector<ReenumerateRequest>& Requests() {
  static std::vector<ReenumerateRequest> requests;
  return requests;
}

// The root answers to no ID at all, to an empty one and to its own.
bool NamesRoot(const WCHAR* deviceId) {
  return !deviceId || *deviceId == 0 || detail::EqualNoCase(deviceId, L"HTREE\\ROOT\\0");
}

}  // namespace

const std::vector<ReenumerateRequest>& ReenumerateRequests() { return Requests(); }

namespace detail {
void ResetConfigManagerRoot() { Requests().clear(); }
}  // namespace detail

}  // namespace sim

using namespace sim::detail;

// Device nodes other than the root belong to the device tree's own area.
CONFIGRET CM_Locate_DevNodeW(PDEVINST devInst, const WCHAR* deviceId, ULONG flags) {
  unsigned long chosen = CR_SUCCESS;
  bool faulted = FaultInjected("CM_Locate_DevNodeW", Quote(deviceId) + ", " + Hex(flags), &chosen);
  if (!devInst) return CR_INVALID_POINTER;
  *devInst = 0;
  if (faulted) return static_cast<CONFIGRET>(chosen);
  if (flags & ~sim::kLocateFlags) return CR_INVALID_FLAG;
  if (!sim::NamesRoot(deviceId)) return CR_NO_SUCH_DEVNODE;
  *devInst = sim::kRootDevInst;
  return CR_SUCCESS;
}

CONFIGRET CM_Reenumerate_DevNode(DEVINST devInst, ULONG flags) {
  unsigned long chosen = CR_SUCCESS;
  if (FaultInjected("CM_Reenumerate_DevNode", std::to_string(devInst) + ", " + Hex(flags), &chosen)) {
    return static_cast<CONFIGRET>(chosen);
  }
  if (flags & ~sim::kReenumerateFlags) return CR_INVALID_FLAG;
  if (devInst != sim::kRootDevInst) return CR_INVALID_DEVNODE;
  sim::Requests().push_back(sim::ReenumerateRequest{devInst, flags});
  return CR_SUCCESS;
}
