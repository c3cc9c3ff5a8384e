#include "reports/result.h"

#include "platform/platform.h"
#include "plugin/contest.h"
#include "plugin/lifecycle.h"
#include "plugin/notices.h"
#include "plugin/settings.h"
#include "reports/cabrillo_writer.h"

namespace stats {
namespace {

using std::to_string;

// The texts are inserted as they stand: band texts, dates and the call get
// no HTML escaping, the host shows them as it sent them.
std::string HtmlCell(const char* tag, const std::string& value) {
  return std::string("<") + tag + "><center>" + value + "</center></" + tag + ">";
}

std::string HtmlRow(const std::string& band, int qsos, int points, int prefixes, int sections) {
  return "<tr>" + HtmlCell("th", band) + HtmlCell("td", to_string(qsos)) +
         HtmlCell("td", to_string(points)) + HtmlCell("td", to_string(prefixes)) +
         HtmlCell("td", to_string(sections)) + "</tr>";
}

std::string HtmlCountRow(const std::string& label, int count) {
  return "<tr>" + HtmlCell("th", label) + HtmlCell("td", to_string(count)) +
         "<td colspan=5> </td></tr>";
}

std::string TextRow(const std::string& band, int qsos, int points, int prefixes, int sections) {
  return band + "\t " + to_string(qsos) + "\t " + to_string(points) + "\t    " +
         to_string(prefixes) + "\t       " + to_string(sections) + "\r\n";
}

}  // namespace

std::string FormatResultText(const ResultHeading& h, const ScoreSummary& s) {
  std::string out = std::string("\t") + kSetName + " " + h.start_date + "-" + h.end_date +
                    " \r\n\t     Contestant: " + h.contestant +
                    "\r\nBand\tQSOs\tPoints\tNew Prefix  UBA Sec\r\n";
  for (const BandRow& r : s.rows) {
    out += TextRow(r.band, r.qsos, r.points, r.new_prefixes, r.uba_sections);
  }
  out += TextRow("Total", s.total_qsos, s.total_points, s.total_prefixes, s.total_sections);
  out += "Dupe\t " + to_string(s.dupes) + "\r\n";
  out += "Bad QSO\t " + to_string(s.bad_qsos) + "\r\n";
  out += "Score = " + to_string(s.total_points) + " * (" + to_string(s.total_prefixes) + " + " +
         to_string(s.total_sections) + ")  = " + to_string(s.score) + " \r\n";
  return out;
}

std::string FormatResultHtml(const ResultHeading& h, const ScoreSummary& s) {
  std::string out =
      "<html><head><style>table{ width:100%; }table, th, td{ border: 1px solid black; "
      "border-collapse: collapse; }th, td{ padding: 1px; text-align: middle; }th,td{ "
      "background-color: #fffac6; color: black; }</style></head><body>";
  out += std::string("<center><b>   ") + kSetName + "  " + h.start_date + "-" + h.end_date +
         "</b></center><center>Contestant:  <b>" + h.contestant + "</center></b><table>";
  out += "<tr>";
  for (const char* title : {"Band", "QSOs", "Points", "New Prefix", "UBA Sec"}) {
    out += HtmlCell("th", title);
  }
  out += "</tr>";
  for (const BandRow& r : s.rows) {
    out += HtmlRow(r.band, r.qsos, r.points, r.new_prefixes, r.uba_sections);
  }
  out += HtmlRow("Total", s.total_qsos, s.total_points, s.total_prefixes, s.total_sections);
  out += HtmlCountRow("Dupe", s.dupes);
  out += HtmlCountRow("Bad QSO", s.bad_qsos);
  out += "<tr><th>Score:</th><td colspan=6><center>" + to_string(s.total_points) + " * (" +
         to_string(s.total_prefixes) + " + " + to_string(s.total_sections) +
         ") = " + to_string(s.score) + "</center></td></tr>";
  out += "</table></body></html>";
  return out;
}

const char* RunResultRequest(std::unique_lock<std::mutex>& lock) {
  ContestState& state = Contest();
  state.result_text.clear();
  const ResultHeading heading{state.start_date_text, state.end_date_text, state.own_call};
  const ScoreSummary summary = ComputeScore(state);
  state.result_text = state.html_result ? FormatResultHtml(heading, summary)
                                        : FormatResultText(heading, summary);
  // A refused write changes nothing else.
  settings::WriteInt("Claimed", summary.score);

  std::string notice;
  if (state.cabrillo_requested != 0) {
    const CabrilloLog log =
        BuildCabrilloLog(state.cabrillo, state.claimed_score, state.host_version, state.store);
    // The file is written from this text, and the box may stay open for
    // long: the window thread goes on meanwhile.
    lock.unlock();
    notice = WriteCabrilloLog(log);
  } else {
    lock.unlock();
  }
  // Files that could not be written in this run are told in the same box.
  const std::string failed = notices::TakePending();
  if (!failed.empty()) notice = notice.empty() ? failed : failed + "\r\n" + notice;
  if (!notice.empty()) {
    Os().ShowMessage("Output", notice, kMbOk | kMbIconInformation, MessageOwner::kActiveWindow);
  }
  lock.lock();
  return state.result_text.c_str();
}

}  // namespace stats
