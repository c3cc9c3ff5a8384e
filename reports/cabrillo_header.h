// The Cabrillo header record and the header form through which the operator
// checks it before a Cabrillo log is written.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace stats {

struct CabrilloHeader {
  std::string station_callsign;
  std::string name;
  std::string address;
  std::string claimed_text;
  std::string contest;
  std::string email;
  std::string club;
  std::string soapbox;
  std::string operators;
  std::string category_operator;
  std::string category_assisted;
  std::string category_station;
  std::string category_band;
  std::string category_mode;
  std::string category_power;
  std::string category_transmitter;
  std::string address_city;
  std::string address_state;
  std::string address_postalcode;
  std::string address_country;
  std::string category_overlay;
  std::string location;
  std::string log_base_name;

  bool operator==(const CabrilloHeader&) const = default;
};

// -- The steps of the header's preparation, each a function of its inputs --
//    (the run's lifecycle strings them together around the form)

inline constexpr const char* kCabrilloContest = "UBA-PSK63-PREFIX";
inline constexpr const char* kDefaultLogBaseName = "QORT";

// Replaces every occurrence of from, left to right and without overlap; the
// search goes on behind each replacement, so inserted text is never searched
// again.  An empty from, or one equal to to, leaves the text as it is.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// The base of the Cabrillo file name: the call with "/" and "\" made "_" and
// white space dropped from both ends; "QORT" when nothing is left.  So that
// the name stays one file of the host's folder, every other byte that a
// Windows file name cannot hold (control bytes, ':', '*', '?', '"', '<',
// '>', '|') is made "_" as well, and a device's name ("CON", "COM1", ...)
// gets a "_" after it; ordinary calls keep their name byte for byte
// ("OT/ON4XX" gives "OT_ON4XX").
std::string LogBaseName(std::string_view own_call);

// The soapbox as the settings file keeps it (one line, "<CR>" and "<LF>"
// marks) and as the form's multi-line box shows it.
std::string DecodeSoapbox(std::string_view stored);
std::string EncodeSoapbox(std::string_view typed);

// The stored soapbox and address turned into header text: every "<CR>" mark
// starts a further "SOAPBOX: " or "ADDRESS: " line, "<LF>" marks go.
std::string PrintReadySoapbox(std::string_view stored);
std::string PrintReadyAddress(std::string_view stored);

// The settings file as the header sees it: a stored value by key (fallback
// when it is missing), and a value written by key.
using SettingsReader =
    std::function<std::string(const std::string& key, const std::string& fallback)>;
using SettingsWriter = std::function<void(const std::string& key, const std::string& value)>;

// The record as the form first shows it: station callsign and base name
// from own_call, the station details as read, the presets.  The category
// overlay is kept from previous.
CabrilloHeader LoadCabrilloHeader(const std::string& own_call, const CabrilloHeader& previous,
                                  const SettingsReader& read);

// The record after the operator confirmed the form: the form's fields taken
// over, except the claimed text and the base name, which stay as loaded.
CabrilloHeader AcceptCabrilloForm(const CabrilloHeader& loaded, const CabrilloHeader& form);

// Writes the station details of a confirmed record, the soapbox and address
// in their stored form.
void SaveCabrilloHeader(const CabrilloHeader& confirmed, const SettingsWriter& write);

}  // namespace stats
