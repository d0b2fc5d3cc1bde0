// Turns fuzzer bytes into the program's inputs: wide text from 16-bit
// little-endian code units, argument vectors split at code unit 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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
class FuzzArgs {
 public:
  FuzzArgs(const std::wstring& program, const uint8_t* data, size_t size) {
    if (!program.empty()) items_.push_back(program);
    std::wstring current;
    for (size_t i = 0; i + 1 < size && items_.size() < 64; i += 2) {
      if (CodeUnit(data, i)) {
        current += CodeUnit(data, i);
      } else {
        items_.push_back(current);
        current.clear();
      }
    }
    if (!current.empty() || items_.empty()) items_.push_back(current);
    for (const std::wstring& item : items_) pointers_.push_back(item.c_str());
  }
  int argc() const { return static_cast<int>(pointers_.size()); }
  const wchar_t* const* argv() const { return pointers_.data(); }
  const std::vector<std::wstring>& items() const { return items_; }

 private:
  std::vector<std::wstring> items_;
  std::vector<const wchar_t*> pointers_;
};

// A property that must hold; a fuzzer counts the trap as a finding.
inline void Require(bool holds) {
  if (!holds) __builtin_trap();
}

// Every run must leave the simulated machine with nothing open.
inline void RequireNothingOpen() { Require(sim::OpenHandles() == 0); }

inline wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

inline bool SameIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}
