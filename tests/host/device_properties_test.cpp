// A device's names and ID lists as the engine reads them, whatever their
// size, type or terminators.
#include <memory>
#include <string>
#include <vector>

#include "engine/device_selection.h"
#include "platform/sim/sim_devices.h"
#include "sim_test.h"

namespace {

// Every device of this computer in one set, destroyed at the end of scope.
class AllDevices {
 public:
  AllDevices() : devs_(SetupDiGetClassDevsExW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES, nullptr, nullptr,
                                              nullptr)) {}
  ~AllDevices() { SetupDiDestroyDeviceInfoList(devs_); }
  HDEVINFO devs() const { return devs_; }
  SP_DEVINFO_DATA* At(DWORD index) {
    data_.cbSize = sizeof data_;
    EXPECT_TRUE(SetupDiEnumDeviceInfo(devs_, index, &data_));
    return &data_;
  }

 private:
  HDEVINFO devs_;
  SP_DEVINFO_DATA data_ = {};
};

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
  static std::string Read(DWORD property) {
    AllDevices all;
    if (property == kName) {
      std::unique_ptr<wchar_t[]> text(GetDeviceStringProperty(all.devs(), all.At(0), kName));
      return text ? sim::Utf8(text.get()) : "(null)";
    }
    StringList list = GetDeviceStringListProperty(all.devs(), all.At(0), kList);
    if (!list) return "(null)";
    std::string joined;
    for (StringList p = list; *p; ++p) joined += (p == list ? "" : "|") + sim::Utf8(*p);
    FreeStringList(list);
    return joined;
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
  } rows[] = {
      {"grows, then shrinks without its null", kName,
       {sim::Sz(Wide(600, L'a')), sim::Sz(Wide(901, L'c')), sim::RawValue(REG_SZ, Wide(20, L'b'))}, Chars(20, 'b')},
      {"absent", kName, {}, "(null)"}, {"no ID", kList, {sim::MultiSz({})}, ""},
      {"three IDs", kList, {sim::MultiSz({L"PCI\\VEN_1", L"PCI\\VEN_1&DEV_2", L"X"})}, "PCI\\VEN_1|PCI\\VEN_1&DEV_2|X"},
      {"a long list without closing nulls", kList,
       {sim::RawValue(REG_MULTI_SZ, std::wstring(L"one") + L'\0' + Wide(5000, L't'))}, "one|" + Chars(5000, 't')},
  };
  for (const auto& row : rows) {
    AddWith(row.property, row.values);
    EXPECT_EQ(row.read, Read(row.property)) << row.name;
  }
}

}  // namespace
