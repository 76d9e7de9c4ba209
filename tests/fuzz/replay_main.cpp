// Runs every file of the folders (or the files) named on the command line
// through the fuzz target's entry point once: the seed corpus in CI, and a
// crash a fuzzer found, without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// A target may say, after the replay, that its inputs never reached what
// it tests (nonzero).
extern "C" int BrisklaneFuzzReplayCheck() __attribute__((weak));

namespace {

int replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::printf("%s (%zu bytes)\n", file.c_str(), bytes.size());
  return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t inputs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path named(argv[i]);
    if (!std::filesystem::is_directory(named)) {
      replay(named);
      ++inputs;
      continue;
    }
    for (const auto& entry : std::filesystem::directory_iterator(named)) {
      if (!entry.is_regular_file()) continue;
      replay(entry.path());
      ++inputs;
    }
  }
  std::printf("%zu inputs replayed\n", inputs);
  if (inputs == 0) return 1;
  return BrisklaneFuzzReplayCheck ? BrisklaneFuzzReplayCheck() : 0;
}
