#include "tests/support/test_support.h"

#include <fstream>
#include <mutex>
#include <random>
#include <sstream>

#include "host/automation.h"
#include "platform/headless/headless_gui.h"
#include "plugin/contest.h"
#include "plugin/notices.h"
#include "ui/windows.h"

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
  ui::CloseAll(false);
  EXPECT_TRUE(ui::JoinWindowThread(5000)) << "the window thread did not end";
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
  const char* b = "";
  return ResetStats0(host_folder.c_str(), cabrillo, own_call.c_str(), &start, &end, b, b, b, b, b,
                     b, b, b, b, own_country.c_str(), 0, 0, 0, 0.0, 0.0, b, b, b);
}

int Qso::Add() const {
  const char* b = "";
  const OleDateTime none = NullDate();
  return AddData0(own_call.c_str(), call.c_str(), &time, &none, &none, &none, 0u, frequency_hz,
                  mode.c_str(), rst_sent.c_str(), rst_received.c_str(), exchange_sent.c_str(),
                  exchange_received.c_str(), b, b, b, b, b, b, b, b, prefix.c_str(),
                  country.c_str(), 0, 0, 0, 0.0, 0.0, b, extra.c_str(), b, band.c_str(), b);
}

int Qso::Remove() const {
  const char* b = "";
  const OleDateTime none = NullDate();
  return RemoveData0(own_call.c_str(), call.c_str(), &time, &none, &none, &none, 0u, frequency_hz,
                     mode.c_str(), rst_sent.c_str(), rst_received.c_str(), exchange_sent.c_str(),
                     exchange_received.c_str(), b, b, b, b, b, b, b, b, prefix.c_str(),
                     country.c_str(), 0, 0, 0, 0.0, 0.0, b, extra.c_str(), b, band.c_str(), b);
}

int Check::Call() const {
  const char* b = "";
  char out1[64] = "", out2[64] = "";
  return CheckCallFunc0(call.c_str(), 0u, 0u, mode.c_str(), b, b, b, b, b, b, b, b, prefix.c_str(),
                        country.c_str(), 0, 0, 0, 0.0, 0.0, b, b, b, b, b, band, band2, out1, out2);
}

std::string Result() {
  int out = 0;
  const char* text = GetResult0(&out);
  EXPECT_EQ(out, -1);
  return text != nullptr ? text : "";
}

}  // namespace stats::testing
