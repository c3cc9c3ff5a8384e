// The files stats-crosscheck writes, each made whole as text first and
// then put in place through a temporary file and a rename.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "logs.h"
#include "matching.h"

namespace crosscheck {

// verdicts.tsv: a header line, then one row per QSO line of every log used,
// ordered by log name and line.
std::string VerdictsTable(const std::vector<StationLog>& logs, const CheckResult& result);
// The same in parts, to be made side by side: the header line, the logs in
// the table's order, and the rows of one log.
std::string VerdictsHeader();
std::vector<size_t> VerdictsOrder(const std::vector<StationLog>& logs, const CheckResult& result);
std::string VerdictRows(const std::vector<StationLog>& logs, const CheckResult& result, size_t log);

// Writes the file beside its place and renames it there; false with *error
// set ("cannot write PATH: reason") when that fails.  The old file, if any,
// stays whole until the new one is.
bool ReplaceFile(const std::filesystem::path& path, const std::string& contents, std::string* error);
// The same for a file written as parts one after another.
bool ReplaceFile(const std::filesystem::path& path, const std::vector<std::string>& parts, std::string* error);

}  // namespace crosscheck
