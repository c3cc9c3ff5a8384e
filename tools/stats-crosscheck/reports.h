// The reports of a check: one UBN report per entrant (ubn/<CALL>.txt) and
// the results by category (results.txt, results.csv, results.html).
#pragma once

#include <string>
#include <vector>

#include "contest.h"
#include "logs.h"
#include "matching.h"
#include "score.h"

namespace crosscheck {

// One used log with its scores.
struct Entrant {
  size_t log = 0;  // index into the logs
  EntrantScore score;
};

// The file name of an entrant's report: the call with '/' and '\' made '_'.
std::string UbnFileName(const std::string& call);

// The UBN report: the claimed, raw and checked scores, every line that
// lost credit with the partner's line, the reason and the candidates, what
// each cost (adding up to raw minus checked), then the lines that stand
// with a remark.
std::string UbnReport(const ContestDefinition& contest, const std::vector<StationLog>& logs,
                      const CheckResult& result, const Entrant& entrant);

// The results, per category (as the logs name it), by checked score.
struct Results {
  std::string text, csv, html;
};
Results ResultTables(const ContestDefinition& contest, const std::vector<StationLog>& logs,
                     const std::vector<Entrant>& entrants);

}  // namespace crosscheck
