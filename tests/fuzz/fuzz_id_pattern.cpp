// MatchIdPattern on a selection argument and an ID (the input's code units,
// split at unit 0), held to a plain model of wildcard matching and to what
// any ID matcher must give.
#include <algorithm>
#include <cwchar>

#include "engine/device_selection.h"
#include "fuzz_input.h"
#include "wildcard_model.h"

namespace {

bool Matches(const std::wstring& id, const ReferencePattern& pattern) {
  const wchar_t* text = pattern.text.c_str();
  return MatchIdPattern(id.c_str(), IdPattern{text, pattern.literal ? nullptr : std::wcschr(text, L'*'), false});
}

ReferencePattern Wild(const std::wstring& text) { return ReferencePattern{text, false}; }

std::wstring OtherCase(std::wstring text) {
  for (wchar_t& c : text) c = (FoldAscii(c) >= L'a' && FoldAscii(c) <= L'z') ? static_cast<wchar_t>(c ^ 0x20) : c;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzArgs parts(L"", data, size);
  ReferencePattern pattern = ReadReferencePattern(parts.items[0]);
  const std::wstring id = parts.items.size() > 1 ? parts.items[1] : L"";

  bool matched = Matches(id, pattern);
  Require(matched == ReferenceMatches(id, pattern));
  // ASCII case never matters, on either side.
  Require(matched == Matches(OtherCase(id), pattern));
  Require(matched == Matches(id, ReferencePattern{OtherCase(pattern.text), pattern.literal}));

  // Patterns every ID matches: "*", itself, itself with a middle part made a
  // wildcard; and one character short of itself never does.
  size_t cut = id.empty() ? 0 : data[size - 1] % (id.size() + 1);
  size_t resume = cut + (size > 2 ? data[size / 2] % (id.size() - cut + 1) : 0);
  Require(Matches(id, Wild(L"*")) && Matches(id, Wild(id)) && Matches(id, ReferencePattern{id, true}));
  Require(Matches(id, Wild(id.substr(0, cut) + L"*" + id.substr(resume))));
  Require(Matches(id, Wild(id.substr(0, cut) + L"**" + id.substr(resume) + L"*")));
  if (!id.empty()) Require(!Matches(id.substr(1), ReferencePattern{id, true}));
  RequireNothingOpen();
  return 0;
}
