// MatchIdPattern on a pattern and an ID (the input's code units, split at the
// first unit 0), held to a plain model of wildcard matching and to the
// properties any ID matcher of ours must have.
#include <cwchar>

#include "engine/device_selection.h"
#include "fuzz_input.h"
#include "reference_match.h"

namespace {

// The pattern as the selection prepares an argument.
IdPattern Prepare(const std::wstring& argument) {
  const wchar_t* text = argument.c_str();
  if (*text == L'@') ++text;
  if (*text == L'\'') return IdPattern{text + 1, nullptr, false};
  return IdPattern{text, std::wcschr(text, L'*'), false};
}

bool Matches(const std::wstring& id, const std::wstring& wildcardPattern) {
  const wchar_t* text = wildcardPattern.c_str();
  return MatchIdPattern(id.c_str(), IdPattern{text, std::wcschr(text, L'*'), false});
}

std::wstring OtherAsciiCase(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - L'a' + L'A');
    } else if (c >= L'A' && c <= L'Z') {
      c = static_cast<wchar_t>(c - L'A' + L'a');
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::wstring> parts = WideParts(data, size, 2);
  const std::wstring& argument = parts[0];
  const std::wstring id = parts.size() > 1 ? parts[1] : L"";
  // Text after a unit 0 cannot reach the matcher: it reads C strings.
  Require(id.find(L'\0') == std::wstring::npos && argument.find(L'\0') == std::wstring::npos);

  bool matched = MatchIdPattern(id.c_str(), Prepare(argument));
  ReferencePattern reference = ReadReferencePattern(argument);
  Require(matched == ReferenceMatches(id, reference));
  // Without a wildcard: equal ignoring ASCII case, and nothing else.
  if (reference.literal || reference.text.find(L'*') == std::wstring::npos) {
    Require(matched == SameIgnoringAsciiCase(id, reference.text));
  }
  // Case of ASCII letters never matters, on either side.
  Require(matched == MatchIdPattern(OtherAsciiCase(id).c_str(), Prepare(argument)));
  Require(matched == MatchIdPattern(id.c_str(), Prepare(OtherAsciiCase(argument))));

  // Patterns that every ID matches.
  Require(Matches(id, L"*"));
  Require(Matches(id, id));
  Require(MatchIdPattern(id.c_str(), IdPattern{id.c_str(), nullptr, false}));
  size_t cut = id.empty() ? 0 : data[size - 1] % (id.size() + 1);
  size_t resume = cut + (size > 2 ? data[size / 2] % (id.size() - cut + 1) : 0);
  Require(Matches(id, id.substr(0, cut) + L"*"));
  Require(Matches(id, L"*" + id.substr(cut)));
  Require(Matches(id, id.substr(0, cut) + L"*" + id.substr(resume)));
  Require(Matches(id, id.substr(0, cut) + L"**" + id.substr(resume) + L"*"));
  // An ID one character short of a plain pattern never matches it.
  if (!id.empty() && id.find(L'*') == std::wstring::npos) Require(!Matches(id.substr(1), id));
  RequireNothingOpen();
  return 0;
}
