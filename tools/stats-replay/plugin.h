// The plug-in library, loaded by path and its entry points resolved by
// their plain names, as a host finds them (plugin/host_kit.h).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "plugin/abi.h"
#include "plugin/host_args.h"
#include "plugin/host_kit.h"

namespace replay {

// The kit's loader over this program's system calls (system.h).
struct LibrarySystem {
  using Handle = void*;
  static Handle Open(const std::filesystem::path& path, std::string* error);
  static void* Find(Handle library, const char* name);
  static void Close(Handle library);
};

class Plugin {
 public:
  // Loads the library and resolves every entry point the replay calls; null
  // with *error set when the library cannot be loaded or lacks one of them.
  static std::unique_ptr<Plugin> Load(const std::filesystem::path& path, std::string* error);
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  ResetStats0Fn ResetStats0 = nullptr;
  AddData0Fn AddData0 = nullptr;
  CheckCallFunc0Fn CheckCallFunc0 = nullptr;
  GetResult0Fn GetResult0 = nullptr;
  setVersionFn setVersion = nullptr;

  // The entry points with the arguments the plug-in reads, by name
  // (plugin/host_args.h); every other position is blank.
  int Reset(const stats::host_args::ResetFields& fields) const;
  int Add(const stats::host_args::QsoFields& fields) const;
  int Check(const stats::host_args::CheckFields& fields) const;

 private:
  explicit Plugin(stats::host_args::PluginLibrary<LibrarySystem> library)
      : library_(std::move(library)) {}
  stats::host_args::PluginLibrary<LibrarySystem> library_;
};

}  // namespace replay
