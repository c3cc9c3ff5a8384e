// The bad-QSO journal's file name, made here and nowhere else: the plug-in
// names the journal of a run with it, and stats-replay, which links none of
// the plug-in's code, includes this header to find the journal the plug-in
// wrote.  Header-only for that reason.
#pragma once

#include <string>
#include <string_view>

namespace stats {

// How the day the contest ends appears in the name (the format of
// FormatDate): "07_01_2017".
inline constexpr std::string_view kJournalDayFormat = "%d_%m_%Y";

// "BadQSO_RazadUREVARERE63_<day>.txt", where day is the contest's last day in
// kJournalDayFormat, or whatever text the plug-in's date gives for a date
// that is none.
inline std::string JournalFileName(std::string_view day) {
  std::string name = "BadQSO_RazadUREVARERE63_";
  name.append(day);
  name.append(".txt");
  return name;
}

// A calendar day in kJournalDayFormat.
inline std::string JournalDay(int day, int month, int year) {
  const auto two_digits = [](int n) {
    return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
  };
  return two_digits(day) + "_" + two_digits(month) + "_" + std::to_string(year);
}

}  // namespace stats
