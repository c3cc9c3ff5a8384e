#include <windows.h>

#include <mutex>

#include "child_process.h"

namespace crosscheck::sys {
namespace {

// A handle closed when it goes.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(Handle&& other) noexcept : h_(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~Handle() { Reset(); }
  HANDLE get() const { return h_; }
  HANDLE* put() {
    Reset();
    return &h_;
  }
  HANDLE Release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  void Reset(HANDLE h = nullptr) {
    if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = nullptr;
};

std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message;
  if (n > 0 && text != nullptr) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    message.resize(static_cast<size_t>(size > 0 ? size : 0));
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), message.data(), size, nullptr, nullptr);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
      message.pop_back();
    }
  }
  if (text != nullptr) LocalFree(text);
  return message.empty() ? "system error " + std::to_string(code) : message;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

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
  return DuplicateHandle(self, from, self, to->put(), 0, TRUE, DUPLICATE_SAME_ACCESS) != 0;
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
  if (CreatePipe(child_input.put(), h->input.put(), nullptr, 0) == 0 ||
      CreatePipe(h->output.put(), child_output.put(), nullptr, 0) == 0) {
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
  for (const std::string& a : args) AppendWord(&line, Wide(a));
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
  h->process.Reset(info.hProcess);
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
  while (!data.empty()) {
    const DWORD chunk = data.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (WriteFile(handles_->input.get(), data.data(), chunk, &written, nullptr) == 0 || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
}

void ChildProcess::CloseInput() { handles_->input.Reset(); }

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
