// The Cabrillo log that the plug-in writes for a run, as the tests expect it
// byte for byte: its header lines in their order, the fixed values of this
// contest, the QSO lines given and the end line.  Used both by the unit
// tests (tests/reports) and by the Windows test host's Cabrillo scenario
// (tools/testhost), so that both check the one text.  Header-only: the test
// host links none of the tests' code.
#pragma once

#include <string>
#include <vector>

namespace stats::testing {

// What varies from run to run; the defaults are those of an empty form.
struct ExpectedCabrillo {
  std::string callsign;
  std::string category_overlay;
  std::string claimed_score;
  std::string club;
  std::string created_by;
  std::string name;
  std::vector<std::string> address{""};  // one ADDRESS line each
  std::string address_city;
  std::string address_state;
  std::string address_postal_code;
  std::string address_country;
  std::string operators;
  std::string email;
  std::vector<std::string> soapbox{""};  // one SOAPBOX line each
  std::vector<std::string> qsos;         // the QSO lines, without their line ends
};

inline std::string ExpectedCabrilloLog(const ExpectedCabrillo& e) {
  std::string log;
  const auto line = [&log](const char* key, const std::string& value) {
    log.append(key).append(": ").append(value).append("\r\n");
  };
  line("START-OF-LOG", "3.0");
  line("ARRL-SECTION", "DX");
  line("CALLSIGN", e.callsign);
  line("CONTEST", "UBA-PSK63-PREFIX");
  line("CATEGORY-OPERATOR", "SINGLE-OP");
  line("CATEGORY-ASSISTED", "NON-ASSISTED");
  line("CATEGORY-BAND", "ALL");
  line("CATEGORY-MODE", "BPSK63");
  line("CATEGORY-POWER", "HIGH");
  line("CATEGORY-STATION", "FIXED ");
  line("CATEGORY-TRANSMITTER", "ONE");
  line("CATEGORY-OVERLAY", e.category_overlay);
  line("CLAIMED-SCORE", e.claimed_score);
  line("CLUB", e.club);
  line("LOCATION", "DX");
  line("CREATED-BY", e.created_by);
  line("NAME", e.name);
  for (const std::string& address : e.address) line("ADDRESS", address);
  line("ADDRESS-CITY", e.address_city);
  line("ADDRESS-STATE", e.address_state);
  line("ADDRESS-POSTALCODE", e.address_postal_code);
  line("ADDRESS-COUNTRY", e.address_country);
  line("OPERATORS", e.operators);
  line("EMAIL", e.email);
  for (const std::string& soapbox : e.soapbox) line("SOAPBOX", soapbox);
  for (const std::string& qso : e.qsos) log.append(qso).append("\r\n");
  log.append("END-OF-LOG:\r\n");
  return log;
}

}  // namespace stats::testing
