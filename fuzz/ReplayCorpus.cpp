// Runs a fuzz target once on every file of its committed corpus, without libFuzzer, so that the
// target's checks run in every test run, under any compiler and under the sanitizers. A failed
// check aborts, which fails the test.
//
// Usage: replay_TARGET CORPUS_DIRECTORY...

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size);

int main(int argc, char* argv[]) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
      if (!entry.is_regular_file()) continue;
      std::ifstream file(entry.path(), std::ios::binary);
      const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
      std::printf("%s\n", entry.path().filename().string().c_str());
      std::fflush(stdout);  // names the input if the next call aborts
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return replayed > 0 ? 0 : 1;  // an empty or missing corpus is a mistake, not a pass
}
