// The plug-in library, loaded by path and its entry points resolved by
// their plain names, as a host finds them.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "plugin/abi.h"

namespace replay {

class Plugin {
 public:
  // Loads the library and resolves every entry point the replay calls; null
  // with *error set when the library cannot be loaded or lacks one of them.
  static std::unique_ptr<Plugin> Load(const std::filesystem::path& path, std::string* error);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  ResetStats0Fn ResetStats0 = nullptr;
  AddData0Fn AddData0 = nullptr;
  CheckCallFunc0Fn CheckCallFunc0 = nullptr;
  GetResult0Fn GetResult0 = nullptr;
  setVersionFn setVersion = nullptr;

 private:
  explicit Plugin(void* library) : library_(library) {}
  void* library_;
};

}  // namespace replay
