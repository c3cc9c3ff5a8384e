// The seam between the plug-in and the operating system.
//
// Everything the plug-in asks of the system - the settings profile, file
// search and files, message boxes, sleeping and threads - goes through one
// object of class Platform.  The build links exactly one implementation
// (platform/win32 or platform/posix); tests may install another one, for
// example one that fails its Nth write, with SetPlatform().
//
// Texts are the 8-bit bytes the host handed over; an implementation that
// calls wide system functions converts at that call and nowhere else.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stats {

// An open file.  Writes may be buffered: Close() is where a buffered write
// finally fails, so callers that care check its result.  The destructor
// closes quietly.
class File {
 public:
  virtual ~File() = default;
  // Appends bytes as they are; no line-end translation.
  virtual bool Write(std::string_view bytes) = 0;
  // Pushes buffered bytes to the system.
  virtual bool Flush() = 0;
  // Pushes buffered bytes to the system and waits until the system has them
  // on the disk, so that a rename that follows never exposes a file whose
  // bytes are still in flight.
  virtual bool Sync() = 0;
  // Drops every byte past the first size bytes of the file, the ones still
  // buffered here too, and goes on writing at the new end: an append that
  // failed half-way is taken back with it.  False when the system refused.
  virtual bool Truncate(unsigned long long size) = 0;
  // Flushes and closes; false when any write since opening failed.
  virtual bool Close() = 0;
  // The system's text for the last failure of this file ("" when none).
  virtual std::string LastError() const = 0;
};

// A thread started with Platform::StartThread.
class Thread {
 public:
  // Lets a thread that was not joined run on to its end (it is detached;
  // CloseHandle on Windows).
  virtual ~Thread() = default;
  // Waits at most timeout_ms for the thread to end; true when it has ended
  // (it is then joined and Join returns true again at once).
  virtual bool Join(unsigned timeout_ms) = 0;
  // Whether the thread's work has returned, without waiting and without
  // joining: safe where a join could wait forever, such as inside a DLL's
  // unloading, where a thread's very end waits for the loader.
  virtual bool Finished() = 0;
};

enum class FileMode {
  kRead,      // existing file, reading from the start
  kTruncate,  // created or emptied, then written
  kAppend,    // created if missing, written at the end
};

// Message box styles the plug-in uses (the values of the Windows flags).
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconInformation = 0x40;

enum class MessageOwner {
  kMainWindow,    // the application's main window, when there is one
  kActiveWindow,  // the window active on the calling thread, if any
};

class Platform {
 public:
  virtual ~Platform() = default;

  // -- Settings profile ----------------------------------------------------
  // Reads key in section of the profile file at path; nullopt when the file,
  // the section or the key is missing.  Values of any length come back whole.
  // A file that exists but cannot be read also gives nullopt, and then the
  // system's reason goes into *error when error is not null (it is left
  // alone otherwise).
  virtual std::optional<std::string> ReadProfileString(const std::string& path,
                                                       const std::string& section,
                                                       const std::string& key,
                                                       std::string* error) = 0;
  std::optional<std::string> ReadProfileString(const std::string& path,
                                               const std::string& section,
                                               const std::string& key) {
    return ReadProfileString(path, section, key, nullptr);
  }
  // Writes key=value, replacing the key in place or appending it; every other
  // line of the file stays.  Creates the file (and its folder) if missing.
  // Refuses, leaving the file as it was, when the file exists but cannot be
  // read or is read-only; writes through a symbolic link to its target and
  // keeps the file's permissions.  On failure returns false and puts the
  // system's reason into *error when error is not null.
  virtual bool WriteProfileString(const std::string& path, const std::string& section,
                                  const std::string& key, const std::string& value,
                                  std::string* error) = 0;

  // -- Files ----------------------------------------------------------------
  // Names (without folder) of the files matching a pattern such as
  // "C:\\Zelk\\*.ini", in the order the system lists them.
  virtual std::vector<std::string> FindFiles(const std::string& pattern) = 0;
  // Opens a file; on failure returns null and puts the system's reason into
  // *error when error is not null.  A read-only file is refused for writing
  // (kTruncate, kAppend), as it is for the settings profile.
  virtual std::unique_ptr<File> OpenFile(const std::string& path, FileMode mode,
                                         std::string* error) = 0;
  // Reads a whole file; nullopt when it cannot be opened or read.
  virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
  // Renames from over to, replacing a file of that name in one step; on
  // failure to is left as it was, and the system's reason goes into *error
  // when error is not null.  A read-only file at to is not replaced: it is
  // left as it is, read-only mark and all, and the rename fails.
  virtual bool RenameFile(const std::string& from, const std::string& to,
                          std::string* error) = 0;
  // Deletes a file; false when it could not be deleted.
  virtual bool RemoveFile(const std::string& path) = 0;

  // -- Operator -------------------------------------------------------------
  // Shows a modal message box; a null caption means the system's default.
  virtual void ShowMessage(const char* caption, const std::string& text, unsigned style,
                           MessageOwner owner) = 0;

  // -- Time and threads -----------------------------------------------------
  virtual void Sleep(unsigned milliseconds) = 0;
  // Starts a thread with default attributes that runs body.  The default
  // implementation (platform/thread.cpp) uses the C++ library's threads,
  // which are the system's threads on both builds.  Null when the system
  // could not start one.
  virtual std::unique_ptr<Thread> StartThread(std::function<void()> body);
};

// The platform in use: the one this build was made for, unless a test set
// another.
Platform& Os();

// Installs a platform for tests; null restores the built-in one.  Returns the
// one that was in use (platform/override.h).
Platform* SetPlatform(Platform* platform);

// The built-in platform of this build.
Platform& NativePlatform();

// Replaces the file at path with the pieces, in order: they are written to
// a temporary file in the same folder, pushed to the disk, and only then
// renamed over path.  On failure path is left exactly as it was, the
// temporary file is removed, and the system's reason goes into *error.  A
// read-only file at path is never replaced (Platform::RenameFile).
// The pieces are views into texts the caller keeps.
bool ReplaceFile(const std::string& path, const std::vector<std::string_view>& pieces,
                 std::string* error);
// The temporary file that ReplaceFile writes before the rename.
std::string TemporaryFileFor(const std::string& path);

// Splits file contents into lines, as a text-mode reader sees them: lines end
// at LF, a CR before the LF is dropped, and a last line without LF counts.
std::vector<std::string> SplitLines(std::string_view contents);

// Module load and unload, called by the platform's module entry code
// (DllMain on Windows, the shared object's constructor and destructor
// elsewhere).  process_exiting is true when the whole process is ending, so
// that other threads may already be gone.
void OnModuleLoad();
void OnModuleUnload(bool process_exiting);

// Called by the module's unload before it closes the windows: from then on a
// thread started with Platform::StartThread ends itself the moment its work
// has returned and Finished() says so.  On Windows that is ExitThread: the
// unloading thread cannot join it (a thread's end waits for the loader that
// the unload holds), and once it saw Finished() the module's code may be
// unmapped under a thread that would otherwise run on through it.
void BeginModuleUnload();
// Ends the calling thread at once, without returning (ExitThread on
// Windows); does nothing where threads need no such end.
void EndCurrentThreadNow();

// -- The module's own references ---------------------------------------------
// The window thread's work may wait for the host (a call into its automation
// object that the host's thread must serve) or for a slow drive.  While it
// does, it holds a reference to this module of its own, so that a host that
// unloads the plug-in meanwhile cannot unmap the code under it: the module
// then unloads when the last reference goes, on the thread that lets it go.
//
// Takes one reference.  Only where the module is certainly loaded and not
// being unloaded: inside an export (the host holds its own reference) or on
// a thread that holds a reference already.  True on success; inside a
// program (the tests) there is nothing to hold, and it answers true.
bool AcquireModuleReference();
// Lets go of one reference that is certainly not the last one.
void ReleaseModuleReference();
// Lets go of one reference on a new thread that runs none of this module's
// code (the system's release function is its whole body), so that when it is
// the last one the unload runs there and nothing returns into unmapped code.
void ReleaseModuleReferenceElsewhere();

// Starts a thread of this module that may outlive the host's reference to it
// (the window thread).  The body returns how many references of its own the
// thread holds; they go as the thread's very last act: on Windows in one step
// with the thread's end (FreeLibraryAndExitThread), elsewhere on a thread of
// their own (ReleaseModuleReferenceElsewhere) while this one returns into the
// system, and the unload that this may start joins it.  Finished() turns
// true once the body has returned; Join waits until the thread runs no more
// code of this module (on Windows its end itself needs the loader, which an
// unloading module holds: Join there waits only for Finished()).  Null when
// the system could not start a thread.
std::unique_ptr<Thread> StartModuleThread(std::function<int()> body);

}  // namespace stats
