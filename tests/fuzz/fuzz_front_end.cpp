// Whole command lines of pelmora.exe against a machine with packages on it.
#include "frontend/frontend.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Reset();
  sim::AddFile(L"C:\\drivers\\a.inf", "[Version]\nSignature=\"$Windows NT$\"\nClass=Sample\n");
  sim::AddFile(L"C:\\Windows\\INF\\oem0.inf", "[Version]\nSignature=\"$Windows NT$\"\n[Models]\nX=Y,ROOT\\X\n");
  FuzzArgs args(L"C:\\pelmora.exe", data, size);
  int code = RunFrontEnd(args.argc(), args.argv());
  if (code < 0 || code > 3) __builtin_trap();
  RequireNothingOpen();
  return 0;
}
