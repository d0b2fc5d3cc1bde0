// Feeds each file of a fuzz target's seed corpus to the target once, in name
// order, so that the host tests run the seeds without libFuzzer. The seed's
// name comes first, so that a broken property or a crash names the seed.
//   fuzz_<target> <corpus folder>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  std::error_code error;
  std::vector<std::filesystem::path> seeds(std::filesystem::directory_iterator(argc > 1 ? argv[1] : "", error), {});
  if (seeds.empty()) return std::fprintf(stderr, "no seeds in %s\n", argc > 1 ? argv[1] : "(no folder given)"), 1;
  std::sort(seeds.begin(), seeds.end());
  for (const std::filesystem::path& seed : seeds) {
    std::fprintf(stderr, "seed: %s\n", seed.filename().c_str());
    std::ifstream file(seed, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  return 0;
}
