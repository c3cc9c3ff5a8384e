// The seam on POSIX systems.  Paths from the plug-in use Windows separators
// ("Plugins\ZEVUVI.ini"); they are turned into '/' here.  Only regular files
// are read: a pipe or a device in the place of a file is refused, never
// waited on.  The settings
// profile is read and written in the Windows file format, so that a settings
// file moves between the two builds unchanged.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <mutex>

#include "platform/failure_log.h"
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
  PosixFile(std::FILE* f, std::string path) : f_(f), path_(std::move(path)) {}
  ~PosixFile() override {
    if (f_ != nullptr) std::fclose(f_);
  }
  bool Write(std::string_view bytes) override {
    if (f_ == nullptr) return Fail(EBADF, "fwrite");
    if (bytes.empty()) return ok_;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f_) != bytes.size()) {
      return Fail(errno, "fwrite");
    }
    return ok_;
  }
  bool Flush() override {
    if (f_ == nullptr) return Fail(EBADF, "fflush");
    if (std::fflush(f_) != 0) return Fail(errno, "fflush");
    return ok_;
  }
  bool Sync() override {
    if (!Flush()) return false;
    if (fsync(fileno(f_)) != 0) return Fail(errno, "fsync");
    return ok_;
  }
  bool Truncate(unsigned long long size) override {
    if (f_ == nullptr) return Fail(EBADF, "ftruncate");
    // Whatever the buffer still holds goes out first, so that it cannot
    // reach the file after the cut; its failure is the one being undone.
    std::fflush(f_);
    std::clearerr(f_);
    if (ftruncate(fileno(f_), static_cast<off_t>(size)) != 0) return Fail(errno, "ftruncate");
    if (std::fseek(f_, 0, SEEK_END) != 0) return Fail(errno, "fseek");
    return true;
  }
  bool Close() override {
    if (f_ == nullptr) return ok_;
    std::FILE* f = f_;
    f_ = nullptr;
    if (std::fclose(f) != 0) Fail(errno, "fclose");
    return ok_;
  }
  std::string LastError() const override { return error_; }

 private:
  bool Fail(int error, const char* call) {
    ok_ = false;
    error_ = ErrorText(error != 0 ? error : EIO);
    failure_log::Record(call, path_, error_);
    return false;
  }
  std::FILE* f_;
  std::string path_;
  bool ok_ = true;
  std::string error_;
};

bool MakeParentFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return true;
  const std::string folder = path.substr(0, slash);
  struct stat st;
  if (stat(folder.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  if (!MakeParentFolder(folder)) return false;
  return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

// A file without any write permission is read-only for everybody, the
// system administrator too, as a read-only file is on Windows.
bool IsReadOnly(const struct stat& st, const std::string& native) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(native.c_str(), W_OK) != 0;
}

// EACCES when native is an existing regular file that is read-only, else 0
// (a missing file, or one that is not regular, is for the caller to meet).
int ReadOnlyError(const std::string& native) {
  struct stat st;
  if (stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return IsReadOnly(st, native) ? EACCES : 0;
}

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) close(fd);
  }
};

// Reads a whole regular file.  Anything else (a folder, a pipe, a device) is
// refused without waiting on it.  False with *error set to the reason.
bool ReadRegularFile(const std::string& native, std::string* contents, int* error) {
  FdCloser f{open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (f.fd < 0) {
    *error = errno;
    return false;
  }
  struct stat st;
  if (fstat(f.fd, &st) != 0) {
    *error = errno;
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    *error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return false;
  }
  // Read to the end whatever the size said: the file may grow meanwhile.
  contents->clear();
  contents->resize(static_cast<size_t>(st.st_size) + 1);
  size_t used = 0;
  for (;;) {
    if (used == contents->size()) contents->resize(contents->size() * 2);
    const ssize_t n = read(f.fd, contents->data() + used, contents->size() - used);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = errno;
      return false;
    }
    used += static_cast<size_t>(n);
  }
  contents->resize(used);
  return true;
}

bool WriteAllTo(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Writes a settings profile key.  The file is replaced whole through a
// temporary file beside it, so that a failed write never leaves half a
// settings file behind; the replacement is refused when the old file could
// not be read (its keys would be lost) or is read-only, keeps the old file's
// permissions, and goes to the target of a symbolic link.  Returns 0 or the
// error number.
int WriteProfileFile(const std::string& native, const std::string& section, const std::string& key,
                     const std::string& value) {
  std::string target = native;
  struct stat st;
  bool exists = false;
  if (lstat(native.c_str(), &st) == 0) {
    exists = true;
    if (S_ISLNK(st.st_mode)) {
      char* real = realpath(native.c_str(), nullptr);
      if (real == nullptr) return errno;
      target = real;
      std::free(real);
      if (stat(target.c_str(), &st) != 0) return errno;
    }
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return EINVAL;
    if (IsReadOnly(st, target)) return EACCES;
  } else if (errno != ENOENT) {
    return errno;
  }

  std::string contents;
  if (exists) {
    int error = 0;
    if (!ReadRegularFile(target, &contents, &error)) return error;
  }
  const std::string updated = profile::Assign(contents, section, key, value);
  // The file already says so: nothing to replace (and nothing to sync).
  if (exists && updated == contents) return 0;
  if (!exists && !MakeParentFolder(target)) return errno != 0 ? errno : ENOTDIR;

  const std::string temp = TemporaryFileFor(target);
  const mode_t mode = exists ? (st.st_mode & 07777) : 0666;
  int error = 0;
  {
    // A left-over temporary file goes first; a new one is made, never one
    // that a link points elsewhere.
    unlink(temp.c_str());
    FdCloser f{open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode)};
    if (f.fd < 0) return errno;
    if (exists) {
      // The owner can only be kept by a privileged process; the mode always.
      if (fchown(f.fd, st.st_uid, st.st_gid) != 0) {
      }
      if (fchmod(f.fd, mode) != 0) error = errno;
    }
    if (error == 0 && !WriteAllTo(f.fd, updated)) error = errno;
    if (error == 0 && fsync(f.fd) != 0) error = errno;
    const int fd = f.fd;
    f.fd = -1;
    if (close(fd) != 0 && error == 0) error = errno;
  }
  if (error == 0 && std::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) unlink(temp.c_str());
  return error;
}

class PosixPlatform final : public Platform {
 public:
  std::optional<std::string> ReadProfileString(const std::string& path,
                                               const std::string& section,
                                               const std::string& key,
                                               std::string* error) override {
    std::lock_guard lock(profile_mutex_);
    std::string contents;
    int failure = 0;
    if (!ReadRegularFile(NativePath(path), &contents, &failure)) {
      // A missing file has no keys; any other refusal is the caller's to tell.
      if (failure == ENOENT) return std::nullopt;
      const std::string reason = ErrorText(failure != 0 ? failure : EIO);
      failure_log::Record("read", path, reason);
      if (error != nullptr) *error = reason;
      return std::nullopt;
    }
    return profile::Lookup(contents, section, key);
  }

  bool WriteProfileString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value,
                          std::string* error) override {
    // Both threads of the plug-in keep keys in the same file: one writer at
    // a time.
    std::lock_guard lock(profile_mutex_);
    const int failure = WriteProfileFile(NativePath(path), section, key, value);
    if (failure == 0) return true;
    failure_log::Record("WriteProfileString", path + " [" + section + "] " + key,
                        ErrorText(failure));
    if (error != nullptr) *error = ErrorText(failure);
    return false;
  }

  std::vector<std::string> FindFiles(const std::string& pattern) override {
    const std::string native = NativePath(pattern);
    const size_t slash = native.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
    const std::string mask = slash == std::string::npos ? native : native.substr(slash + 1);
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
      // A folder that is not there has no files; any other refusal is logged.
      if (errno != ENOENT) failure_log::Record("opendir", folder, ErrorText(errno));
      return names;
    }
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
    const std::string native = NativePath(path);
    const int refused = mode == FileMode::kRead ? 0 : ReadOnlyError(native);
    std::FILE* f = refused != 0 ? nullptr : std::fopen(native.c_str(), how);
    if (f == nullptr) {
      const int code = refused != 0 ? refused : errno;
      failure_log::Record("fopen", path, ErrorText(code));
      if (error != nullptr) *error = ErrorText(code);
      return nullptr;
    }
    return std::make_unique<PosixFile>(f, path);
  }

  std::optional<std::string> ReadFile(const std::string& path) override {
    std::string contents;
    int error = 0;
    if (!ReadRegularFile(NativePath(path), &contents, &error)) {
      // A missing file is an answer (nullopt), not a failure.
      if (error != ENOENT) failure_log::Record("read", path, ErrorText(error != 0 ? error : EIO));
      return std::nullopt;
    }
    return contents;
  }

  bool RenameFile(const std::string& from, const std::string& to, std::string* error) override {
    // rename() would replace a read-only file as any other; MoveFileEx
    // refuses, and so does this.
    const int refused = ReadOnlyError(NativePath(to));
    if (refused == 0 && std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0) {
      return true;
    }
    const int code = refused != 0 ? refused : errno;
    failure_log::Record("rename", from + " -> " + to, ErrorText(code));
    if (error != nullptr) *error = ErrorText(code);
    return false;
  }

  bool RemoveFile(const std::string& path) override {
    if (unlink(NativePath(path).c_str()) == 0) return true;
    if (errno != ENOENT) failure_log::Record("unlink", path, ErrorText(errno));
    return false;
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

namespace failure_log {

void WriteDebugLine(const std::string& line) {
  static const bool enabled = std::getenv("STATS_LOG") != nullptr;
  if (!enabled) return;
  // One write per line, so that lines of two threads do not interleave.
  const std::string out = line + "\n";
  std::fwrite(out.data(), 1, out.size(), stderr);
}

}  // namespace failure_log

Platform& NativePlatform() {
  static PosixPlatform* platform = new PosixPlatform;
  return *platform;
}

}  // namespace stats

