// Imports a function of pelmora_absent.dll: without that DLL the loader ends it with 0xC0000135.
extern "C" __declspec(dllimport) int PelmoraAbsent();
int wmain() { return PelmoraAbsent(); }
