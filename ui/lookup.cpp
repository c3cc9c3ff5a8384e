#include "ui/lookup.h"

#include <cmath>
#include <optional>

#include "model/oledate.h"

namespace stats::ui {

int BandIndexOfFrequency(double hz) {
  const double mhz = std::trunc(hz / 1000000.0);  // NaN stays NaN and matches nothing
  constexpr double kWholeMhz[kBandCount] = {1, 3, 7, 14, 21, 28};
  for (int k = 0; k < kBandCount; ++k) {
    if (mhz == kWholeMhz[k]) return k;
  }
  return -1;
}

std::string BandText(int band_index) {
  if (band_index < 0 || band_index >= kBandCount) return "-";
  return AcceptedBands().At(static_cast<size_t>(band_index));
}

bool FrequencyMoved(double hz, double last_command_hz) {
  return std::fabs(hz - last_command_hz) > 300.0;
}

void FillInfoRows(const QsoStore& store, const std::string& call,
                  std::array<InfoRow, kBandCount>& rows) {
  for (InfoRow& row : rows) {
    row[1] = kNoQso;
    row[2] = kNoQso;
    row[3] = kNoQso;
  }
  if (call.empty()) return;
  for (size_t d = 0; d < rows.size(); ++d) {
    // The latest QSO of the call on the band, looked up without a list:
    // this runs under the contest lock that the host's checks wait for.
    const std::optional<size_t> latest = store.LatestOf(call, AcceptedBands().At(d));
    if (!latest) continue;
    const CInfo& qso = store.At(*latest);
    rows[d][1] = qso.mode;
    rows[d][2] = FormatDate(qso.time, "%H:%M");
    rows[d][3] = qso.exchange_received;
  }
}

std::array<int, kGridSections.size()> SectionFlags(const std::vector<std::string>& worked,
                                                   size_t n) {
  std::array<int, kGridSections.size()> flags{};
  for (size_t i = 0; i < n && i < worked.size(); ++i) {
    for (size_t k = 0; k < kGridSections.size(); ++k) {
      if (worked[i] == kGridSections[k]) flags[k] = 1;
    }
  }
  return flags;
}

std::string Texts::SetupTitle() const {
  return (russian ? "Установки UBA-PSK63-PFX " : "Setup UBA-PSK63-PFX ") + year;
}

std::string Texts::PreviousQsoTitle(const std::string& call) const {
  const std::string head = "UBA-PSK63-PFX " + year;
  if (call.empty()) return head + (russian ? " Предыдущие qso " : " Previous QSO ");
  return head + (russian ? " проведено с " : " worked with ") + call;
}

std::string Texts::PrefixTitle(const std::string& band) const {
  return "UBA-PSK63-PFX " + year + (russian ? " Сработаны префиксы на " : " Prefix worked on ") +
         band;
}

std::string Texts::SectionTitle(int count, const std::string& band) const {
  const std::string n = std::to_string(count);
  if (russian) {
    return "UBA-PSK63-PFX " + year + " Сработано UBA секций " + n + " из 85 на " + band + " ";
  }
  return "UBA-PSK63-PFX " + year + " UBA Section worked " + n + " from 85 on " + band + " ";
}

}  // namespace stats::ui
