// A QSO of a log as the host hands it to the plug-in: the log's own texts,
// the prefix worked out by the rules (never the PFX a logger wrote, so that
// the multipliers do not depend on which program wrote the file) and the
// call's country.  For the programs that feed the plug-in a whole log
// (stats-crosscheck, the test host's score scenario).
#pragma once

#include <string>
#include <string_view>

#include "cty.h"
#include "log.h"
#include "plugin/host_kit.h"
#include "wpx.h"

namespace replay {

// own_call stands in for a QSO that names no own call.
inline stats::host_args::HostQso ToHostQso(const LogQso& qso, const CountryFile& countries,
                                           std::string_view own_call = {}) {
  stats::host_args::HostQso host;
  host.own_call = qso.own_call.empty() ? std::string(own_call) : qso.own_call;
  host.call = qso.call;
  host.time = {qso.time.OleDays(), 0};
  host.frequency_hz = qso.frequency_hz;
  host.mode = qso.mode;
  host.rst_sent = qso.rst_sent;
  host.rst_received = qso.rst_received;
  host.exchange_sent = qso.exchange_sent;
  host.exchange_received = qso.exchange_received;
  host.prefix = WpxPrefix(qso.call, [&countries](std::string_view part) {
    return countries.IsListedPrefix(part);
  });
  host.country = countries.CountryPrefix(qso.call);
  host.band = qso.band;
  return host;
}

}  // namespace replay
