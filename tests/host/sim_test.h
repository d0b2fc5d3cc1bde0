// Common ground of the host tests: a fresh simulated machine per test, and a
// check after each test that the program closed everything it opened.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { sim::Reset(); }
  void TearDown() override {
    EXPECT_EQ(0, sim::OpenHandles()) << "left open: " << sim::OpenHandleReport();
  }
};

// An INF Windows stages: [Version] with its signature and `versionLines` (each
// ending in CR LF), a [Manufacturer] with a models line, then `rest`.
inline std::string PackageInf(const std::string& versionLines, const std::string& rest = "") {
  return "[Version]\r\nSignature=\"$Windows NT$\"\r\n" + versionLines +
         "[Manufacturer]\r\nPelmora=PelmoraModels\r\n[PelmoraModels]\r\nDevice=Install,ROOT\\PELMORA_TEST\r\n" + rest;
}

// A device line as the engine writes it: the instance ID padded to 60 characters, a colon and the name or label.
inline std::string DeviceLine(const std::string& id, const std::string& name) {
  return id + std::string(id.size() < 60 ? 60 - id.size() : 0, ' ') + ": " + name + "\n";
}

// A file of the simulated machine's INF folder.
inline std::wstring InInfDirectory(const std::wstring& name) { return std::wstring(sim::kInfDirectory) + L"\\" + name; }

// An argument vector that owns its strings.
class Args {
 public:
  Args(std::initializer_list<std::wstring> items) : items_(items) {
    for (const std::wstring& item : items_) pointers_.push_back(item.c_str());
  }
  int argc() const { return static_cast<int>(pointers_.size()); }
  const wchar_t* const* argv() const { return pointers_.data(); }

 private:
  std::vector<std::wstring> items_;
  std::vector<const wchar_t*> pointers_;
};
