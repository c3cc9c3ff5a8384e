// What a program needs to call the plug-in from outside: the host's QSO as
// an owning record, and the plug-in library loaded by path with its eleven
// entry points.  Header only, like host_args.h, so that hosts, tools and
// tests use it without linking the plug-in.
//
// The kit calls no system function itself: a loader names the three it
// needs (open a library, find a name in it, close it) in a small system
// type of its own program, which keeps those calls where that program
// keeps the rest of its system calls.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <type_traits>
#include <utility>

#include "plugin/abi.h"
#include "plugin/host_args.h"

namespace stats::host_args {

// -- The host's QSO ---------------------------------------------------------------

// One QSO as the host holds it, with texts of its own; Fields() gives the
// argument layout of AddData0 and RemoveData0 with pointers into this
// record, valid while it lives unchanged.  Every field starts blank (an
// empty text, 0, a null date): programs give their own defaults.
struct HostQso {
  std::string own_call;
  std::string call;
  OleDateTime time = kNullDate;
  unsigned frequency_hz = 0;
  std::string mode;
  std::string rst_sent;
  std::string rst_received;
  std::string exchange_sent;
  std::string exchange_received;
  std::string prefix;
  std::string country;
  std::string extra;
  std::string band;

  QsoFields Fields() const {
    QsoFields f;
    f.own_call = own_call.c_str();
    f.call = call.c_str();
    f.time = &time;
    f.frequency_hz = frequency_hz;
    f.mode = mode.c_str();
    f.rst_sent = rst_sent.c_str();
    f.rst_received = rst_received.c_str();
    f.exchange_sent = exchange_sent.c_str();
    f.exchange_received = exchange_received.c_str();
    f.prefix = prefix.c_str();
    f.country = country.c_str();
    f.extra = extra.c_str();
    f.band = band.c_str();
    return f;
  }
};

// AddData0 or RemoveData0 (the same layout) with the QSO's fields.
inline int CallQso(AddData0Fn fn, const HostQso& qso) { return CallQso(fn, qso.Fields()); }

// -- The entry points ---------------------------------------------------------------

// The eleven entry points, null where not resolved.
struct EntryPoints {
  ResetStats0Fn ResetStats0 = nullptr;
  AddData0Fn AddData0 = nullptr;
  RemoveData0Fn RemoveData0 = nullptr;
  CheckCallFunc0Fn CheckCallFunc0 = nullptr;
  GetResult0Fn GetResult0 = nullptr;
  StatsIsValidExchg0Fn StatsIsValidExchg0 = nullptr;
  StatsGetExchgCount0Fn StatsGetExchgCount0 = nullptr;
  GetNumberOfSetsFn GetNumberOfSets = nullptr;
  GetSetNameFn GetSetName = nullptr;
  SetupSet0Fn SetupSet0 = nullptr;
  setVersionFn setVersion = nullptr;
};

// The plain names of the entry points, which every build of the plug-in
// exports undecorated (cmake/exports.txt): the same on Linux and on both
// Windows builds.
inline constexpr std::array<const char*, 11> kEntryPointNames = {
    "ResetStats0",        "AddData0",         "RemoveData0", "CheckCallFunc0",
    "GetResult0",         "StatsIsValidExchg0", "StatsGetExchgCount0", "GetNumberOfSets",
    "GetSetName",         "SetupSet0",        "setVersion",
};

// Resolves every entry point with find(name), which returns the address of
// an exported name or null.  Returns the names not found, ", "-separated;
// "" when all were.
template <typename Find>
std::string ResolveEntryPoints(EntryPoints& e, Find&& find) {
  std::string missing;
  std::size_t next = 0;
  const auto resolve = [&](auto& slot) {
    const char* name = kEntryPointNames[next++];
    void* address = find(name);
    if (address == nullptr) missing.append(missing.empty() ? "" : ", ").append(name);
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(address);
  };
  resolve(e.ResetStats0);
  resolve(e.AddData0);
  resolve(e.RemoveData0);
  resolve(e.CheckCallFunc0);
  resolve(e.GetResult0);
  resolve(e.StatsIsValidExchg0);
  resolve(e.StatsGetExchgCount0);
  resolve(e.GetNumberOfSets);
  resolve(e.GetSetName);
  resolve(e.SetupSet0);
  resolve(e.setVersion);
  return missing;
}

// -- The loaded library ---------------------------------------------------------------

// The plug-in library loaded by path, its entry points resolved, unloaded
// when the object goes (or on Unload).  System is the program's own:
//
//   struct System {
//     using Handle = ...;   // null when nothing is loaded
//     static Handle Open(const std::filesystem::path& path, std::string* error);
//     static void* Find(Handle library, const char* name);
//     static void Close(Handle library);
//   };
template <typename System>
class PluginLibrary {
 public:
  using Handle = typename System::Handle;

  PluginLibrary() = default;
  // Loads the library; on failure loaded() is false and error() tells why.
  // Entry points the library lacks stay null and are named in missing().
  explicit PluginLibrary(const std::filesystem::path& path) {
    library_ = System::Open(path, &error_);
    if (library_ == Handle{}) return;
    missing_ = ResolveEntryPoints(entry_, [this](const char* name) { return Find(name); });
  }
  ~PluginLibrary() { Unload(); }
  PluginLibrary(PluginLibrary&& other) noexcept { *this = std::move(other); }
  PluginLibrary& operator=(PluginLibrary&& other) noexcept {
    if (this != &other) {
      Unload();
      library_ = std::exchange(other.library_, Handle{});
      entry_ = std::exchange(other.entry_, EntryPoints{});
      missing_ = std::move(other.missing_);
      error_ = std::move(other.error_);
    }
    return *this;
  }
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  bool loaded() const { return library_ != Handle{}; }
  Handle handle() const { return library_; }
  const std::string& error() const { return error_; }
  const std::string& missing() const { return missing_; }
  const EntryPoints& entry() const { return entry_; }

  // Any exported name; null when it is missing or nothing is loaded.
  void* Find(const char* name) const {
    return loaded() ? System::Find(library_, name) : nullptr;
  }

  // Closes the library now; the entry points become null.
  void Unload() {
    if (!loaded()) return;
    entry_ = EntryPoints{};
    System::Close(std::exchange(library_, Handle{}));
  }

 private:
  Handle library_{};
  EntryPoints entry_;
  std::string missing_;
  std::string error_;
};

}  // namespace stats::host_args
