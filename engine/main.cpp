// pelmora-engine.exe: the device engine on its own command line.
#include "engine/engine.h"

int wmain(int argc, wchar_t** argv) {
  RestrictLibrarySearch();
  return EngineRun(argc, argv);
}
