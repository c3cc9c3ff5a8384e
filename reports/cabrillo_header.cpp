#include "reports/cabrillo_header.h"

#include <atomic>
#include <mutex>

#include "plugin/contest.h"
#include "plugin/settings.h"
#include "reports/header_form.h"

namespace stats {
namespace {

std::atomic<HeaderForm*> g_form_override{nullptr};

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

HeaderForm& CurrentHeaderForm() {
  HeaderForm* form = g_form_override.load(std::memory_order_acquire);
  return form != nullptr ? *form : NativeHeaderForm();
}

HeaderForm* SetHeaderForm(HeaderForm* form) {
  return g_form_override.exchange(form, std::memory_order_acq_rel);
}

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
  base = base.substr(first, last - first);
  return base.empty() ? kDefaultLogBaseName : base;
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

CabrilloHeader LoadCabrilloHeader(const std::string& own_call, const CabrilloHeader& previous) {
  CabrilloHeader h;
  h.station_callsign = own_call;
  h.log_base_name = LogBaseName(own_call);
  h.operators = settings::Read("Operators", own_call);
  h.name = settings::Read("Name");
  h.address = settings::Read("Address");
  h.address_city = settings::Read("Address-City");
  h.address_state = settings::Read("Address-State");
  h.address_postalcode = settings::Read("Address-PostalCode");
  h.address_country = settings::Read("Address-Country");
  h.claimed_text = settings::Read("Claimed");
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
  h.email = settings::Read("Email");
  h.club = settings::Read("Club");
  h.soapbox = DecodeSoapbox(settings::Read("SoapBox"));
  return h;
}

CabrilloHeader AcceptCabrilloForm(const CabrilloHeader& loaded, const CabrilloHeader& form) {
  CabrilloHeader h = form;
  h.claimed_text = loaded.claimed_text;
  h.log_base_name = loaded.log_base_name;
  return h;
}

void SaveCabrilloHeader(const CabrilloHeader& h) {
  // A refused write leaves the stored value as it was; the log is still
  // written from the record.
  settings::Write("Operators", h.operators);
  settings::Write("Name", h.name);
  settings::Write("Address", EncodeSoapbox(h.address));
  settings::Write("Address-City", h.address_city);
  settings::Write("Address-State", h.address_state);
  settings::Write("Address-PostalCode", h.address_postalcode);
  settings::Write("Address-Country", h.address_country);
  settings::Write("Contest", h.contest);
  settings::Write("Email", h.email);
  settings::Write("Club", h.club);
  settings::Write("Location", h.location);
  settings::Write("SoapBox", EncodeSoapbox(h.soapbox));
}

bool PrepareCabrilloHeader(const std::string& own_call) {
  CabrilloHeader previous;
  {
    std::lock_guard lock(ContestLock());
    previous = Contest().cabrillo;
  }
  const CabrilloHeader loaded = LoadCabrilloHeader(own_call, previous);
  {
    std::lock_guard lock(ContestLock());
    Contest().cabrillo = loaded;
  }

  // The form is modal and may stay open for long: no lock while it runs.
  CabrilloHeader form = loaded;
  if (!CurrentHeaderForm().Run(form)) {
    std::lock_guard lock(ContestLock());
    Contest().cabrillo_requested = 0;
    return false;
  }

  CabrilloHeader confirmed = AcceptCabrilloForm(loaded, form);
  SaveCabrilloHeader(confirmed);
  confirmed.soapbox = PrintReadySoapbox(EncodeSoapbox(confirmed.soapbox));
  confirmed.address = PrintReadyAddress(confirmed.address);

  std::lock_guard lock(ContestLock());
  ContestState& state = Contest();
  state.cabrillo = std::move(confirmed);
  return true;
}

}  // namespace stats
