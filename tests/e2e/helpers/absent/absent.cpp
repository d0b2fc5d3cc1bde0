// A DLL that the tests never place beside needs_absent.exe.
extern "C" __declspec(dllexport) int PelmoraAbsent() { return 0; }
