#include "platform/profile_format.h"

#include <vector>

#include "platform/platform.h"

namespace stats::profile {
namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The section name of a "[name]" line.
std::optional<std::string> SectionOf(const std::string& line) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

// The key of a "key=value" line, and its value.
bool KeyValueOf(const std::string& line, std::string* key, std::string* value) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  *key = Trim(line.substr(0, eq));
  *value = Trim(line.substr(eq + 1));
  return true;
}

std::string Unquote(const std::string& v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

}  // namespace

std::optional<std::string> Lookup(const std::string& contents, const std::string& section,
                                  const std::string& key) {
  bool inside = false;
  for (const std::string& line : SplitLines(contents)) {
    if (auto name = SectionOf(line)) {
      inside = SameName(*name, section);
      continue;
    }
    std::string k, v;
    if (inside && KeyValueOf(line, &k, &v) && SameName(k, key)) return Unquote(v);
  }
  return std::nullopt;
}

std::string Assign(const std::string& contents, const std::string& section,
                   const std::string& key, const std::string& value) {
  std::vector<std::string> lines = SplitLines(contents);
  const std::string entry = key + "=" + value;
  bool inside = false;
  std::optional<size_t> section_end;  // index after the section's last entry
  bool done = false;
  for (size_t i = 0; i < lines.size() && !done; ++i) {
    if (auto name = SectionOf(lines[i])) {
      inside = SameName(*name, section);
      if (inside) section_end = i + 1;
      continue;
    }
    if (!inside) continue;
    std::string k, v;
    if (KeyValueOf(lines[i], &k, &v) && SameName(k, key)) {
      lines[i] = entry;
      done = true;
    } else if (!Trim(lines[i]).empty()) {
      section_end = i + 1;
    }
  }
  if (!done) {
    if (section_end) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*section_end), entry);
    } else {
      lines.push_back("[" + section + "]");
      lines.push_back(entry);
    }
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

}  // namespace stats::profile
