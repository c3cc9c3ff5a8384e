// Work shared out over threads: f(i) for every i below count, each index
// taken by the next thread free, the calling thread among them.  f must be
// safe to call from several threads at once; all calls have returned when
// ForEachIndex does.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace crosscheck {

template <typename F>
void ForEachIndex(size_t count, unsigned threads, F&& f) {
  std::atomic<size_t> next{0};
  const auto work = [&] {
    for (size_t i = next++; i < count; i = next++) f(i);
  };
  const unsigned n = static_cast<unsigned>(std::max<size_t>(1, std::min<size_t>(threads, count)));
  std::vector<std::jthread> helpers;
  for (unsigned t = 1; t < n; ++t) helpers.emplace_back(work);
  work();
}

}  // namespace crosscheck
