#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "child_process.h"
#include "system.h"

extern char** environ;

namespace crosscheck::sys {
namespace {

using replay::sys::SystemMessage;

// A file descriptor closed when it goes.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.Release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~Fd() { Reset(); }
  int get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// Both ends close on exec: a child inherits only what it is given.
bool MakePipe(Fd* read_end, Fd* write_end, std::string* error) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe: ") + SystemMessage(errno);
    return false;
  }
  read_end->Reset(fds[0]);
  write_end->Reset(fds[1]);
  return true;
}

// posix_spawn's file actions, destroyed when they go.
class FileActions {
 public:
  FileActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
  ~FileActions() {
    if (ok_) posix_spawn_file_actions_destroy(&actions_);
  }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  bool ok() const { return ok_; }
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
  bool ok_ = false;
};

}  // namespace

struct ChildProcess::Handles {
  pid_t pid = -1;
  bool waited = false;
  Fd input;   // the parent's end of the child's standard input
  Fd output;  // the parent's end of the child's standard output
};

ChildProcess::ChildProcess(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::filesystem::path& program,
                                                  const std::vector<std::string>& args,
                                                  const std::filesystem::path& folder, std::string* error) {
  auto h = std::make_unique<Handles>();
  Fd child_input, child_output;
  if (!MakePipe(&child_input, &h->input, error) || !MakePipe(&h->output, &child_output, error)) return nullptr;
  FileActions actions;
  // dup2 leaves the new descriptors open across exec.
  if (!actions.ok() || posix_spawn_file_actions_adddup2(actions.get(), child_input.get(), 0) != 0 ||
      posix_spawn_file_actions_adddup2(actions.get(), child_output.get(), 1) != 0 ||
      posix_spawn_file_actions_addchdir_np(actions.get(), folder.c_str()) != 0) {
    *error = "cannot prepare to start " + program.string();
    return nullptr;
  }
  std::vector<std::string> words;
  words.push_back(program.string());
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const int failed = posix_spawn(&h->pid, program.c_str(), actions.get(), nullptr, argv.data(), environ);
  if (failed != 0) {
    *error = "cannot start " + program.string() + " in " + folder.string() + ": " + SystemMessage(static_cast<unsigned long>(failed));
    return nullptr;
  }
  return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(h)));
}

ChildProcess::~ChildProcess() {
  handles_->input.Reset();
  handles_->output.Reset();
  if (!handles_->waited) {
    std::string how;
    Wait(&how);
  }
}

bool ChildProcess::Write(std::string_view data) {
  // A child that has stopped reading must not end the parent.
  static const bool ignored = [] {
    signal(SIGPIPE, SIG_IGN);
    return true;
  }();
  (void)ignored;
  while (!data.empty()) {
    const ssize_t n = write(handles_->input.get(), data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

void ChildProcess::CloseInput() { handles_->input.Reset(); }

size_t ChildProcess::Read(char* buffer, size_t size) {
  for (;;) {
    const ssize_t n = read(handles_->output.get(), buffer, size);
    if (n < 0 && errno == EINTR) continue;
    return n > 0 ? static_cast<size_t>(n) : 0;
  }
}

int ChildProcess::Wait(std::string* how) {
  int status = 0;
  pid_t got = -1;
  do {
    got = waitpid(handles_->pid, &status, 0);
  } while (got < 0 && errno == EINTR);
  handles_->waited = true;
  if (got < 0) {
    *how = std::string("cannot wait for it: ") + SystemMessage(errno);
    return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) {
    *how = std::string("ended by signal ") + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
  } else {
    *how = "ended abnormally";
  }
  return -1;
}

}  // namespace crosscheck::sys
