// The pure parts of the live lookup: what the refresh computes from the
// host's entry line and frequency and from the contest data, and the texts
// it shows.  No window is touched here.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/contest_constants.h"
#include "model/store.h"
#include "ui/info_row.h"
#include "resources/section_codes.h"

namespace stats::ui {

// The column text of an info row with no QSO on its band.
inline constexpr const char* kNoQso = "   -";

// Band index of a frequency in Hz by its whole megahertz (truncated toward
// zero): 1 -> 0 (160m), 3 -> 1, 7 -> 2, 14 -> 3, 21 -> 4, 28 -> 5; any other
// value, also a frequency that is no number, gives -1.
int BandIndexOfFrequency(double hz);

// The band text of a band index; "-" for -1.
std::string BandText(int band_index);

// Whether the frequency has moved far enough from the last one at which
// "<SP1>" was sent to send it again: more than 300 Hz.
bool FrequencyMoved(double hz, double last_command_hz);

// Columns 2 to 4 of every row become "   -"; then, for a non-empty call,
// each row shows mode, time ("%H:%M") and received exchange of the last
// stored QSO with exactly this call on the row's band, whatever its flags.
void FillInfoRows(const QsoStore& store, const std::string& call,
                  std::array<InfoRow, kBandCount>& rows);

// The section flags of the grid: flag k is 1 when one of the first n
// entries equals section code k exactly.
std::array<int, kGridSections.size()> SectionFlags(const std::vector<std::string>& worked,
                                                   size_t n);

// Window texts, in English or in Russian (UTF-8).  year is the contest
// year, call and band are host texts already made UTF-8.
struct Texts {
  bool russian = false;
  std::string year;

  std::string SetupTitle() const;
  std::string PreviousQsoTitle(const std::string& call) const;
  std::string PrefixTitle(const std::string& band) const;
  std::string SectionTitle(int count, const std::string& band) const;
};

// Russian labels of the setup window (the English ones are the template's).
inline constexpr const char* kRussianViewLabel = "Показывать";
inline constexpr const char* kRussianSectionOption = "ON секции";
inline constexpr const char* kRussianPrefixOption = "Префиксы";
inline constexpr const char* kRussianPreviousOption = "Предыдущие QSO";

}  // namespace stats::ui
