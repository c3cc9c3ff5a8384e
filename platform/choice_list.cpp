#include "platform/choice_list.h"

namespace stats {
namespace {

char Fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool BeginsWith(std::string_view entry, std::string_view text) {
  if (entry.size() < text.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (Fold(entry[i]) != Fold(text[i])) return false;
  }
  return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

ChoiceLists ParseChoiceLists(std::string_view text) {
  ChoiceLists lists;
  for (std::string_view line : Split(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> fields = Split(line, '|');
    const std::string_view id = fields.front();
    if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != id.npos) continue;
    std::vector<std::string>& entries = lists[std::stoi(std::string(id))];
    for (size_t i = 1; i < fields.size(); ++i) entries.emplace_back(fields[i]);
  }
  return lists;
}

int FirstEntryBeginningWith(const std::vector<std::string>& entries, std::string_view text) {
  if (text.empty()) return -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (BeginsWith(entries[i], text)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace stats
