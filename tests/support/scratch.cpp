#include "tests/support/scratch.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

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
    long long& room = owner_->disk_room;
    if (room >= 0 && static_cast<long long>(bytes.size()) > room) {
      // What fits goes out, as a write to a full disk leaves it.
      inner_->Write(bytes.substr(0, static_cast<size_t>(room)));
      inner_->Flush();
      room = 0;
      failed_ = true;
      full_ = true;
      return false;
    }
    if (room >= 0) room -= static_cast<long long>(bytes.size());
    return inner_->Write(bytes) && !failed_;
  }
  bool Truncate(unsigned long long size) override { return inner_->Truncate(size); }
  bool Flush() override { return inner_->Flush() && !failed_; }
  bool Sync() override {
    if (owner_->WriteFails()) failed_ = true;
    return inner_->Sync() && !failed_;
  }
  bool Close() override { return inner_->Close() && !failed_; }
  std::string LastError() const override {
    if (full_) return "No space left on device";
    return failed_ ? "injected write failure" : inner_->LastError();
  }

 private:
  std::unique_ptr<File> inner_;
  TestPlatform* owner_;
  bool failed_ = false;
  bool full_ = false;
};

}  // namespace

bool TestPlatform::WriteFails() {
  ++writes;
  if (fail_write_at == 0) return false;
  return sticky ? writes >= fail_write_at : writes == fail_write_at;
}

namespace {
constexpr const char* kUnreadable = "injected read failure";
}

std::optional<std::string> TestPlatform::ReadProfileString(const std::string& path,
                                                           const std::string& section,
                                                           const std::string& key,
                                                           std::string* error) {
  if (std::find(unreadable.begin(), unreadable.end(), path) != unreadable.end()) {
    if (error != nullptr) *error = kUnreadable;
    return std::nullopt;
  }
  return NativePlatform().ReadProfileString(path, section, key, error);
}

bool TestPlatform::WriteProfileString(const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& value,
                                      std::string* error) {
  if (std::find(unreadable.begin(), unreadable.end(), path) != unreadable.end()) {
    if (error != nullptr) *error = kUnreadable;
    return false;
  }
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

void ScratchTest::SetUp() {
  static std::mt19937_64 random{std::random_device{}()};
  old_cwd_ = fs::current_path();
  dir_ = fs::temp_directory_path() / ("stats-test-" + std::to_string(random()));
  fs::create_directories(dir_);
  fs::current_path(dir_);
  old_platform_ = SetPlatform(&platform_);
}

void ScratchTest::TearDown() {
  SetPlatform(old_platform_ == &NativePlatform() ? nullptr : old_platform_);
  fs::current_path(old_cwd_);
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

std::string ScratchTest::Settings() const {
  const fs::path p = dir_ / "Plugins" / "ZEVUVI.ini";
  return Exists(p) ? ReadText(p) : std::string();
}

void ScratchTest::WriteSettings(const std::string& contents) {
  WriteText(dir_ / "Plugins" / "ZEVUVI.ini", contents);
}

}  // namespace stats::testing
