#include <cwchar>

#include "engine/device_selection.h"
#include "sim_test.h"

namespace {

// A pattern as the selection prepares an argument without '@' or apostrophe.
bool Matches(const wchar_t* id, const wchar_t* text) {
  IdPattern pattern = {text, std::wcschr(text, L'*'), false};
  return MatchIdPattern(id, pattern);
}

bool MatchesLiterally(const wchar_t* id, const wchar_t* text) {
  IdPattern pattern = {text, nullptr, false};
  return MatchIdPattern(id, pattern);
}

}  // namespace

TEST(IdPattern, WithoutStarTheWholeIdMustBeEqualIgnoringAsciiCase) {
  EXPECT_TRUE(Matches(L"PCI\\VEN_8086", L"pci\\ven_8086"));
  EXPECT_FALSE(Matches(L"PCI\\VEN_8086&X", L"PCI\\VEN_8086"));
  EXPECT_FALSE(Matches(L"PCI\\VEN_808", L"PCI\\VEN_8086"));
  EXPECT_TRUE(Matches(L"", L""));
  // Only ASCII letters fold: other letters must be equal as they are.
  EXPECT_FALSE(Matches(L"USB\\\u00C9", L"usb\\\u00E9"));
  EXPECT_TRUE(Matches(L"USB\\\u00E9", L"usb\\\u00E9"));
}

TEST(IdPattern, PrefixStarMatchesEveryIdWithThatBeginning) {
  EXPECT_TRUE(Matches(L"PCI\\VEN_8086&DEV_1234", L"pci\\ven_8086*"));
  EXPECT_TRUE(Matches(L"abc", L"ab*"));
  EXPECT_TRUE(Matches(L"ab", L"ab*"));
  EXPECT_FALSE(Matches(L"a", L"ab*"));
  EXPECT_FALSE(Matches(L"xab", L"ab*"));
}

TEST(IdPattern, LastSegmentIsAnchoredAtTheEnd) {
  EXPECT_TRUE(Matches(L"PCI\\VEN_8086&DEV_1234", L"*DEV_1234"));
  EXPECT_FALSE(Matches(L"PCI\\VEN_8086&DEV_12345", L"*DEV_1234"));
  EXPECT_TRUE(Matches(L"PCI\\VEN_8086&DEV_1234", L"PCI\\*&DEV_1234*"));
  EXPECT_TRUE(Matches(L"PCI\\VEN_8086&DEV_12345", L"PCI\\*&DEV_1234*"));
  EXPECT_TRUE(Matches(L"cdcd", L"*cd"));
  EXPECT_FALSE(Matches(L"d", L"*cd"));
}

TEST(IdPattern, PrefixIsConsumedBeforeTheLastSegment) {
  EXPECT_TRUE(Matches(L"KLM", L"K*LM"));
  EXPECT_FALSE(Matches(L"KLM", L"KL*LM"));
  EXPECT_TRUE(Matches(L"KLLM", L"KL*LM"));
}

TEST(IdPattern, MiddleSegmentsMatchAtTheirLeftmostPlace) {
  EXPECT_TRUE(Matches(L"aXbYc", L"a*b*c"));
  EXPECT_TRUE(Matches(L"abc", L"a*b*c"));
  EXPECT_FALSE(Matches(L"acb", L"a*b*c"));
  EXPECT_FALSE(Matches(L"ab", L"a*b*c"));
  // The middle segment is searched with either letter case of its first letter.
  EXPECT_TRUE(Matches(L"xxHELLOyy", L"*hello*"));
  EXPECT_TRUE(Matches(L"xxhelLOyy", L"*HELLO*"));
  // A false start is passed over one character at a time.
  EXPECT_TRUE(Matches(L"aabab-end", L"*aba*end"));
  // The last segment must stand after the middle one: "b" takes the first b.
  EXPECT_TRUE(Matches(L"abbc", L"a*b*bc"));
  EXPECT_FALSE(Matches(L"abc", L"a*b*bc"));
}

TEST(IdPattern, StarsAlone) {
  EXPECT_TRUE(Matches(L"", L"*"));
  EXPECT_TRUE(Matches(L"anything", L"*"));
  EXPECT_TRUE(Matches(L"", L"***"));
  EXPECT_TRUE(Matches(L"ab", L"a**b"));
  EXPECT_TRUE(Matches(L"a-b", L"**a***-**b"));
  EXPECT_FALSE(Matches(L"b", L"**a***-**b"));
}

TEST(IdPattern, LiteralPatternTakesTheStarAsACharacter) {
  EXPECT_TRUE(MatchesLiterally(L"ROOT\\*", L"root\\*"));
  EXPECT_FALSE(MatchesLiterally(L"ROOT\\X", L"ROOT\\*"));
}

TEST(IdPattern, LongIdsAndPatternsStayInsideTheirStrings) {
  std::wstring id(199, L'a');
  std::wstring pattern = std::wstring(198, L'a') + L"*";
  EXPECT_TRUE(Matches(id.c_str(), pattern.c_str()));
  pattern = L"*" + std::wstring(200, L'a');
  EXPECT_FALSE(Matches(id.c_str(), pattern.c_str()));
  pattern = L"*" + std::wstring(100, L'a') + L"*" + std::wstring(100, L'a');
  EXPECT_FALSE(Matches(id.c_str(), pattern.c_str()));
  pattern = L"*" + std::wstring(99, L'a') + L"*" + std::wstring(100, L'a');
  EXPECT_TRUE(Matches(id.c_str(), pattern.c_str()));
  std::wstring stars(5000, L'*');
  EXPECT_TRUE(Matches(id.c_str(), stars.c_str()));
}
