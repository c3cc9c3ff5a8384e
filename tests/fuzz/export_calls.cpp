// Fuzzes sequences of export calls against the plug-in in this process.
//
// The input is a list of calls: a byte picks the export, and the bytes that
// follow give its arguments - texts from a table of the values that matter
// to the contest (bands, modes, countries, sections, serials), raw texts,
// null pointers, any OLE date with any status, any frequency.  The plug-in
// runs on the built-in platform in a scratch folder of its own (the journal,
// the Cabrillo log and the settings file are real files there), with
// message boxes counted instead of shown and no operator windows: the window
// thread is kept from starting, so that every run is the same for the same
// input.  Every export must return without a crash, a hang or a sanitizer
// report, and GetResult0 must return a text.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "host/automation.h"
#include "platform/headless/headless_gui.h"
#include "platform/platform.h"
#include "plugin/contest.h"
#include "plugin/exports.h"
#include "plugin/notices.h"
#include "model/settings.h"
#include "tests/fuzz/fuzz_input.h"

namespace stats::fuzz {
namespace {

namespace fs = std::filesystem;

// The built-in platform without its message boxes and sleeps.
class QuietPlatform final : public Platform {
 public:
  std::optional<std::string> ReadProfileString(const std::string& path, const std::string& section,
                                               const std::string& key,
                                               std::string* error) override {
    return NativePlatform().ReadProfileString(path, section, key, error);
  }
  bool WriteProfileString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value,
                          std::string* error) override {
    return NativePlatform().WriteProfileString(path, section, key, value, error);
  }
  std::vector<std::string> FindFiles(const std::string& pattern) override {
    return NativePlatform().FindFiles(pattern);
  }
  std::unique_ptr<File> OpenFile(const std::string& path, FileMode mode,
                                 std::string* error) override {
    return NativePlatform().OpenFile(path, mode, error);
  }
  std::optional<std::string> ReadFile(const std::string& path) override {
    return NativePlatform().ReadFile(path);
  }
  bool RenameFile(const std::string& from, const std::string& to, std::string* error) override {
    return NativePlatform().RenameFile(from, to, error);
  }
  bool RemoveFile(const std::string& path) override { return NativePlatform().RemoveFile(path); }
  void ShowMessage(const char*, const std::string& text, unsigned, MessageOwner) override {
    if (text.empty()) std::abort();  // a box is never empty
  }
  void Sleep(unsigned) override {}
};

const char* const kTexts[] = {
    "",       "20m",     "40m",    "80m",      "160m",   "15m",  "10m",     "30m",
    "20M",    "020m",    "BPSK63", "bpsk63",   "PSK31",  "RTTY", "ON",      "DL",
    "UA",     "ON4",     "DL1",    "ON4XX",    "DL1AB",  "DL1ABC", "ON4XX/P", "LGE",
    "BXE",    "lge",     "ZZZ",    "001",      "1234",   "12",   "599",     "<CR><LF>",
    "a\r\nb", "Zelk=2",  "host\\", "..\\",     "%s%n%x", " ",    "ON4ZZZ\r\nON_Section=XYZ",
};
constexpr size_t kTextCount = sizeof kTexts / sizeof kTexts[0];

uint64_t g_calls = 0;

// One text argument: a table entry, a raw text, or a null pointer.
struct Text {
  std::string value;
  bool null = false;
  const char* get() const { return null ? nullptr : value.c_str(); }
};

Text NextText(Input& in) {
  const uint8_t pick = in.Byte();
  if (pick == 0xff) return {"", true};
  if (pick >= 0xc0) return {in.Bytes(), false};
  return {kTexts[pick % kTextCount], false};
}

struct Date {
  OleDateTime value{};
  bool null = false;
  const OleDateTime* get() const { return null ? nullptr : &value; }
};

Date NextDate(Input& in) {
  const uint8_t pick = in.Byte();
  Date d;
  if (pick == 0xff) {
    d.null = true;
    return d;
  }
  d.value.status = pick % 4 == 3 ? static_cast<int32_t>(in.U32()) : pick % 3;
  // Contest days of 2017 and their minutes, or any double at all.
  d.value.dt = pick >= 0x80 ? in.Double() : 42741.0 + in.Byte() / 16.0 + in.Byte() / 1440.0;
  return d;
}

// The arguments AddData0 and RemoveData0 read, and noise in the others.
void QsoCall(Input& in, bool remove) {
  const Text own = NextText(in), call = NextText(in), mode = NextText(in), rst_s = NextText(in),
             rst_r = NextText(in), ex_s = NextText(in), ex_r = NextText(in),
             prefix = NextText(in), country = NextText(in), extra = NextText(in),
             band = NextText(in);
  const Date time = NextDate(in);
  const uint32_t hz = in.U32();
  const OleDateTime none{0.0, 2};
  const char* b = "";
  auto fn = remove ? RemoveData0 : AddData0;
  fn(own.get(), call.get(), time.get(), &none, nullptr, &none, 0u, hz, mode.get(), rst_s.get(),
     rst_r.get(), ex_s.get(), ex_r.get(), b, nullptr, b, b, b, b, b, b, prefix.get(),
     country.get(), 0, 0, 0, 0.0, 0.0, nullptr, extra.get(), b, band.get(), nullptr);
}

// The export a byte chooses, weighted as a host calls them: ResetStats0 and
// GetResult0 (which write the settings file and the Cabrillo log) seldom,
// the per-QSO calls often.
enum Op { kReset, kAdd, kRemove, kCheck, kResult, kExchange, kVersion, kOther };

Op OpOf(uint8_t byte) {
  const unsigned k = byte % 40u;
  if (k == 0) return kReset;
  if (k < 20) return kAdd;
  if (k < 26) return kRemove;
  if (k < 34) return kCheck;
  if (k < 36) return kResult;
  if (k < 38) return kExchange;
  if (k < 39) return kVersion;
  return kOther;
}

void OneCall(Input& in) {
  ++g_calls;
  switch (OpOf(in.Byte())) {
    case kReset: {
      const Text folder = NextText(in), own = NextText(in), country = NextText(in);
      const int cabrillo = in.Byte() % 2;
      const Date start = NextDate(in), end = NextDate(in);
      // "Start" stays 1 at every run: the window thread is not started.
      settings::Write("Start", "1");
      const char* b = "";
      ResetStats0(folder.get(), cabrillo, own.get(), start.get(), end.get(), b, b, b, b, b, b, b,
                  b, b, country.get(), 0, 0, 0, 0.0, 0.0, b, b, b);
      break;
    }
    case kAdd:
      QsoCall(in, false);
      break;
    case kRemove:
      QsoCall(in, true);
      break;
    case kCheck: {
      const Text call = NextText(in), mode = NextText(in), prefix = NextText(in),
                 country = NextText(in), band = NextText(in), band2 = NextText(in);
      char out1[64] = "", out2[64] = "";
      const char* b = "";
      const auto fn = in.Byte() % 2 != 0 ? CheckCall0 : CheckCallFunc0;
      fn(call.get(), 0u, 0u, mode.get(), b, b, b, b, b, b, b, b, prefix.get(), country.get(), 0,
         0, 0, 0.0, 0.0, b, b, b, b, b, band.get(), band2.get(), out1, out2);
      break;
    }
    case kResult: {
      int out = 0;
      const char* text = GetResult0(in.Byte() % 4 == 0 ? nullptr : &out);
      if (text == nullptr) std::abort();
      volatile size_t length = std::strlen(text);
      (void)length;
      break;
    }
    case kExchange: {
      const Text exchange = NextText(in), country = NextText(in);
      StatsIsValidExchg0(exchange.get(), nullptr, country.get(), nullptr, 0, 0, 0);
      IsValidExchg0(exchange.get(), "", country.get(), "", 0, 0, 0);
      break;
    }
    case kVersion: {
      const Text version = NextText(in);
      setVersion(version.get());
      break;
    }
    case kOther: {
      const int set = static_cast<int>(in.U32());
      if (GetSetName(set) == nullptr || GetNumberOfSets() != 1) std::abort();
      if (StatsGetExchgCount0(nullptr, nullptr, nullptr) != 1) std::abort();
      SetupSet0();
      break;
    }
  }
}

fs::path g_scratch;

// At the end of the process: how many calls were made, and the scratch
// folder goes.
void Finish() {
  std::fprintf(stderr, "export calls made: %llu\n", static_cast<unsigned long long>(g_calls));
  std::error_code ec;
  fs::current_path(g_scratch.parent_path(), ec);
  fs::remove_all(g_scratch, ec);
}

// The scratch folder, made the current folder once for the whole process.
void EnterScratchFolder() {
  static bool entered = false;
  if (entered) return;
  entered = true;
  g_scratch =
      fs::temp_directory_path() / ("stats-fuzz-" + std::to_string(std::random_device{}()));
  fs::create_directories(g_scratch);
  fs::current_path(g_scratch);
  static QuietPlatform platform;
  SetPlatform(&platform);
  SetGui(&headless::Headless());
  host::SetHost(&host::NoHost());
  std::atexit(Finish);
}

}  // namespace

int RunExportCalls(const uint8_t* data, size_t size) {
  EnterScratchFolder();
  // Every input starts from a loaded plug-in in an empty folder.
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(fs::current_path(), ec)) {
    fs::remove_all(e.path(), ec);
  }
  {
    std::lock_guard lock(ContestLock());
    Contest() = ContestState();
  }
  notices::NewRun();
  Input in(data, size);
  while (!in.Done()) OneCall(in);
  return 0;
}

}  // namespace stats::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return stats::fuzz::RunExportCalls(data, size);
}
