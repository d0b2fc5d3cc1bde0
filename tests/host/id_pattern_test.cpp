// Device ID patterns: '*' for any text, ASCII letters in either case.
#include <cwchar>
#include <string>

#include "engine/device_selection.h"
#include "sim_test.h"

TEST(IdPattern, MatchesAsAUserWritesThem) {
  const std::wstring id199(199, L'a');
  const std::wstring a99(99, L'a'), a100(100, L'a');
  const struct {
    std::wstring id;
    std::wstring pattern;
    bool matches;
  } rows[] = {
      {L"PCI\\VEN_8086", L"pci\\ven_8086", true},
      {L"PCI\\VEN_8086&X", L"PCI\\VEN_8086", false},
      {L"", L"", true},
      {L"USB\\\u00C9", L"usb\\\u00E9", false},  // only ASCII letters fold
      {L"USB\\\u00E9", L"usb\\\u00E9", true},
      {L"PCI\\VEN_8086&DEV_1234", L"pci\\ven_8086*", true},
      {L"ab", L"ab*", true},
      {L"a", L"ab*", false},
      {L"PCI\\VEN_8086&DEV_1234", L"*DEV_1234", true},
      {L"PCI\\VEN_8086&DEV_12345", L"*DEV_1234", false},
      {L"PCI\\VEN_8086&DEV_12345", L"PCI\\*&DEV_1234*", true},
      {L"cdcd", L"*cd", true},
      {L"KLM", L"K*LM", true},
      {L"KLM", L"KL*LM", false},  // the prefix is not shared with the end
      {L"KLLM", L"KL*LM", true},
      {L"aXbYc", L"a*b*c", true},
      {L"acb", L"a*b*c", false},
      {L"xxhelLOyy", L"*HELLO*", true},
      {L"aabab-end", L"*aba*end", true},  // a false start is passed over
      {L"abbc", L"a*b*bc", true},
      {L"abc", L"a*b*bc", false},
      {L"a-b", L"**a***-**b", true},
      {L"b", L"**a***-**b", false},
      {id199, std::wstring(198, L'a') + L"*", true},
      {id199, L"*" + std::wstring(200, L'a'), false},
      {id199, L"*" + a100 + L"*" + a100, false},
      {id199, L"*" + a99 + L"*" + a100, true},
      {id199, std::wstring(5000, L'*'), true},
  };
  for (const auto& row : rows) {
    IdPattern pattern = {row.pattern.c_str(), std::wcschr(row.pattern.c_str(), L'*'), false};
    EXPECT_EQ(row.matches, MatchIdPattern(row.id.c_str(), pattern))
        << sim::Utf8(row.id).substr(0, 30) << " ~ " << sim::Utf8(row.pattern).substr(0, 30);
  }
  // After an apostrophe '*' is a character like any other.
  EXPECT_TRUE(MatchIdPattern(L"ROOT\\*", {L"root\\*", nullptr, false}));
  EXPECT_FALSE(MatchIdPattern(L"ROOT\\X", {L"ROOT\\*", nullptr, false}));
}
