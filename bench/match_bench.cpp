// MatchIdPattern against the cheapest thing a selection could do instead: a
// plain case-insensitive comparison of two strings of the same length. Both
// run over the same device IDs, so the ratio printed at the end is the price
// of the wildcards.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_support.h"
#include "engine/ascii.h"
#include "engine/device_selection.h"

namespace {

// Hardware, compatible and instance IDs in the forms devices carry them.
const wchar_t* const kIds[] = {
    L"ROOT\\PELMORA_SAMPLE\\0000",
    L"ROOT\\LEGACY_PELMORA_BEEP\\0000",
    L"ROOT\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\PELMORA_SAMPLE_VIRTUAL_ADAPTER\\0000",
    L"HID_DEVICE_SYSTEM_MOUSE",
    L"HID\\VID_046D&PID_C52B&REV_1211&MI_01&Col02",
    L"HID\\VID_046D&PID_C52B&MI_01&Col02\\8&1C5A2E4F&0&0001",
    L"HID\\{00001124-0000-1000-8000-00805F9B34FB}_VID&0002046D_PID&B342&Col01\\9&2FD3F5EF&0&0000",
    L"HID\\{00001812-0000-1000-8000-00805F9B34FB}_DEV_VID&02045E_PID&0B13_REV&0509_F4C1A2B3C4D5&COL01\\A&2C9D5E3F&0&"
    L"0000",
    L"USB\\VID_046D&PID_C52B",
    L"USB\\Class_03&SubClass_01&Prot_02",
    L"USB\\VID_046D&PID_C52B&REV_1211&MI_00",
    L"USB\\VID_0BDA&PID_8153&REV_3000\\00E04C680123",
    L"USB\\VID_8087&PID_0026&REV_0002&MI_00\\7&3A2B1C4D&0&0000&{E0CBF06C-CD8B-4647-BB8A-263B43F0F974}",
    L"PCI\\VEN_8086&CC_020000",
    L"PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043&REV_00",
    L"PCI\\VEN_10EC&DEV_8168&SUBSYS_86771043&REV_15\\4&2A1D9C3E&0&00E4",
    L"PCI\\VEN_8086&DEV_A0F0&SUBSYS_00748086&REV_20\\3&11583659&0&A3&{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001",
};

// One comparison: an ID, a pattern over it, and a string of the ID's length
// that equals it but for letter case (so the plain comparison reads it all).
struct Case {
  std::wstring id;
  std::wstring pattern;
  std::wstring sameLength;
};

std::wstring Lowered(std::wstring text) {
  for (wchar_t& c : text) c = AsciiLower(c);
  return text;
}

// Changes the last character of `text` into one it never equals in any case.
std::wstring Spoiled(std::wstring text) {
  text.back() = text.back() == L'#' ? L'~' : L'#';
  return text;
}

// The shapes installers write: the whole ID, "PREFIX*", "*SUFFIX" and
// "PREFIX*MIDDLE*SUFFIX". Non-matching patterns differ in the last character
// of their last literal part, so each one fails as late as it can.
std::vector<std::wstring> PatternsFor(const std::wstring& id, bool matching) {
  size_t n = id.size();
  std::wstring whole = Lowered(id);
  std::wstring prefix = id.substr(0, n / 2);
  std::wstring suffix = id.substr(n - n / 3);
  std::wstring head = id.substr(0, n / 4);
  std::wstring middle = id.substr(n / 3, n / 6);
  std::wstring tail = id.substr(n - n / 4);
  if (!matching) {
    whole = Spoiled(whole);
    prefix = Spoiled(prefix);
    suffix = Spoiled(suffix);
    tail = Spoiled(tail);
  }
  return {whole, prefix + L"*", L"*" + suffix, head + L"*" + middle + L"*" + tail};
}

std::vector<Case> Cases(bool matching) {
  std::vector<Case> cases;
  for (const wchar_t* id : kIds) {
    for (const std::wstring& pattern : PatternsFor(id, matching)) cases.push_back(Case{id, pattern, Lowered(id)});
  }
  return cases;
}

IdPattern Prepared(const std::wstring& text) { return IdPattern{text.c_str(), std::wcschr(text.c_str(), L'*'), false}; }

void MatchPatterns(benchmark::State& state, bool matching) {
  const std::vector<Case> cases = Cases(matching);
  std::vector<IdPattern> patterns;
  for (const Case& c : cases) patterns.push_back(Prepared(c.pattern));
  // The figure is worthless if the patterns do not do what they claim.
  for (size_t i = 0; i < cases.size(); ++i) {
    if (MatchIdPattern(cases[i].id.c_str(), patterns[i]) != matching) {
      state.SkipWithError("a pattern does not give the expected answer");
      return;
    }
  }
  while (state.KeepRunning()) {
    for (size_t i = 0; i < cases.size(); ++i) {
      bool matched = MatchIdPattern(cases[i].id.c_str(), patterns[i]);
      benchmark::DoNotOptimize(matched);
    }
  }
  state.counters["per_compare"] = PerUnit(static_cast<double>(cases.size()));
}

void BM_MatchIdPattern_Matching(benchmark::State& state) { MatchPatterns(state, true); }
void BM_MatchIdPattern_NotMatching(benchmark::State& state) { MatchPatterns(state, false); }

void BM_PlainCaseInsensitiveCompare(benchmark::State& state) {
  const std::vector<Case> cases = Cases(true);
  while (state.KeepRunning()) {
    for (const Case& c : cases) {
      bool equal = EqualIgnoringAsciiCase(c.id.c_str(), c.sameLength.c_str());
      benchmark::DoNotOptimize(equal);
    }
  }
  state.counters["per_compare"] = PerUnit(static_cast<double>(cases.size()));
}

void Settings(benchmark::internal::Benchmark* benchmark) { Repeated(benchmark->MinTime(0.2), 5); }

BENCHMARK(BM_MatchIdPattern_Matching)->Apply(Settings);
BENCHMARK(BM_MatchIdPattern_NotMatching)->Apply(Settings);
BENCHMARK(BM_PlainCaseInsensitiveCompare)->Apply(Settings);

void PrintIdLengths() {
  size_t shortest = SIZE_MAX;
  size_t longest = 0;
  for (const wchar_t* id : kIds) {
    size_t length = std::wcslen(id);
    if (length < shortest) shortest = length;
    if (length > longest) longest = length;
  }
  std::printf("%zu IDs of %zu to %zu characters, 4 patterns each\n", sizeof kIds / sizeof kIds[0], shortest, longest);
}

}  // namespace

int main(int argc, char** argv) {
  SummaryReporter reporter;
  if (!RunBenchmarks(argc, argv, &reporter)) return 1;
  std::printf("\n");
  PrintIdLengths();
  std::printf("Time per comparison, against the plain comparison of the same run:\n");
  reporter.PrintRatio("MatchIdPattern, patterns that match / plain", "per_compare", "BM_MatchIdPattern_Matching",
                      "BM_PlainCaseInsensitiveCompare");
  reporter.PrintRatio("MatchIdPattern, patterns that do not match / plain", "per_compare",
                      "BM_MatchIdPattern_NotMatching", "BM_PlainCaseInsensitiveCompare");
  benchmark::Shutdown();
  return 0;
}
