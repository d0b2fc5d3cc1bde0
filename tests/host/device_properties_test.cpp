// A device's names and ID lists as the engine reads them, whatever their
// size, type or terminators.
#include <memory>
#include <string>
#include <vector>

#include "engine/device_selection.h"
#include "platform/sim/sim_devices.h"
#include "sim_test.h"

namespace {

using Values = std::vector<sim::PropertyValue>;
const DWORD kName = SPDRP_FRIENDLYNAME, kList = SPDRP_HARDWAREID;

class DeviceProperties : public SimTest {
 protected:
  // A machine whose one device's `property` gives `values` in turn.
  static void AddWith(DWORD property, const Values& values) {
    sim::Reset();
    sim::DeviceSpec device = sim::Device(L"ROOT\\THING\\0000", L"System", {});
    if (!values.empty()) sim::SetChangingProperty(device, property, values);
    sim::AddDevice(device);
  }
  // The device's `property` as read, a list joined by '|', or "(null)".
  static std::string Read(DWORD property) {
    HDEVINFO devs = SetupDiGetClassDevsExW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES, nullptr, nullptr, nullptr);
    SP_DEVINFO_DATA device = {sizeof device, {}, 0, 0};
    EXPECT_TRUE(SetupDiEnumDeviceInfo(devs, 0, &device));
    std::string read = "(null)";
    if (property == kName) {
      std::unique_ptr<wchar_t[]> text(GetDeviceStringProperty(devs, &device, kName));
      if (text) read = sim::Utf8(text.get());
    } else if (StringList list = GetDeviceStringListProperty(devs, &device, kList)) {
      read.clear();
      for (StringList p = list; *p; ++p) read += (p == list ? "" : "|") + sim::Utf8(*p);
      FreeStringList(list);
    }
    SetupDiDestroyDeviceInfoList(devs);
    return read;
  }
};

std::string Chars(size_t count, char c) { return std::string(count, c); }
std::wstring Wide(size_t count, wchar_t c) { return std::wstring(count, c); }

// Read whole however they are stored or change between reads.
TEST_F(DeviceProperties, NamesAndListsAreReadWhole) {
  const struct {
    const char* name;
    DWORD property;
    Values values;
    std::string read;
    int failing = 0;  // the read that fails for want of room with the size of the one before
  } rows[] = {
      {"grows, then shrinks without its null", kName,
       {sim::Sz(Wide(600, L'a')), sim::Sz(Wide(901, L'c')), sim::RawValue(REG_SZ, Wide(20, L'b'))}, Chars(20, 'b')},
      {"a size that does not grow", kName, {sim::Sz(Wide(600, L'a'))}, "(null)", 2},
      {"absent", kName, {}, "(null)"}, {"no ID", kList, {sim::MultiSz({})}, ""},
      {"three IDs", kList, {sim::MultiSz({L"PCI\\VEN_1", L"PCI\\VEN_1&DEV_2", L"X"})}, "PCI\\VEN_1|PCI\\VEN_1&DEV_2|X"},
      {"a long list without closing nulls", kList,
       {sim::RawValue(REG_MULTI_SZ, std::wstring(L"one") + L'\0' + Wide(5000, L't'))}, "one|" + Chars(5000, 't')},
  };
  for (const auto& row : rows) {
    AddWith(row.property, row.values);
    if (row.failing) sim::FailCall("SetupDiGetDeviceRegistryPropertyW", ERROR_INSUFFICIENT_BUFFER, row.failing);
    EXPECT_EQ(row.read, Read(row.property)) << row.name;
  }
}

}  // namespace
