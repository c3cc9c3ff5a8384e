// A program started by stats-crosscheck (its own scoring processes): its
// standard input and output are pipes to the parent, its standard error is
// the parent's, and it runs in a folder of its own.  child_process_posix.cpp and
// child_process_win32.cpp implement it; the build picks one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace crosscheck::sys {

class ChildProcess {
 public:
  // Starts `program` with `args` in the folder `folder`; null with *error
  // set when it cannot be started.
  static std::unique_ptr<ChildProcess> Start(const std::filesystem::path& program,
                                             const std::vector<std::string>& args,
                                             const std::filesystem::path& folder, std::string* error);
  // A child still running when its object goes is waited for (its input
  // and output closed first, so that it ends).
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Writes all of `data` to the child's standard input; false when the
  // child no longer reads it.
  bool Write(std::string_view data);
  // Closes the child's standard input: it reads the end of its input.
  void CloseInput();
  // Reads what the child wrote to its standard output, at most `size`
  // bytes; 0 at its end (the child closed it or ended).
  size_t Read(char* buffer, size_t size);
  // Waits for the child to end: its exit status, or -1 with *how telling
  // how it ended otherwise (a signal on POSIX).
  int Wait(std::string* how);

  struct Handles;

 private:
  explicit ChildProcess(std::unique_ptr<Handles> handles);
  std::unique_ptr<Handles> handles_;
};

}  // namespace crosscheck::sys
