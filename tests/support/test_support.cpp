#include "tests/support/test_support.h"

#include <fstream>
#include <mutex>
#include <random>
#include <sstream>

#include "host/automation.h"
#include "platform/headless/headless_gui.h"
#include "plugin/contest.h"
#include "plugin/notices.h"
#include "ui/operator_windows.h"

namespace stats::testing {
namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const fs::path& path, const std::string& contents) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << contents;
}

bool Exists(const fs::path& path) { return fs::exists(path); }

namespace {

// A file whose writes fail when the platform says so.
class FailingFile : public File {
 public:
  FailingFile(std::unique_ptr<File> inner, TestPlatform* owner)
      : inner_(std::move(inner)), owner_(owner) {}
  bool Write(std::string_view bytes) override {
    if (owner_->WriteFails()) {
      failed_ = true;
      return false;
    }
    return inner_->Write(bytes) && !failed_;
  }
  bool Flush() override { return inner_->Flush() && !failed_; }
  bool Sync() override {
    if (owner_->WriteFails()) failed_ = true;
    return inner_->Sync() && !failed_;
  }
  bool Close() override { return inner_->Close() && !failed_; }
  std::string LastError() const override {
    return failed_ ? "injected write failure" : inner_->LastError();
  }

 private:
  std::unique_ptr<File> inner_;
  TestPlatform* owner_;
  bool failed_ = false;
};

}  // namespace

bool TestPlatform::WriteFails() {
  ++writes;
  if (fail_write_at == 0) return false;
  return sticky ? writes >= fail_write_at : writes == fail_write_at;
}

std::optional<std::string> TestPlatform::ReadProfileString(const std::string& path,
                                                           const std::string& section,
                                                           const std::string& key) {
  return NativePlatform().ReadProfileString(path, section, key);
}

bool TestPlatform::WriteProfileString(const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& value,
                                      std::string* error) {
  if (WriteFails()) {
    if (error != nullptr) *error = "injected write failure";
    return false;
  }
  return NativePlatform().WriteProfileString(path, section, key, value, error);
}

std::vector<std::string> TestPlatform::FindFiles(const std::string& pattern) {
  return NativePlatform().FindFiles(pattern);
}

std::unique_ptr<File> TestPlatform::OpenFile(const std::string& path, FileMode mode,
                                             std::string* error) {
  auto inner = NativePlatform().OpenFile(path, mode, error);
  if (!inner || mode == FileMode::kRead) return inner;
  return std::make_unique<FailingFile>(std::move(inner), this);
}

std::optional<std::string> TestPlatform::ReadFile(const std::string& path) {
  return NativePlatform().ReadFile(path);
}

bool TestPlatform::RenameFile(const std::string& from, const std::string& to,
                              std::string* error) {
  if (WriteFails()) {
    if (error != nullptr) *error = "injected rename failure";
    return false;
  }
  return NativePlatform().RenameFile(from, to, error);
}

bool TestPlatform::RemoveFile(const std::string& path) { return NativePlatform().RemoveFile(path); }

void TestPlatform::ShowMessage(const char* caption, const std::string& text, unsigned style,
                               MessageOwner) {
  messages.push_back({caption != nullptr ? caption : "(default)", text, style});
}

void TestPlatform::Sleep(unsigned milliseconds) { NativePlatform().Sleep(milliseconds); }

void PluginTest::SetUp() {
  static std::mt19937_64 random{std::random_device{}()};
  old_cwd_ = fs::current_path();
  dir_ = fs::temp_directory_path() / ("stats-test-" + std::to_string(random()));
  fs::create_directories(dir_);
  fs::current_path(dir_);
  old_platform_ = SetPlatform(&platform_);
  // A run that starts the window thread gets windows without a screen and
  // finds no host; TearDown closes them again.
  SetGui(&headless::Headless());
  host::SetHost(&host::NoHost());
  notices::NewRun();
  std::lock_guard lock(ContestLock());
  Contest() = ContestState();
}

void PluginTest::TearDown() {
  // The close-all routine waits a bounded time for a window thread that is
  // still opening its setup window, and a busy machine can outlast it: the
  // windows are closed again until the thread has ended.  The limit only
  // keeps a thread that never ends from hanging the tests.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool ended = false;
  while (!ended && std::chrono::steady_clock::now() < give_up) {
    ui::CloseAll(false);
    ended = ui::JoinWindowThread(100);
  }
  EXPECT_TRUE(ended) << "the window thread did not end";
  host::SetHost(nullptr);
  SetGui(nullptr);
  {
    std::lock_guard lock(ContestLock());
    Contest() = ContestState();
  }
  SetPlatform(old_platform_ == &NativePlatform() ? nullptr : old_platform_);
  fs::current_path(old_cwd_);
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

std::string PluginTest::Settings() const {
  const fs::path p = dir_ / "Plugins" / "ZEVUVI.ini";
  return Exists(p) ? ReadText(p) : std::string();
}

void PluginTest::WriteSettings(const std::string& contents) {
  WriteText(dir_ / "Plugins" / "ZEVUVI.ini", contents);
}

OleDateTime Date(int year, int month, int day, int hour, int minute) {
  return {OleDate::FromCivil(year, month, day, hour, minute).days, 0};
}
OleDateTime NullDate() { return {0.0, 2}; }
OleDateTime InvalidDate() { return {0.0, 1}; }

int Reset::Call() const {
  host_args::ResetFields f;
  f.host_folder = host_folder.c_str();
  f.cabrillo = cabrillo;
  f.own_call = own_call.c_str();
  f.start = &start;
  f.end = &end;
  f.own_country = own_country.c_str();
  return host_args::CallReset(&ResetStats0, f);
}

host_args::QsoFields Qso::Fields() const {
  host_args::QsoFields f;
  f.own_call = own_call.c_str();
  f.call = call.c_str();
  f.time = &time;
  f.frequency_hz = frequency_hz;
  f.mode = mode.c_str();
  f.rst_sent = rst_sent.c_str();
  f.rst_received = rst_received.c_str();
  f.exchange_sent = exchange_sent.c_str();
  f.exchange_received = exchange_received.c_str();
  f.prefix = prefix.c_str();
  f.country = country.c_str();
  f.extra = extra.c_str();
  f.band = band.c_str();
  return f;
}

int Qso::Add() const { return host_args::CallQso(&AddData0, Fields()); }

int Qso::Remove() const { return host_args::CallQso(&RemoveData0, Fields()); }

int Check::Call() const {
  host_args::CheckFields f;
  f.call = call.c_str();
  f.mode = mode.c_str();
  f.prefix = prefix.c_str();
  f.country = country.c_str();
  f.band = band;
  f.band2 = band2;
  return host_args::CallCheck(&CheckCallFunc0, f);
}

std::string Result() {
  int out = 0;
  const char* text = GetResult0(&out);
  EXPECT_EQ(out, -1);
  return text != nullptr ? text : "";
}

}  // namespace stats::testing
