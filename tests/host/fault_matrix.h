// The scenarios of the fault matrix: one command on one arranged machine,
// with what the command may answer and write when a platform call fails.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

struct FaultScenario {
  std::string name;
  std::function<void()> arrange;  // builds the machine; makes no platform call
  std::function<int()> act;       // runs the command; its result or exit code
  std::set<int> allowedResults;
  // Output lines (regular expressions) the failure paths may write besides
  // what the undisturbed run writes.
  std::vector<std::string> failureLines;
  // For "remove": the devices the pattern selects. None may be left behind
  // by a result of 0, nor present while an OEM package was deleted.
  std::vector<std::wstring> matched = {};
};

const std::vector<FaultScenario>& FaultScenarios();
