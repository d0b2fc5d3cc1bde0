// Engine "remove" and the clean-up behind it, one row per outcome a user
// sees: the lines, the summary, the result, a restart asked for by "-r", and
// whether "pelmora.exe remove" went on to delete the device's package.
#include "engine/engine.h"
#include "expected_message.h"
#include "frontend/exit_codes.h"
#include "packages/packages.h"
#include "platform/sim/sim_devices.h"
#include "sim_test.h"

namespace {

const wchar_t kPackage[] = L"C:\\Windows\\INF\\oem1.inf";

struct Outcome {
  const char* name;
  // r removed, b reboot, s restart, f set-params fails, i installer fails, u ID unreadable, w ID read
  // as empty by the first form only, p hardware and compatible IDs unreadable; a composite USB device P
  // and its interfaces c (x: one whose removal fails)
  const char* devices;
  const char* failing;  // a call that fails on its nth call, or null
  int nth;
  const char* lines;    // per device: S succeeded, B on reboot, F failed, E failed with an empty ID, - none
  int result;
  DWORD summary;
  unsigned count;
  char departure = 0;  // what an older set answers for an interface that left with its device
};

const Outcome kOutcomes[] = {
    {"nothing matched", "", nullptr, 0, "", 0, MSG_REMOVED_NONE, 0},
    {"all removed", "rr", nullptr, 0, "SS", 0, MSG_REMOVED, 2},
    {"one pending", "rb", nullptr, 0, "SB", 1, MSG_REMOVED_REBOOT, 2},
    {"restart flag", "s", nullptr, 0, "B", 1, MSG_REMOVED_REBOOT, 1},
    {"install parameters unreadable", "r", "SetupDiGetDeviceInstallParamsW", 1, "B", 1, MSG_REMOVED_REBOOT, 1},
    // After a removal, a failure is tried once more in a new set: its line comes last.
    {"one failing after removals", "rrf", nullptr, 0, "SSF", 2, MSG_REMOVED, 2},
    {"all failing", "fi", nullptr, 0, "FF", 2, MSG_REMOVED_NONE, 0},
    {"instance ID unreadable", "ru", nullptr, 0, "SE", 2, MSG_REMOVED, 1},
    // The walk reads the details once, then each visit once.
    {"list detail unreadable", "rr", "SetupDiGetDeviceInfoListDetailW", 2, "ES", 2, MSG_REMOVED, 1},
    {"failure and restart", "bi", nullptr, 0, "BF", 2, MSG_REMOVED_REBOOT, 1},
    {"instance ID read the second way", "w", nullptr, 0, "S", 0, MSG_REMOVED, 1},
    // A device that cannot be told selected or not is not tried; the others are.
    {"IDs of a device unreadable", "pr", nullptr, 0, "-S", 2, MSG_REMOVED, 1},
    // Removing a composite device takes its interfaces along, met first or last: an older set
    // then keeps them readable (a), loses them (b), or fails on them while a new set lists them (c).
    {"first, a", "Pcc", nullptr, 0, "SSS", 0, MSG_REMOVED, 3, 'a'}, {"last, a", "ccP", nullptr, 0, "SSS", 0, MSG_REMOVED, 3, 'a'},
    {"first, b", "Pcc", nullptr, 0, "S--", 0, MSG_REMOVED, 1, 'b'}, {"last, b", "ccP", nullptr, 0, "SSS", 0, MSG_REMOVED, 3, 'b'},
    {"first, c", "Pcc", nullptr, 0, "SSS", 0, MSG_REMOVED, 3, 'c'}, {"last, c", "ccP", nullptr, 0, "SSS", 0, MSG_REMOVED, 3, 'c'},
    // x: an interface that cannot be removed while it is still listed fails the command.
    {"x first, a", "Pcx", nullptr, 0, "SSF", 2, MSG_REMOVED, 2, 'a'}, {"x last, a", "xcP", nullptr, 0, "FSS", 2, MSG_REMOVED, 2, 'a'},
    {"x first, b", "Pcx", nullptr, 0, "S--", 0, MSG_REMOVED, 1, 'b'}, {"x last, b", "xcP", nullptr, 0, "FSS", 2, MSG_REMOVED, 2, 'b'},
    {"x first, c", "Pcx", nullptr, 0, "SSF", 2, MSG_REMOVED, 2, 'c'}, {"x last, c", "xcP", nullptr, 0, "FSS", 2, MSG_REMOVED, 2, 'c'},
};

const wchar_t kComposite[] = L"USB\\VID_1234&PID_5678\\5&2A";

// Lines keep every character of an ID: insert syntax, one past the padding, the longest there is (199).
std::wstring Id(const Outcome& row, size_t i) {
  if (row.devices[i] == 'P') return kComposite;
  if (row.devices[i] == 'c' || row.devices[i] == 'x') {
    return L"USB\\VID_1234&PID_5678&MI_0" + std::to_wstring(i) + L"\\6&1&" + std::to_wstring(i);
  }
  if (i == 0) return L"ROOT\\%1%N%%\\0000";
  return L"ROOT\\" + (i == 1 ? std::wstring(70, L'L') : std::wstring(194, L'M'));
}

void Arrange(const Outcome& row) {
  for (size_t i = 0; row.devices[i]; ++i) {
    sim::DeviceSpec device = sim::Device(Id(row, i), L"Sample", {L"PELMORA\\SAMPLE"});
    if (row.devices[i] == 'c' || row.devices[i] == 'x') device.parent = kComposite;
    switch (row.devices[i]) {
      case 'b': device.removal = sim::Removal::kNeedsReboot; break;
      case 's': device.removal = sim::Removal::kNeedsRestart; break;
      case 'f': device.removal = sim::Removal::kFailsAtSetParams; break;
      case 'i':
      case 'x': device.removal = sim::Removal::kFailsAtInstaller; break;
      case 'u': device.idReadFails = true; break;
      case 'w': device.idReadWritesNothing = true; break;
      case 'p': device.propertiesFail = true; break;
      default: break;
    }
    sim::AddDevice(device);
  }
  // One device the pattern does not select, so that it is no "every device".
  sim::AddDevice(sim::Device(L"PCI\\VEN_1\\0", L"Net", {L"PCI\\VEN_1"}));
  sim::AddFile(kPackage, PackageInf("", "[Models]\r\nx = y, PELMORA\\SAMPLE\r\n"));
  if (row.failing) sim::FailCall(row.failing, ERROR_INVALID_HANDLE, row.nth);
  if (row.departure == 'b') sim::SetChildDeparture(sim::ChildDeparture::kGone);
  if (row.departure == 'c') sim::SetChildDeparture(sim::ChildDeparture::kRelistedElsewhere);
}

// What a new set of all devices still lists of what the pattern selects, removals pending aside.
std::string StillListed() {
  std::string listed;
  for (const std::wstring& id : sim::DeviceIds()) {
    if (id.find(L"PCI\\") != 0 && !sim::DeviceRemovalPending(id)) listed += sim::Utf8(id) + " ";
  }
  return listed;
}

class DeviceRemoval : public SimTest {};

TEST_F(DeviceRemoval, EachOutcomeDecidesResultSummaryRestartAndCleanUp) {
  for (const Outcome& row : kOutcomes) {
    SCOPED_TRACE(row.name);
    sim::Reset();
    Arrange(row);
    Args args{L"dummy.exe", L"-r", L"remove", L"PELMORA\\*"};
    EXPECT_EQ(row.result, EngineRun(args.argc(), args.argv()));
    std::string expected;
    for (size_t i = 0; row.lines[i]; ++i) {
      const char label = row.lines[i];
      if (label == '-') continue;
      expected += DeviceLine(label == 'E' ? "" : sim::Utf8(Id(row, i)),
                       label == 'S' ? "Remove succeeded" : label == 'B' ? "Remove on reboot" : "Remove failed");
    }
    EXPECT_EQ(expected + ExpectedMessage(row.summary, row.count), sim::StdOut());
    EXPECT_EQ(row.result == 2 ? ExpectedMessage(MSG_COMMAND_FAILED, L"dummy.exe", L"remove") : "", sim::StdErr());
    EXPECT_EQ(row.result == 1 ? 1u : 0u, sim::RestartRequests().size());
    EXPECT_EQ(0, sim::OpenHandles());
    EXPECT_TRUE(row.result == 2 || StillListed().empty()) << StillListed();

    sim::Reset();
    Arrange(row);
    EXPECT_EQ(row.result, ExitCodeFor(RemoveDevicesAndPackages(L"PELMORA\\*|PELMORA\\SAMPLE")));
    EXPECT_EQ(row.result != 0, sim::FileExists(kPackage)) << "the package goes only after a removal without fault";
    EXPECT_TRUE(row.result == 2 || StillListed().empty()) << StillListed();
  }
}

}  // namespace
