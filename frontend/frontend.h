// The program's outer interface: command words, dispatch and exit codes.
#pragma once

#include <string>

#include "packages/outcome.h"

enum CommandCode : int {
  CMD_REMOVE = 0,
  CMD_INSTALL = 1,
  CMD_RESCAN = 2,
  CMD_VERSION = 3,
  CMD_IS64BIT = 4,
  CMD_EXEC = 5,
  CMD_ISWINXPSP3ORLATER = 6,
  CMD_ISWIN2000ORLATER = 7,
  CMD_UNKNOWN = 8,
};

// The whole program: what wmain returns as the exit code.
int RunFrontEnd(int argc, const wchar_t* const* argv);

void PrintUsage();

// Exact, case-sensitive match of every word but "install", which the caller
// recognises itself.
CommandCode ClassifyCommand(const std::wstring& word);

// Runs one command; `argument` is empty for commands without one.
Outcome DispatchCommand(int code, const std::wstring& argument);

bool IsWinXpSp3OrLater();
bool IsWin2000OrLater();
