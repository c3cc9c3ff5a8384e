// Writes a made-up ADIF log of a UBA PSK63 Prefix contest run for the
// benchmarks:
//
//   loggen COUNT OUTPUT.adi [CALL-LIST] [SEED]
//
// CALL-LIST (default /usr/share/hamradio-files/MASTER.SCP) gives the shapes
// of the calls; without it they are made up.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "loggen.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: loggen COUNT OUTPUT.adi [CALL-LIST] [SEED]\n");
    return 2;
  }
  const long long count = std::atoll(argv[1]);
  const std::string output = argv[2];
  const std::string list = argc > 3 ? argv[3] : "/usr/share/hamradio-files/MASTER.SCP";
  const uint32_t seed = argc > 4 ? static_cast<uint32_t>(std::atoll(argv[4])) : 1;
  loggen::Generator generator(loggen::ReadCallList(list), seed);
  std::FILE* out = std::fopen(output.c_str(), "wb");
  if (out == nullptr) {
    std::perror(output.c_str());
    return 1;
  }
  std::string text = "Made-up contest log written by loggen\n<ADIF_VER:5>3.1.4 <PROGRAMID:6>loggen <EOH>\n";
  for (long long i = 0; i < count; ++i) {
    loggen::AppendAdifRecord(generator.Next(), "DL6UHU", &text);
    if (text.size() > (1 << 20)) {
      std::fwrite(text.data(), 1, text.size(), out);
      text.clear();
    }
  }
  std::fwrite(text.data(), 1, text.size(), out);
  const bool failed = std::ferror(out) != 0;
  if (std::fclose(out) != 0 || failed) {
    std::perror(output.c_str());
    return 1;
  }
  return 0;
}
