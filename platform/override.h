// The one way a seam of the plug-in (the platform, the window system, the
// host's automation client, the Cabrillo header form, the windows' link to
// the contest) is replaced, for tests or by the boundary.
//
// A seam has a native object, the one the build provides, and at most one
// override installed over it.  Every seam follows one convention:
//
//   Get()      the override when one is installed, else the native object;
//   Set(p)     installs p; null, or the native object itself, removes the
//              override.  Returns the object that was in use until then -
//              never null: the native object when there was no override -
//              so that Set(Set(p)) leaves the seam exactly as it was.
//
// Both are safe from any thread: a thread that calls Get() sees either the
// old or the new object, whole.  The seam object is constant-initialised,
// so it may be used while other static objects are still being built.
#pragma once

#include <atomic>

namespace stats {

template <typename T, T& (*Native)()>
class Override {
 public:
  constexpr Override() = default;
  Override(const Override&) = delete;
  Override& operator=(const Override&) = delete;

  T& Get() const {
    T* installed = installed_.load(std::memory_order_acquire);
    return installed != nullptr ? *installed : Native();
  }

  T* Set(T* replacement) {
    if (replacement == &Native()) replacement = nullptr;
    T* previous = installed_.exchange(replacement, std::memory_order_acq_rel);
    return previous != nullptr ? previous : &Native();
  }

 private:
  std::atomic<T*> installed_{nullptr};
};

}  // namespace stats
