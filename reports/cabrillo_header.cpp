#include "reports/cabrillo_header.h"

#include "model/file_name.h"
#include "platform/override.h"
#include "reports/header_form.h"

namespace stats {
namespace {

constinit Override<HeaderForm, NativeHeaderForm> g_form;

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

HeaderForm& CurrentHeaderForm() { return g_form.Get(); }

HeaderForm* SetHeaderForm(HeaderForm* form) { return g_form.Set(form); }

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty() || from == to) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t start = 0;
  for (size_t hit = text.find(from); hit != std::string_view::npos;
       hit = text.find(from, start)) {
    out.append(text.substr(start, hit - start));
    out.append(to);
    start = hit + from.size();
  }
  out.append(text.substr(start));
  return out;
}

std::string LogBaseName(std::string_view own_call) {
  std::string base = ReplaceAll(ReplaceAll(own_call, "/", "_"), "\\", "_");
  size_t first = 0;
  size_t last = base.size();
  while (first < last && IsBlank(base[first])) ++first;
  while (last > first && IsBlank(base[last - 1])) --last;
  base = file_names::MapUnsafe(base.substr(first, last - first));
  if (base.empty()) return kDefaultLogBaseName;
  if (file_names::IsDeviceName(base)) base += '_';
  return base;
}

std::string DecodeSoapbox(std::string_view stored) {
  return ReplaceAll(ReplaceAll(stored, "<CR>", "\r"), "<LF>", "\n");
}

std::string EncodeSoapbox(std::string_view typed) {
  return ReplaceAll(ReplaceAll(typed, "\r", "<CR>"), "\n", "<LF>");
}

std::string PrintReadySoapbox(std::string_view stored) {
  return ReplaceAll(ReplaceAll(stored, "<CR>", "\r\nSOAPBOX: "), "<LF>", "");
}

std::string PrintReadyAddress(std::string_view stored) {
  return ReplaceAll(ReplaceAll(stored, "<CR>", "\r\nADDRESS: "), "<LF>", "");
}

CabrilloHeader LoadCabrilloHeader(const std::string& own_call, const CabrilloHeader& previous,
                                  const SettingsReader& read) {
  CabrilloHeader h;
  h.station_callsign = own_call;
  h.log_base_name = LogBaseName(own_call);
  h.operators = read("Operators", own_call);
  h.name = read("Name", "");
  h.address = read("Address", "");
  h.address_city = read("Address-City", "");
  h.address_state = read("Address-State", "");
  h.address_postalcode = read("Address-PostalCode", "");
  h.address_country = read("Address-Country", "");
  h.claimed_text = read("Claimed", "");
  h.contest = kCabrilloContest;
  h.category_operator = "SINGLE-OP";
  h.category_band = "ALL";
  h.category_mode = "BPSK63";
  h.category_power = "HIGH";
  h.category_transmitter = "ONE";
  h.category_station = "FIXED";
  h.category_assisted = "NON-ASSISTED";
  h.location = "DX";
  // The overlay is never stored: it is what the operator confirmed last in
  // this process.
  h.category_overlay = previous.category_overlay;
  h.email = read("Email", "");
  h.club = read("Club", "");
  h.soapbox = DecodeSoapbox(read("SoapBox", ""));
  return h;
}

CabrilloHeader AcceptCabrilloForm(const CabrilloHeader& loaded, const CabrilloHeader& form) {
  CabrilloHeader h = form;
  h.claimed_text = loaded.claimed_text;
  h.log_base_name = loaded.log_base_name;
  return h;
}

void SaveCabrilloHeader(const CabrilloHeader& h, const SettingsWriter& write) {
  // A refused write leaves the stored value as it was; the log is still
  // written from the record.
  write("Operators", h.operators);
  write("Name", h.name);
  write("Address", EncodeSoapbox(h.address));
  write("Address-City", h.address_city);
  write("Address-State", h.address_state);
  write("Address-PostalCode", h.address_postalcode);
  write("Address-Country", h.address_country);
  write("Contest", h.contest);
  write("Email", h.email);
  write("Club", h.club);
  write("Location", h.location);
  write("SoapBox", EncodeSoapbox(h.soapbox));
}

}  // namespace stats
