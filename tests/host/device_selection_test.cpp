// Which devices selection arguments reach, and how the walk ends.
#include <map>
#include <vector>

#include "engine/device_selection.h"
#include "engine/engine.h"
#include "platform/sim/sim_devices.h"
#include "sim_test.h"

namespace {

struct Visits : VisitorContext {
  std::string seen;  // "index:instance ID" of each visit, joined by blanks
  std::map<DEVINST, std::string> names;
};

int RecordVisit(HDEVINFO, SP_DEVINFO_DATA* devInfo, DWORD index, VisitorContext* context) {
  Visits& visits = *static_cast<Visits*>(context);
  visits.seen += (visits.seen.empty() ? "" : " ") + std::to_string(index) + ":" + visits.names[devInfo->DevInst];
  return 0;
}

// Two Net cards (one not present), a USB hub with only compatible IDs, a
// root device without any ID, one whose hardware ID is a literal star, and
// one with the longest instance ID there is. Indexes are of this order.
void AddMachine(Visits& visits) {
  sim::DeviceSpec absent = sim::Device(L"PCI\\VEN_10EC&DEV_8168\\4&2", L"Net", {L"PCI\\VEN_10EC&DEV_8168"});
  absent.present = false;
  sim::DeviceSpec silent = sim::Device(L"ROOT\\LEGACY_SILENT\\0000", L"System", {L"ROOT\\*"});
  silent.idReadWritesNothing = true;
  const sim::DeviceSpec devices[] = {
      sim::Device(L"PCI\\VEN_8086&DEV_1234\\3&1", L"Net", {L"PCI\\VEN_8086&DEV_1234", L"PCI\\VEN_8086"}),
      absent,
      sim::Device(L"USB\\ROOT_HUB\\5&3", L"USB", {}, {L"USB\\ROOT_HUB"}),
      sim::Device(L"ROOT\\LEGACY_FOO\\0000", L"System", {}),
      silent,
      sim::Device(L"ROOT\\" + std::wstring(194, L'L'), L"System", {L"="}),
  };
  for (const sim::DeviceSpec& device : devices) {
    visits.names[sim::AddDevice(device)] = device.instanceId.size() > 60 ? "LONG" : sim::Utf8(device.instanceId);
  }
}

class DeviceSelection : public SimTest {};

// Which devices the arguments select, and how the walk fails or ends when a
// platform call (the nth and the one after it) fails with an error.
TEST_F(DeviceSelection, ArgumentsAndThePlatformDecideWhatIsVisited) {
  struct Row {
    std::vector<std::wstring> args;
    const char* visited;
    int result = 0;
    const char* failing = nullptr;
    unsigned long error = 0;
    int nth = 0;
    const wchar_t* machine = nullptr;
  };
  const char all[] =
      "0:PCI\\VEN_8086&DEV_1234\\3&1 1:PCI\\VEN_10EC&DEV_8168\\4&2 2:USB\\ROOT_HUB\\5&3 "
      "3:ROOT\\LEGACY_FOO\\0000 4:ROOT\\LEGACY_SILENT\\0000 5:LONG";
  const Row rows[] = {
      {{L"*"}, all},
      {{L"*", L"NOTHING"}, all},
      {{L"=net"}, "0:PCI\\VEN_8086&DEV_1234\\3&1 1:PCI\\VEN_10EC&DEV_8168\\4&2"},
      {{L"=Net", L"*8168"}, "1:PCI\\VEN_10EC&DEV_8168\\4&2"},
      {{L"=NoSuchClass", L"*"}, ""},
      {{L"="}, "5:LONG"},  // a lone '=' is a pattern
      {{L"pci\\ven_8086*"}, "0:PCI\\VEN_8086&DEV_1234\\3&1"},
      {{L"usb\\root_hub"}, "2:USB\\ROOT_HUB\\5&3"},  // compatible IDs count
      {{L"ROOT\\LEGACY_FOO\\0000"}, ""},             // an instance ID is no hardware ID
      {{L"X", L"*"}, "0:PCI\\VEN_8086&DEV_1234\\3&1 1:PCI\\VEN_10EC&DEV_8168\\4&2 2:USB\\ROOT_HUB\\5&3 "
                     "4:ROOT\\LEGACY_SILENT\\0000 5:LONG"},
      {{L"'root\\*"}, "4:ROOT\\LEGACY_SILENT\\0000"},
      {{L"@root\\legacy_foo\\0000"}, "0:ROOT\\LEGACY_FOO\\0000"},  // opened into an empty set
      {{L"@ROOT\\NONE", L"@USB\\ROOT_HUB\\5&3", L"@ROOT\\" + std::wstring(194, L'L')}, "0:USB\\ROOT_HUB\\5&3 1:LONG"},
      {{L"=Net", L"@ROOT\\LEGACY_FOO\\0000"}, ""},
      // An ID that one read leaves empty is read again with the plain form.
      {{L"@ROOT\\*"}, "3:ROOT\\LEGACY_FOO\\0000 4:ROOT\\LEGACY_SILENT\\0000 5:LONG"},
      {{L"@*L"}, "5:LONG"},
      {{L"@"}, ""},
      {{L"=Net"}, "", 2, "SetupDiClassGuidsFromNameExW", ERROR_INVALID_MACHINENAME, 1},
      {{L"*"}, "", 2, "SetupDiGetClassDevsExW", ERROR_ACCESS_DENIED, 1},
      {{L"@USB\\ROOT_HUB\\5&3"}, "", 2, "SetupDiCreateDeviceInfoListExW", ERROR_NOT_ENOUGH_MEMORY, 1},
      {{L"*"}, "", 2, "SetupDiGetDeviceInfoListDetailW", ERROR_INVALID_HANDLE, 1},
      {{L"*"}, "", 2, nullptr, 0, 0, L"NOWHERE"},
      {{L"*"}, "0:PCI\\VEN_8086&DEV_1234\\3&1", 0, "SetupDiEnumDeviceInfo", ERROR_NO_MORE_ITEMS, 2},
      {{L"@USB\\ROOT_HUB\\5&3"}, "", 0, "SetupDiOpenDeviceInfoW", ERROR_NO_SUCH_DEVINST, 1},
      {{L"PCI*"}, "1:PCI\\VEN_10EC&DEV_8168\\4&2", 0, "SetupDiGetDeviceRegistryPropertyW", ERROR_INVALID_DATA,
       1},  // a list the device does not have
      // IDs that cannot be read may be the ones asked for: such a device is
      // counted for the caller, and the walk goes on.
      {{L"PCI*"}, "1:PCI\\VEN_10EC&DEV_8168\\4&2 unreadable:1", 0, "SetupDiGetDeviceRegistryPropertyW",
       ERROR_NO_SUCH_DEVINST, 1},
      {{L"@ROOT\\*"}, "3:ROOT\\LEGACY_FOO\\0000 4:ROOT\\LEGACY_SILENT\\0000 5:LONG unreadable:2", 0,
       "CM_Get_Device_ID_ExW", CR_INVALID_DEVNODE, 1},
      {{L"@ROOT\\*"}, "3:ROOT\\LEGACY_FOO\\0000 5:LONG unreadable:1", 0, "CM_Get_Device_IDW", CR_NO_SUCH_DEVNODE, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(sim::Utf8(row.args[0]) + " " + (row.failing ? row.failing : ""));
    sim::Reset();
    Visits visits;
    AddMachine(visits);
    if (row.failing) sim::FailCall(row.failing, row.error, row.nth, 2);
    std::vector<const wchar_t*> argv;
    for (const std::wstring& arg : row.args) argv.push_back(arg.c_str());
    const int count = static_cast<int>(argv.size());
    EXPECT_EQ(row.result, ForEachMatchingDevice(row.machine, count, argv.data(), RecordVisit, &visits));
    if (visits.unreadableDevices) visits.seen += " unreadable:" + std::to_string(visits.unreadableDevices);
    EXPECT_EQ(row.visited, visits.seen);
    EXPECT_EQ(0, sim::OpenHandles());
  }
}

}  // namespace
