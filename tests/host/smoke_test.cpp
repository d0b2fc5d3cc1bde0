#include "engine/engine.h"
#include "sim_test.h"

class Smoke : public SimTest {};

TEST_F(Smoke, EngineWithoutCommandWritesUsage) {
  Args args{L"dummy.exe"};
  EXPECT_EQ(ENGINE_BAD_USAGE, EngineRun(args.argc(), args.argv()));
  EXPECT_NE(std::string::npos, sim::StdErr().find("dummy.exe"));
}
