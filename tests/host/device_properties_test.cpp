// A device's names and ID lists as the engine reads them, whatever their
// size, type or terminators, and how a name of any length is listed.
#include <memory>
#include <string>
#include <vector>

#include "device_test_support.h"
#include "engine/device_selection.h"
#include "engine/engine.h"
#include "expected_message.h"

namespace {

using Values = std::vector<sim::PropertyValue>;

class DeviceProperties : public SimTest {
 protected:
  // The one device of the test, whose `property` gives `values` in turn.
  static void AddWith(DWORD property, const Values& values) {
    sim::DeviceSpec device = sim::Device(L"ROOT\\THING\\0000", L"System", {});
    if (!values.empty()) sim::SetChangingProperty(device, property, values);
    sim::AddDevice(device);
  }
  static std::string ReadString() {
    AllDevices all;
    std::unique_ptr<wchar_t[]> text(GetDeviceStringProperty(all.devs(), all.At(0), SPDRP_FRIENDLYNAME));
    return Text(text.get());
  }
  // The list's strings joined by '|', or "(null)".
  static std::string ReadList() {
    AllDevices all;
    StringList list = GetDeviceStringListProperty(all.devs(), all.At(0), SPDRP_HARDWAREID);
    if (!list) return "(null)";
    std::string joined;
    for (StringList p = list; *p; ++p) joined += (p == list ? "" : "|") + sim::Utf8(*p);
    FreeStringList(list);
    return joined;
  }
};

std::string Chars(size_t count, char c) { return std::string(count, c); }
std::wstring Wide(size_t count, wchar_t c) { return std::wstring(count, c); }

TEST_F(DeviceProperties, NamesAreReadWhole) {
  const struct {
    const char* name;
    Values values;
    int failingRead;  // 0: none
    std::string read;
  } rows[] = {
      {"fills the first buffer", {sim::Sz(Wide(511, L'n'))}, 0, Chars(511, 'n')},
      {"one longer", {sim::Sz(Wide(512, L'n'))}, 0, Chars(512, 'n')},
      {"without terminator", {sim::RawValue(REG_SZ, L"abc")}, 0, "abc"},
      {"long, without terminator", {sim::RawValue(REG_SZ, Wide(700, L'x'))}, 0, Chars(700, 'x')},
      {"grows between reads",
       {sim::Sz(Wide(600, L'a')), sim::Sz(Wide(900, L'b')), sim::Sz(Wide(901, L'c'))}, 0, Chars(901, 'c')},
      {"shrinks between reads", {sim::Sz(Wide(900, L'a')), sim::RawValue(REG_SZ, Wide(20, L'b'))}, 0,
       Chars(20, 'b')},
      {"another string type that fits", {sim::RawValue(REG_EXPAND_SZ, L"short")}, 0, "short"},
      {"another type that does not", {sim::RawValue(REG_EXPAND_SZ, Wide(600, L'x'))}, 0, "(null)"},
      {"absent", {}, 0, "(null)"},
      {"unreadable", {sim::Sz(L"desc")}, 1, "(null)"},
      {"unreadable on the second read", {sim::Sz(Wide(600, L'a'))}, 2, "(null)"},
  };
  for (const auto& row : rows) {
    sim::Reset();
    AddWith(SPDRP_FRIENDLYNAME, row.values);
    if (row.failingRead) sim::FailCall("SetupDiGetDeviceRegistryPropertyW", ERROR_INVALID_HANDLE, row.failingRead);
    EXPECT_EQ(row.read, ReadString()) << row.name;
  }
}

TEST_F(DeviceProperties, ListsAreSplitIntoTheirStrings) {
  std::vector<std::wstring> many(300, Wide(40, L'h'));  // over 12000 characters
  std::string manyRead = Chars(40, 'h');
  while (manyRead.size() < 300 * 41 - 1) manyRead += "|" + Chars(40, 'h');
  const struct {
    const char* name;
    Values values;
    std::string read;
  } rows[] = {
      {"three IDs", {sim::MultiSz({L"PCI\\VEN_1", L"PCI\\VEN_1&DEV_2", L"X"})}, "PCI\\VEN_1|PCI\\VEN_1&DEV_2|X"},
      {"empty", {sim::MultiSz({})}, ""},
      {"absent", {}, "(null)"},
      {"fills the first buffer", {sim::MultiSz({Wide(2046, L'a'), Wide(2047, L'b')})},
       Chars(2046, 'a') + "|" + Chars(2047, 'b')},
      {"larger", {sim::MultiSz(many)}, manyRead},
      {"without closing nulls", {sim::RawValue(REG_MULTI_SZ, L"one")}, "one"},
      {"long, without closing nulls", {sim::RawValue(REG_MULTI_SZ, std::wstring(L"one") + L'\0' + Wide(5000, L't'))},
       "one|" + Chars(5000, 't')},
      {"a long string of another type", {sim::Sz(Wide(5000, L's'))}, "(null)"},
  };
  for (const auto& row : rows) {
    sim::Reset();
    AddWith(SPDRP_HARDWAREID, row.values);
    EXPECT_EQ(row.read, ReadList()) << row.name;
  }
}

// A name too long for any line buffer still gives its device a line of its
// own, cut at 255 characters with its line feed last.
TEST_F(DeviceProperties, NameOfAMillionCharactersIsListedCut) {
  sim::DeviceSpec big = sim::Device(L"ROOT\\BIG\\0000", L"System", {L"HW\\X"});
  sim::SetProperty(big, SPDRP_FRIENDLYNAME, sim::Sz(Wide(1u << 20, L'N')));
  sim::AddDevice(big);
  sim::DeviceSpec next = sim::Device(L"ROOT\\NEXT\\0000", L"System", {L"HW\\X"});
  sim::SetProperty(next, SPDRP_FRIENDLYNAME, sim::Sz(L"Next"));
  sim::AddDevice(next);
  Args args{L"x.exe", L"findall", L"HW\\X"};
  EXPECT_EQ(0, EngineRun(args.argc(), args.argv()));
  std::string first = "ROOT\\BIG\\0000" + Chars(47, ' ') + ": " + Chars(192, 'N') + "\n";
  std::string second = "ROOT\\NEXT\\0000" + Chars(46, ' ') + ": Next\n";
  EXPECT_EQ(first + second + ExpectedMessage(60405, 2u, nullptr), sim::StdOut());
}

}  // namespace
