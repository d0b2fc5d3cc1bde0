#include "frontend/frontend.h"

#include "engine/ascii.h"
#include "frontend/exit_codes.h"
#include "packages/packages.h"
#include "platform/platform.h"

namespace {

const std::wstring kRemove = L"remove";
const std::wstring kInstall = L"install";
const std::wstring kRescan = L"rescan";
const std::wstring kVersion = L"version";
const std::wstring kIs64Bit = L"is64bit";
const std::wstring kExec = L"exec";
const std::wstring kIsWinXpSp3OrLater = L"iswinxpsp3orlater";
const std::wstring kIsWin2000OrLater = L"iswin2000orlater";

bool NeedsArgument(CommandCode code) { return code == CMD_REMOVE || code == CMD_INSTALL || code == CMD_EXEC; }

// An unquoted path with blanks arrives as more words, and so does what
// followed a folder whose closing \" the C runtime read as a quote. Empty or
// blank elements (an installer's optional property left empty) cannot be
// part of a path: they are ignored.
bool HasMoreWords(CommandCode code, int argc, const wchar_t* const* argv) {
  for (int i = 3; i < argc; ++i) {
    if (!IsBlankText(argv[i])) return true;
  }
  std::wstring rest;
  if (code == CMD_INSTALL && argc > 2) FolderNamedBy(argv[2], &rest);
  return !IsBlankText(rest.c_str());
}

}  // namespace

void PrintUsage() {
  WriteNarrowLine(TEXT_STDOUT, "usage: Pelmora [command] [arg]");
  WriteNarrowLine(TEXT_STDOUT,
                  "where command is remove, install, rescan, version, is64bit, exec, iswinxpsp3orlater, "
                  "iswin2000orlater");
}

CommandCode ClassifyCommand(const std::wstring& word) {
  if (word == kRemove) return CMD_REMOVE;
  if (word == kRescan) return CMD_RESCAN;
  if (word == kVersion) return CMD_VERSION;
  if (word == kIs64Bit) return CMD_IS64BIT;
  if (word == kExec) return CMD_EXEC;
  if (word == kIsWinXpSp3OrLater) return CMD_ISWINXPSP3ORLATER;
  if (word == kIsWin2000OrLater) return CMD_ISWIN2000ORLATER;
  return CMD_UNKNOWN;
}

namespace {

Outcome RunCommandLine(int argc, const wchar_t* const* argv) {
  if (argc < 2) {
    PrintUsage();
    return Outcome::kBadCommandLine;
  }
  const std::wstring word = argv[1];
  CommandCode code = word == kInstall ? CMD_INSTALL : ClassifyCommand(word);
  if (code == CMD_UNKNOWN) {
    PrintUsage();
    return Outcome::kBadCommandLine;
  }
  if (!NeedsArgument(code)) return DispatchCommand(code, L"");

  // Acting on the first of several words would act on some other folder or
  // program. Failed, not a bad command line: an installer reads 1 from
  // "remove" as done, restart needed.
  if (HasMoreWords(code, argc, argv)) {
    PrintNarrow(TEXT_STDOUT, "ERROR: too many arguments (quote an argument that holds blanks)\n");
    PrintUsage();
    return Outcome::kFailed;
  }
  // An installer property left empty still passes an argument: a folder of
  // blanks names no folder, never the current one.
  if (argc < 3 || (code == CMD_INSTALL && IsBlankText(argv[2]))) {
    PrintNarrow(TEXT_STDOUT, "ERROR: command required argument\n");
    PrintUsage();
    return Outcome::kBadCommandLine;
  }
  if (code == CMD_INSTALL) PrintNarrow(TEXT_STDERR, "Installing USB-driver...\n");
  return DispatchCommand(code, argv[2]);
}

}  // namespace

int RunFrontEnd(int argc, const wchar_t* const* argv) { return ExitCodeFor(RunCommandLine(argc, argv)); }
