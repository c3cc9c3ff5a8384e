#include <windows.h>

#include <mutex>

#include "child_process.h"
#include "platform/win32/handles.h"
#include "system.h"

namespace crosscheck::sys {
namespace {

using Handle = stats::win32::UniqueKernelHandle;
using replay::sys::SystemMessage;

// One word of a command line as the C runtime splits it again: quoted, a
// run of backslashes doubled before a quote.
void AppendWord(std::wstring* line, const std::wstring& word) {
  if (!line->empty()) line->push_back(L' ');
  line->push_back(L'"');
  size_t backslashes = 0;
  for (const wchar_t c : word) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line->append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line->push_back(c);
  }
  line->append(backslashes * 2, L'\\');
  line->push_back(L'"');
}

// A copy of a handle that a child may inherit.
bool Inheritable(HANDLE from, Handle* to) {
  if (from == nullptr || from == INVALID_HANDLE_VALUE) return true;
  const HANDLE self = GetCurrentProcess();
  HANDLE copy = nullptr;
  if (DuplicateHandle(self, from, self, &copy, 0, TRUE, DUPLICATE_SAME_ACCESS) == 0) return false;
  to->reset(copy);
  return true;
}

// A pipe, both ends closed when they go.
bool MakePipe(Handle* read_end, Handle* write_end) {
  HANDLE r = nullptr, w = nullptr;
  if (CreatePipe(&r, &w, nullptr, 0) == 0) return false;
  read_end->reset(r);
  write_end->reset(w);
  return true;
}

// Children are started one at a time: the inheritable ends made for one
// are closed in the parent before the next is started, so that no child
// holds another's pipe open.
std::mutex& StartLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

struct ChildProcess::Handles {
  Handle process;
  bool waited = false;
  Handle input;   // the parent's end of the child's standard input
  Handle output;  // the parent's end of the child's standard output
};

ChildProcess::ChildProcess(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::filesystem::path& program,
                                                  const std::vector<std::string>& args,
                                                  const std::filesystem::path& folder, std::string* error) {
  auto h = std::make_unique<Handles>();
  const std::lock_guard<std::mutex> hold(StartLock());
  Handle child_input, child_output, child_error;
  if (!MakePipe(&child_input, &h->input) || !MakePipe(&h->output, &child_output)) {
    *error = "cannot make a pipe: " + SystemMessage(GetLastError());
    return nullptr;
  }
  if (SetHandleInformation(child_input.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) == 0 ||
      SetHandleInformation(child_output.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) == 0 ||
      !Inheritable(GetStdHandle(STD_ERROR_HANDLE), &child_error)) {
    *error = "cannot hand a pipe on: " + SystemMessage(GetLastError());
    return nullptr;
  }
  std::wstring line;
  AppendWord(&line, program.wstring());
  for (const std::string& a : args) AppendWord(&line, std::filesystem::path(a).wstring());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = child_input.get();
  startup.hStdOutput = child_output.get();
  startup.hStdError = child_error.get();
  PROCESS_INFORMATION info{};
  if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                     &info) == 0) {
    *error = "cannot start " + program.string() + " in " + folder.string() + ": " + SystemMessage(GetLastError());
    return nullptr;
  }
  CloseHandle(info.hThread);
  h->process.reset(info.hProcess);
  return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(h)));
}

ChildProcess::~ChildProcess() {
  handles_->input.reset();
  handles_->output.reset();
  if (!handles_->waited) {
    std::string how;
    Wait(&how);
  }
}

bool ChildProcess::Write(std::string_view data) {
  while (!data.empty()) {
    const DWORD chunk = data.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (WriteFile(handles_->input.get(), data.data(), chunk, &written, nullptr) == 0 || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
}

void ChildProcess::CloseInput() { handles_->input.reset(); }

size_t ChildProcess::Read(char* buffer, size_t size) {
  const DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
  DWORD got = 0;
  // A broken pipe is the end: the child closed its output.
  if (ReadFile(handles_->output.get(), buffer, chunk, &got, nullptr) == 0) return 0;
  return got;
}

int ChildProcess::Wait(std::string* how) {
  handles_->waited = true;
  if (WaitForSingleObject(handles_->process.get(), INFINITE) != WAIT_OBJECT_0) {
    *how = "cannot wait for it: " + SystemMessage(GetLastError());
    return -1;
  }
  DWORD code = 0;
  if (GetExitCodeProcess(handles_->process.get(), &code) == 0) {
    *how = "cannot tell how it ended: " + SystemMessage(GetLastError());
    return -1;
  }
  // An exception that ended it, as 0xC0000005 for an access violation.
  if (code >= 0xC0000000u) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) hex.push_back(digits[(code >> shift) & 0xF]);
    *how = "ended by exception " + hex;
    return -1;
  }
  return static_cast<int>(code);
}

}  // namespace crosscheck::sys
