// Turns fuzzer bytes into the program's inputs: wide text from 16-bit
// little-endian code units, argument vectors split at code unit 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim.h"

inline wchar_t CodeUnit(const uint8_t* data, size_t i) { return static_cast<wchar_t>(data[i] | (data[i + 1] << 8)); }

// The whole input as text, code unit 0 as a blank.
inline std::wstring WideText(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text += CodeUnit(data, i) ? CodeUnit(data, i) : L' ';
  return text;
}

// At most 64 arguments, so that a run stays short. With an empty program
// name the first element comes from the input too.
struct FuzzArgs {
  FuzzArgs(const std::wstring& program, const uint8_t* data, size_t size) {
    if (!program.empty()) items.push_back(program);
    std::wstring current;
    for (size_t i = 0; i + 1 < size && items.size() < 64; i += 2) {
      if (CodeUnit(data, i) == 0) items.push_back(std::exchange(current, std::wstring()));
      else current += CodeUnit(data, i);
    }
    if (!current.empty() || items.empty()) items.push_back(current);
    for (const std::wstring& item : items) pointers.push_back(item.c_str());
  }
  int argc() const { return static_cast<int>(pointers.size()); }
  const wchar_t* const* argv() const { return pointers.data(); }

  std::vector<std::wstring> items;
  std::vector<const wchar_t*> pointers;
};

// A property that must hold. A broken one names its line before the abort,
// which libFuzzer counts as a finding and the seed driver's test as a failure.
inline void Require(bool holds, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  if (holds) return;
  std::fprintf(stderr, "%s:%d: a property the target requires does not hold\n", file, line);
  std::abort();
}

// Every run must leave the simulated machine with nothing open.
inline void RequireNothingOpen() { Require(sim::OpenHandles() == 0); }
