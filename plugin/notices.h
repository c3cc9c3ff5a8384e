// Files that could not be written or read, told to the operator.
//
// A file that fails (the bad-QSO journal, the settings file) is noted here
// with the system's reason by whichever thread met the failure; the host's
// thread shows what is pending in the "Output" message box once it holds no
// lock.  Each file is told at most once per contest run, however often its
// writes or reads fail, so that a full disk does not bury the operator in
// boxes.
#pragma once

#include <string>

namespace stats::notices {

// Notes that file could not be written, for the reason given.  Ignored when
// the file was already noted in this contest run.
void FileNotWritten(const std::string& file, const std::string& reason);

// Notes that file is there but could not be read, for the reason given;
// told once per run like a file not written (a file that cannot be read is
// not written either, and that is not told again).
void FileNotRead(const std::string& file, const std::string& reason);

// Notes a line of its own for the operator (pending like the others).
void Note(const std::string& text);

// A new contest run: every file may be told once more.
void NewRun();

// The pending notices, one line each ("" when none), and forgets them.
std::string TakePending();

// Shows the pending notices, if any, in the "Output" message box.  Called
// from the exports without the contest-state lock.
void ShowPending();

}  // namespace stats::notices
