#include "model/settings.h"

#include <atomic>
#include <climits>

#include "platform/platform.h"

namespace stats::settings {
namespace {

// Read and written by whichever thread writes a key.
std::atomic<FailureSink> failure_sink{nullptr};
std::atomic<FailureSink> read_failure_sink{nullptr};

}  // namespace

FailureSink SetFailureSink(FailureSink sink) { return failure_sink.exchange(sink); }

FailureSink SetReadFailureSink(FailureSink sink) { return read_failure_sink.exchange(sink); }

std::string Read(const std::string& key, const std::string& fallback, std::string* error) {
  std::string reason;
  if (auto value = Os().ReadProfileString(kFile, kSection, key, &reason)) return *value;
  if (!reason.empty()) {
    if (FailureSink sink = read_failure_sink.load(); sink != nullptr) sink(kFile, reason);
    if (error != nullptr) *error = reason;
  }
  return fallback;
}

int ReadInt(const std::string& key) { return ToInt(Read(key)); }

std::string OneLine(const std::string& value) {
  std::string line;
  line.reserve(value.size());
  for (char c : value) {
    if (c != '\r' && c != '\n') line += c;
  }
  return line;
}

bool Write(const std::string& key, const std::string& value) {
  std::string reason;
  if (Os().WriteProfileString(kFile, kSection, key, OneLine(value), &reason)) return true;
  if (FailureSink sink = failure_sink.load(); sink != nullptr) sink(kFile, reason);
  return false;
}

bool WriteInt(const std::string& key, int value) { return Write(key, std::to_string(value)); }

int ToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace stats::settings
