// Turns fuzzer bytes into the program's inputs: wide text from 16-bit
// little-endian code units, argument vectors split at code unit 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

inline std::wstring WideText(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) unit = L' ';
    text += unit;
  }
  return text;
}

// At most 64 arguments, so that a run stays short.
class FuzzArgs {
 public:
  FuzzArgs(const std::wstring& program, const uint8_t* data, size_t size) {
    items_.push_back(program);
    std::wstring current;
    for (size_t i = 0; i + 1 < size && items_.size() < 64; i += 2) {
      wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
      if (unit == 0) {
        items_.push_back(current);
        current.clear();
      } else {
        current += unit;
      }
    }
    if (!current.empty()) items_.push_back(current);
    for (const std::wstring& item : items_) pointers_.push_back(item.c_str());
  }
  int argc() const { return static_cast<int>(pointers_.size()); }
  const wchar_t* const* argv() const { return pointers_.data(); }

 private:
  std::vector<std::wstring> items_;
  std::vector<const wchar_t*> pointers_;
};

// Every run must leave the simulated machine with nothing open.
inline void RequireNothingOpen() {
  if (sim::OpenHandles() != 0) __builtin_trap();
}
