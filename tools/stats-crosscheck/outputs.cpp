#include "outputs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "host_rules.h"
#include "period.h"

namespace crosscheck {
namespace {

// A text in a column: no tab or line end can break the table.
std::string Cell(std::string_view text) {
  std::string cell;
  for (const char c : replay::Printable(text)) cell.push_back(c == '\t' ? ' ' : c);
  return cell;
}

std::string LoggedTime(const replay::QsoTime& t) {
  std::string text = replay::DateText(t) + " ";
  text.push_back(static_cast<char>('0' + t.hour / 10));
  text.push_back(static_cast<char>('0' + t.hour % 10));
  text.push_back(static_cast<char>('0' + t.minute / 10));
  text.push_back(static_cast<char>('0' + t.minute % 10));
  return text;
}

}  // namespace

std::string VerdictsHeader() {
  return "log\tline\tcall\tband\ttime\tverdict\tcounted\tpartner_log\tpartner_line\tdetail\n";
}

std::vector<size_t> VerdictsOrder(const std::vector<StationLog>& logs, const CheckResult& result) {
  std::vector<size_t> order;
  for (size_t l = 0; l < logs.size(); ++l) {
    if (result.logs[l].used) order.push_back(l);
  }
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return std::tie(logs[a].name, logs[a].path) < std::tie(logs[b].name, logs[b].path);
  });
  return order;
}

std::string VerdictRows(const std::vector<StationLog>& logs, const CheckResult& result, size_t l) {
  const StationLog& log = logs[l];
  std::vector<size_t> rows(log.qsos.size());
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = i;
  std::stable_sort(rows.begin(), rows.end(), [&](size_t a, size_t b) { return log.qsos[a].line < log.qsos[b].line; });
  const std::string name = Cell(log.name);
  std::string text;
  for (const size_t i : rows) {
    const Qso& q = log.qsos[i];
    const Finding& f = result.logs[l].findings[i];
    text += name;
    text += '\t';
    text += std::to_string(q.line);
    text += '\t';
    text += Cell(q.call);
    text += '\t';
    text += Cell(q.band_text);
    text += '\t';
    text += LoggedTime(q.time);
    text += '\t';
    text += VerdictName(f.verdict);
    text += f.counted ? "\t1\t" : "\t0\t";
    if (f.partner_log >= 0) {
      text += Cell(logs[f.partner_log].name);
      text += '\t';
      text += std::to_string(logs[f.partner_log].qsos[f.partner_qso].line);
    } else {
      text += '\t';
    }
    text += '\t';
    text += Cell(f.detail);
    text += '\n';
  }
  return text;
}

std::string VerdictsTable(const std::vector<StationLog>& logs, const CheckResult& result) {
  std::string text = VerdictsHeader();
  for (const size_t l : VerdictsOrder(logs, result)) text += VerdictRows(logs, result, l);
  return text;
}

namespace {

bool ReplaceWith(const std::filesystem::path& path, const std::vector<std::string_view>& parts, std::string* error) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    for (const std::string_view part : parts) {
      if (out) out.write(part.data(), static_cast<std::streamsize>(part.size()));
    }
    if (out) out.close();
    if (!out) {
      const int code = errno;
      *error = "cannot write " + path.string() + ": " + (code != 0 ? std::strerror(code) : "write failed");
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    *error = "cannot write " + path.string() + ": " + ec.message();
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace

bool ReplaceFile(const std::filesystem::path& path, const std::string& contents, std::string* error) {
  return ReplaceWith(path, {contents}, error);
}

bool ReplaceFile(const std::filesystem::path& path, const std::vector<std::string>& parts, std::string* error) {
  return ReplaceWith(path, std::vector<std::string_view>(parts.begin(), parts.end()), error);
}

}  // namespace crosscheck
