// Test-facing API of the simulated driver store and the device tree's root:
// what a test arranges before a run and inspects after it.
// Results of the CM_ functions are chosen with sim::FailCall(name, CONFIGRET).
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace sim {

// --- Device tree root -------------------------------------------------------
// CM_Locate_DevNodeW gives this DEVINST for the root (a null or empty ID);
// devices are numbered from 100 up, so no device ever shares it.
constexpr DEVINST kRootDevInst = 1;

// Every re-enumeration request CM_Reenumerate_DevNode accepted, in order.
struct ReenumerateRequest {
  DEVINST devInst;
  ULONG flags;
};
const std::vector<ReenumerateRequest>& ReenumerateRequests();

// --- Driver store -------------------------------------------------------------
// The store is the set of oemN.inf files in kInfDirectory; a test may also
// put packages there with sim::AddFile. Names are compared without regard to
// case.
std::vector<std::wstring> StoredPackages();  // "oemN.inf" names, by N
// A package that devices use: SetupUninstallOEMInfW refuses it without
// SUOI_FORCEDELETE.
// A device's InfPath marks its package in use as well, present or not.
void MarkPackageInUse(const std::wstring& infName, bool inUse = true);
// The codes SetupUninstallOEMInfW answers for a package in use and for an
// oem<N>.inf not in the INF folder (after Reset: ERROR_INF_IN_USE_BY_DEVICES
// and ERROR_FILE_NOT_FOUND). A test sets others to show the program right
// whichever way Windows answers.
void SetUninstallAnswers(DWORD inUse, DWORD notInstalled);

}  // namespace sim
