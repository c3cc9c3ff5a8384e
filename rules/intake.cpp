#include "rules/intake.h"

#include <algorithm>

#include "rules/exchange.h"

namespace stats {
namespace {

constexpr const char* kWrongMode = "   WRONG MODE !!!";
constexpr const char* kNoRxNumber = "   NO RX NUMBER !!!";
constexpr const char* kWrongBand = "   WRONG BAND !!!";

// The section a Belgian station sent: the last three characters of the
// exchange, in upper case, without surrounding white space.
std::string SectionOf(std::string_view exchange) {
  std::string s(exchange.size() > 3 ? exchange.substr(exchange.size() - 3) : exchange);
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (!s.empty() && blank(s.back())) s.pop_back();
  size_t first = 0;
  while (first < s.size() && blank(s[first])) ++first;
  return s.substr(first);
}

JournalOwner RejectedOwner(const QsoArgs& qso) {
  JournalOwner owner;
  owner.call = qso.call;
  owner.band = qso.band;
  owner.time = qso.time;
  return owner;
}

JournalOwner StoredOwner(uint64_t serial) {
  JournalOwner owner;
  owner.stored = true;
  owner.serial = serial;
  return owner;
}

}  // namespace

std::string JournalLineText(const QsoArgs& qso, std::string_view reason) {
  constexpr std::string_view sep = "  ";
  std::string line = "QSO:  ";
  line.append(std::to_string(qso.frequency_hz / 1000u)).append(sep).append(qso.mode).append(sep);
  line.append(FormatDate(qso.time, kQsoTimeFormat)).append(sep).append(qso.own_call).append(sep);
  line.append(qso.rst_sent).append(sep).append(qso.exchange_sent).append(sep).append(qso.call);
  line.append(sep).append(qso.rst_received).append(sep).append(qso.exchange_received);
  return line.append(reason);
}

int AddQso(ContestData& state, const QsoArgs& qso) {
  // The call's and the prefix's places in the indexes are read while the
  // record is made.
  state.store.Prefetch(qso.call);
  state.store.PrefetchPrefix(qso.band, qso.prefix);
  // The band counts as seen before any check, so a rejected QSO's band gets
  // a row of its own in the result.
  AddIfAbsent(state.bands_seen, qso.band);

  auto reject = [&](const char* reason) {
    state.journal.Append({JournalLineText(qso, reason), false, RejectedOwner(qso)});
    return 0;
  };
  if (!AcceptedModes().Contains(qso.mode)) return reject(kWrongMode);
  if (qso.exchange_received.empty() || qso.exchange_sent.empty()) return reject(kNoRxNumber);
  if (!AcceptedBands().Contains(qso.band)) return reject(kWrongBand);

  CInfo record;
  record.call = qso.call;
  record.country = qso.country;
  record.prefix = qso.prefix;
  record.extra = qso.extra;
  record.band = qso.band;
  record.mode = qso.mode;
  record.rst_received = qso.rst_received;
  record.rst_sent = qso.rst_sent;
  record.exchange_received = qso.exchange_received;
  record.exchange_sent = state.own_country == "ON" ? state.on_section : qso.exchange_sent;
  record.frequency_khz = static_cast<int32_t>(qso.frequency_hz / 1000u);
  record.time = qso.time;

  const uint64_t serial = state.store.NextSerial();
  if (qso.country == "ON") {
    const std::string section = SectionOf(qso.exchange_received);
    if (IsUbaSection(section)) {
      record.uba_section = section;
    } else {
      state.journal.Append(
          {JournalLineText(qso, "  " + section + "  UBA section is not acceptable !!!"), false,
           StoredOwner(serial)});
      record.not_counted = record.bad = record.bad_section = 1;
    }
  }

  // Every earlier QSO with this call on this band is reported once.
  const size_t earlier = state.store.CountOf(qso.call, qso.band);
  for (size_t i = 0; i < earlier; ++i) {
    state.journal.Append({JournalLineText(qso, kDupeReason), true, StoredOwner(serial)});
  }
  if (earlier > 0) record.not_counted = record.dupe = 1;

  state.store.Append(std::move(record));
  return 1;
}

void RemoveQso(ContestData& state, const QsoArgs& qso) {
  Journal& journal = state.journal;
  if (auto removed = state.store.FindAndRemove(qso.call, qso.band, qso.time)) {
    journal.RemoveIf([&](const JournalLine& line) {
      return line.owner.stored && line.owner.serial == removed->serial;
    });
    // The later QSOs of this call and band each repeat one QSO fewer: one of
    // their duplicate lines goes, and the first of them is no longer a dupe.
    const std::vector<size_t> group = state.store.IndexesOf(qso.call, qso.band);
    for (size_t k = 0; k < group.size(); ++k) {
      if (group[k] < removed->index) continue;
      CInfo& record = state.store.At(group[k]);
      const uint64_t serial = state.store.SerialAt(group[k]);
      const auto& lines = journal.Lines();
      for (size_t i = lines.size(); i-- > 0;) {
        if (lines[i].dupe && lines[i].owner.stored && lines[i].owner.serial == serial) {
          journal.EraseAt(i);
          break;
        }
      }
      record.dupe = k > 0 ? 1 : 0;
      record.not_counted = record.dupe || record.bad_section ? 1 : 0;
    }
  } else {
    // No stored QSO: the host deletes a QSO that intake rejected.
    const auto& lines = journal.Lines();
    for (size_t i = 0; i < lines.size(); ++i) {
      const JournalOwner& owner = lines[i].owner;
      if (!owner.stored && owner.call == qso.call && owner.band == qso.band &&
          SameTime(owner.time, qso.time)) {
        journal.EraseAt(i);
        break;
      }
    }
  }
  journal.Rewrite();
}

CallStatus CheckCall(const QsoStore& store, const CallCheckArgs& args) {
  if (args.band && args.band2 && !EqualsNoCase(*args.band, *args.band2)) {
    return kCallBandsDiffer;
  }
  if (args.country.empty()) return kCallKnownPrefix;
  const std::string_view band = args.band.value_or(std::string_view());
  // Both indexes are read at once: a call never worked needs both.
  store.Prefetch(args.call);
  store.PrefetchPrefix(band, args.prefix);
  if (store.HasCallOnBand(args.call, band)) return kCallDupe;
  if (store.HasPrefixOnBand(band, args.prefix)) return kCallKnownPrefix;
  return kCallNewPrefix;
}

}  // namespace stats
