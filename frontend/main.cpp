// pelmora.exe: adds driver packages, removes devices, rescans, answers
// questions about the system; the outcome is the exit code.
#include "frontend/frontend.h"

int wmain(int argc, wchar_t** argv) { return RunFrontEnd(argc, argv); }
