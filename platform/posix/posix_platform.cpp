// The seam on POSIX systems.  Paths from the plug-in use Windows separators
// ("Plugins\ZEVUVI.ini"); they are turned into '/' here.  The settings
// profile is read and written in the Windows file format, so that a settings
// file moves between the two builds unchanged.
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <mutex>

#include "platform/platform.h"
#include "platform/profile_format.h"

namespace stats {
namespace {

std::string NativePath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::string ErrorText(int error) { return std::strerror(error); }

// A FILE*-backed file.
class PosixFile final : public File {
 public:
  explicit PosixFile(std::FILE* f) : f_(f) {}
  ~PosixFile() override {
    if (f_ != nullptr) std::fclose(f_);
  }
  bool Write(std::string_view bytes) override {
    if (f_ == nullptr) return Fail(EBADF);
    if (bytes.empty()) return ok_;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f_) != bytes.size()) return Fail(errno);
    return ok_;
  }
  bool Flush() override {
    if (f_ == nullptr) return Fail(EBADF);
    if (std::fflush(f_) != 0) return Fail(errno);
    return ok_;
  }
  bool Close() override {
    if (f_ == nullptr) return ok_;
    std::FILE* f = f_;
    f_ = nullptr;
    if (std::fclose(f) != 0) Fail(errno);
    return ok_;
  }
  std::string LastError() const override { return error_; }

 private:
  bool Fail(int error) {
    ok_ = false;
    error_ = ErrorText(error != 0 ? error : EIO);
    return false;
  }
  std::FILE* f_;
  bool ok_ = true;
  std::string error_;
};

bool MakeParentFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return true;
  const std::string folder = path.substr(0, slash);
  struct stat st;
  if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  if (!MakeParentFolder(folder)) return false;
  return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

class PosixPlatform final : public Platform {
 public:
  std::optional<std::string> ReadProfileString(const std::string& path,
                                               const std::string& section,
                                               const std::string& key) override {
    std::lock_guard lock(profile_mutex_);
    auto contents = ReadFile(path);
    if (!contents) return std::nullopt;
    return profile::Lookup(*contents, section, key);
  }

  bool WriteProfileString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value) override {
    // Both threads of the plug-in keep keys in the same file: one writer at
    // a time, and the file is replaced whole so that a failed write never
    // leaves half a settings file behind.
    std::lock_guard lock(profile_mutex_);
    const std::string native = NativePath(path);
    const std::string contents = ReadFile(path).value_or("");
    const std::string updated = profile::Assign(contents, section, key, value);
    if (!MakeParentFolder(native)) return false;
    const std::string temp = native + ".tmp";
    std::unique_ptr<File> f = OpenFile(temp, FileMode::kTruncate, nullptr);
    if (!f) return false;
    const bool written = f->Write(updated) && f->Close();
    if (!written || std::rename(temp.c_str(), native.c_str()) != 0) {
      std::remove(temp.c_str());
      return false;
    }
    return true;
  }

  std::vector<std::string> FindFiles(const std::string& pattern) override {
    const std::string native = NativePath(pattern);
    const size_t slash = native.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
    const std::string mask = slash == std::string::npos ? native : native.substr(slash + 1);
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (dirent* e = readdir(dir)) {
      // Windows file search ignores letter case.
      if (fnmatch(mask.c_str(), e->d_name, FNM_CASEFOLD) == 0) names.emplace_back(e->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<File> OpenFile(const std::string& path, FileMode mode,
                                 std::string* error) override {
    const char* how = mode == FileMode::kRead ? "rb" : mode == FileMode::kTruncate ? "wb" : "ab";
    std::FILE* f = std::fopen(NativePath(path).c_str(), how);
    if (f == nullptr) {
      if (error != nullptr) *error = ErrorText(errno);
      return nullptr;
    }
    return std::make_unique<PosixFile>(f);
  }

  std::optional<std::string> ReadFile(const std::string& path) override {
    std::FILE* f = std::fopen(NativePath(path).c_str(), "rb");
    if (f == nullptr) return std::nullopt;
    std::string contents;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) contents.append(chunk, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    return contents;
  }

  void ShowMessage(const char* caption, const std::string& text, unsigned /*style*/,
                   MessageOwner /*owner*/) override {
    // No window system: the message is one line on standard error.
    std::cerr << (caption != nullptr ? caption : "Error") << ": " << text << std::endl;
  }

  void Sleep(unsigned milliseconds) override {
    timespec ts{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
  }

 private:
  std::mutex profile_mutex_;
};

}  // namespace

// Never destroyed: the window thread, or the module's own unload, may still
// use it while the process tears down its static objects.
// A shared object is unloaded by dlclose, which the host calls when it no
// longer runs the plug-in's threads' code; a thread that returned just ends.
void EndCurrentThreadNow() {}

Platform& NativePlatform() {
  static PosixPlatform* platform = new PosixPlatform;
  return *platform;
}

}  // namespace stats

