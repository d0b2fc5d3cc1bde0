#include <memory>
#include <vector>

#include "device_test_support.h"
#include "engine/device_selection.h"

namespace {

const std::wstring kId = L"ROOT\\THING\\0000";

class DeviceProperties : public SimTest {
 protected:
  // Adds the one device of the test with `value` as its friendly name (read
  // as a string) and its hardware IDs (read as a list).
  void AddWith(DWORD property, const std::vector<sim::PropertyValue>& values) {
    sim::DeviceSpec device = sim::Device(kId, L"System", {});
    sim::SetChangingProperty(device, property, values);
    sim::AddDevice(device);
  }

  std::string ReadString(DWORD property = SPDRP_FRIENDLYNAME) {
    AllDevices all;
    std::unique_ptr<wchar_t[]> text(GetDeviceStringProperty(all.devs(), all.At(0), property));
    return Text(text.get());
  }

  // The list's strings joined by '|', or "(null)".
  std::string ReadList(DWORD property = SPDRP_HARDWAREID) {
    AllDevices all;
    StringList list = GetDeviceStringListProperty(all.devs(), all.At(0), property);
    if (!list) return "(null)";
    std::string joined;
    for (StringList p = list; *p; ++p) joined += (p == list ? "" : "|") + sim::Utf8(*p);
    FreeStringList(list);
    return joined;
  }

  std::vector<std::string> OfferedSizes() {
    std::vector<std::string> sizes;
    for (const std::string& call : sim::CallsTo("SetupDiGetDeviceRegistryPropertyW")) {
      sizes.push_back(call.substr(call.rfind(", ") + 2, call.size() - call.rfind(", ") - 3));
    }
    return sizes;
  }

  static std::string Bytes(size_t characters) { return std::to_string(characters * sizeof(WCHAR)); }
};

TEST_F(DeviceProperties, StringThatFillsTheFirstOfferExactlyIsReadOnce) {
  std::wstring name(511, L'n');  // 512 characters with its terminator
  AddWith(SPDRP_FRIENDLYNAME, {sim::Sz(name)});
  EXPECT_EQ(sim::Utf8(name), ReadString());
  EXPECT_EQ(std::vector<std::string>{Bytes(512)}, OfferedSizes());
}

TEST_F(DeviceProperties, LongerStringIsReadAgainWithTheReportedSize) {
  std::wstring name(512, L'n');
  AddWith(SPDRP_FRIENDLYNAME, {sim::Sz(name)});
  EXPECT_EQ(sim::Utf8(name), ReadString());
  EXPECT_EQ((std::vector<std::string>{Bytes(512), Bytes(513)}), OfferedSizes());
}

TEST_F(DeviceProperties, StringWithoutTerminatorGetsOne) {
  AddWith(SPDRP_FRIENDLYNAME, {sim::RawValue(REG_SZ, L"abc")});
  EXPECT_EQ("abc", ReadString());
  std::wstring longer(700, L'x');
  sim::Reset();
  AddWith(SPDRP_FRIENDLYNAME, {sim::RawValue(REG_SZ, longer)});
  EXPECT_EQ(sim::Utf8(longer), ReadString());
}

TEST_F(DeviceProperties, SizeThatGrowsBetweenReadsIsFollowed) {
  AddWith(SPDRP_FRIENDLYNAME, {sim::Sz(std::wstring(600, L'a')), sim::Sz(std::wstring(900, L'b')),
                               sim::Sz(std::wstring(901, L'c'))});
  EXPECT_EQ(sim::Utf8(std::wstring(901, L'c')), ReadString());
  EXPECT_EQ((std::vector<std::string>{Bytes(512), Bytes(601), Bytes(901), Bytes(902)}), OfferedSizes());
}

TEST_F(DeviceProperties, SizeThatShrinksBetweenReadsIsTerminatedWhereTheDataEnds) {
  AddWith(SPDRP_FRIENDLYNAME, {sim::Sz(std::wstring(900, L'a')), sim::RawValue(REG_SZ, std::wstring(20, L'b'))});
  EXPECT_EQ(sim::Utf8(std::wstring(20, L'b')), ReadString());
}

TEST_F(DeviceProperties, StringOfAnotherTypeIsKeptWhenItFitsAndRefusedWhenNot) {
  AddWith(SPDRP_FRIENDLYNAME, {sim::RawValue(REG_EXPAND_SZ, L"short")});
  EXPECT_EQ("short", ReadString());
  sim::Reset();
  AddWith(SPDRP_FRIENDLYNAME, {sim::RawValue(REG_EXPAND_SZ, std::wstring(600, L'x'))});
  EXPECT_EQ("(null)", ReadString());
  EXPECT_EQ(1u, sim::CountCalls("SetupDiGetDeviceRegistryPropertyW"));
}

TEST_F(DeviceProperties, AbsentOrFailingStringIsNull) {
  AddWith(SPDRP_DEVICEDESC, {sim::Sz(L"desc")});
  EXPECT_EQ("(null)", ReadString(SPDRP_FRIENDLYNAME));
  EXPECT_EQ("desc", ReadString(SPDRP_DEVICEDESC));
  sim::FailCall("SetupDiGetDeviceRegistryPropertyW", ERROR_INVALID_HANDLE);
  EXPECT_EQ("(null)", ReadString(SPDRP_DEVICEDESC));
  // A retry that then fails another way gives null as well.
  sim::Reset();
  AddWith(SPDRP_FRIENDLYNAME, {sim::Sz(std::wstring(600, L'a'))});
  sim::FailCall("SetupDiGetDeviceRegistryPropertyW", ERROR_NO_SUCH_DEVINST, 2);
  EXPECT_EQ("(null)", ReadString());
}

TEST_F(DeviceProperties, ListsAreSplitIntoTheirStrings) {
  AddWith(SPDRP_HARDWAREID, {sim::MultiSz({L"PCI\\VEN_1", L"PCI\\VEN_1&DEV_2", L"X"})});
  EXPECT_EQ("PCI\\VEN_1|PCI\\VEN_1&DEV_2|X", ReadList());
}

TEST_F(DeviceProperties, EmptyListIsAnEmptyListNotNull) {
  AddWith(SPDRP_HARDWAREID, {sim::MultiSz({})});
  EXPECT_EQ("", ReadList());
  EXPECT_EQ("(null)", ReadList(SPDRP_COMPATIBLEIDS));
}

TEST_F(DeviceProperties, ListThatFillsTheFirstOfferIsReadOnceAndALargerOneTwice) {
  // 2047 + 2048 characters with their terminators, and the closing null: 4096.
  std::wstring a(2046, L'a');
  std::wstring b(2047, L'b');
  AddWith(SPDRP_HARDWAREID, {sim::MultiSz({a, b})});
  EXPECT_EQ(sim::Utf8(a) + "|" + sim::Utf8(b), ReadList());
  EXPECT_EQ(std::vector<std::string>{Bytes(4096)}, OfferedSizes());

  sim::Reset();
  std::vector<std::wstring> many(300, std::wstring(40, L'h'));  // over 12000 characters
  AddWith(SPDRP_HARDWAREID, {sim::MultiSz(many)});
  std::string expected;
  for (size_t i = 0; i < many.size(); ++i) expected += (i ? "|" : "") + sim::Utf8(many[i]);
  EXPECT_EQ(expected, ReadList());
  EXPECT_EQ((std::vector<std::string>{Bytes(4096), Bytes(300 * 41 + 1)}), OfferedSizes());
}

TEST_F(DeviceProperties, ListWithoutItsClosingNullsGetsThem) {
  AddWith(SPDRP_HARDWAREID, {sim::RawValue(REG_MULTI_SZ, L"one")});
  EXPECT_EQ("one", ReadList());
  sim::Reset();
  AddWith(SPDRP_HARDWAREID, {sim::RawValue(REG_MULTI_SZ, std::wstring(L"one") + L'\0' + std::wstring(5000, L't'))});
  EXPECT_EQ("one|" + sim::Utf8(std::wstring(5000, L't')), ReadList());
}

TEST_F(DeviceProperties, ListOfTheWrongTypeTooLongForTheFirstReadIsNull) {
  AddWith(SPDRP_HARDWAREID, {sim::Sz(std::wstring(5000, L's'))});
  EXPECT_EQ("(null)", ReadList());
}

TEST_F(DeviceProperties, SplitAndFreeOwnTheBlock) {
  wchar_t* block = new wchar_t[8]{L'a', 0, L'b', L'c', 0, 0, L'x', 0};
  StringList list = SplitMultiString(block);
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(block, list[-1]);
  EXPECT_EQ(block, list[0]);
  EXPECT_EQ(block + 2, list[1]);
  EXPECT_EQ(nullptr, list[2]);  // the walk stops at the empty string
  FreeStringList(list);
  FreeStringList(nullptr);
}

}  // namespace
