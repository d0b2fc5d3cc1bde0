// pelmora.exe: adds driver packages, removes devices, rescans, answers
// questions about the system; the outcome is the exit code.
#include "frontend/frontend.h"
#include "platform/platform.h"

int wmain(int argc, wchar_t** argv) {
  RestrictLibrarySearch();
  return RunFrontEnd(argc, argv);
}
