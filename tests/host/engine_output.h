// Which messages the engine composed, seen through the simulation's call
// log: for checking outcomes whose wording is the message table's.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

// IDs of the messages composed so far, in order, from the call log.
inline std::vector<unsigned long> MessagesComposed() {
  std::vector<unsigned long> ids;
  for (const std::string& call : sim::CallsTo("FormatMessageW")) {
    unsigned long id = 0;
    if (std::sscanf(call.c_str(), "FormatMessageW(%lu,", &id) == 1) ids.push_back(id);
  }
  return ids;
}
