// The Cabrillo header record and the header form through which the operator
// checks it before a Cabrillo log is written.
#pragma once

#include <string>
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
};

struct ContestState;

// Prepares the header record for own_call and runs the header form; true
// when the operator confirmed it.  A cancelled form clears the Cabrillo
// request flag.  Runs without the contest-state lock held (the form is
// modal), and takes it itself while it touches the state.
bool PrepareCabrilloHeader(const std::string& own_call);

}  // namespace stats
