// Runs a fuzz harness over the files of corpus folders, or over single
// files, as libFuzzer runs it over its inputs: so that the seed corpus is
// replayed by every test run, with the project's usual compiler.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
    return 1;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int inputs = 0, failures = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg = fs::absolute(argv[i]);
    std::vector<fs::path> files;
    if (fs::is_directory(arg)) {
      for (const auto& e : fs::directory_iterator(arg)) {
        if (e.is_regular_file()) files.push_back(e.path());
      }
    } else {
      files.push_back(arg);
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
      failures += RunFile(f);
      ++inputs;
    }
  }
  std::printf("%d inputs replayed\n", inputs);
  if (inputs == 0) {
    std::fprintf(stderr, "no input found\n");
    return 1;
  }
  return failures == 0 ? 0 : 1;
}
