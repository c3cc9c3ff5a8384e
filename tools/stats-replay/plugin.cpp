#include "plugin.h"

#include "system.h"

namespace replay {

LibrarySystem::Handle LibrarySystem::Open(const std::filesystem::path& path, std::string* error) {
  return sys::OpenLibrary(path, error);
}

void* LibrarySystem::Find(Handle library, const char* name) {
  return sys::FindSymbol(library, name);
}

void LibrarySystem::Close(Handle library) { sys::CloseLibrary(library); }

std::unique_ptr<Plugin> Plugin::Load(const std::filesystem::path& path, std::string* error) {
  stats::host_args::PluginLibrary<LibrarySystem> library(path);
  if (!library.loaded()) {
    *error = library.error();
    return nullptr;
  }
  std::unique_ptr<Plugin> plugin(new Plugin(std::move(library)));
  const stats::host_args::EntryPoints& entry = plugin->library_.entry();
  std::string missing;
  const auto take = [&](auto& slot, auto address, const char* name) {
    if (address == nullptr) missing += std::string(missing.empty() ? "" : ", ") + name;
    slot = address;
  };
  take(plugin->ResetStats0, entry.ResetStats0, "ResetStats0");
  take(plugin->AddData0, entry.AddData0, "AddData0");
  take(plugin->CheckCallFunc0, entry.CheckCallFunc0, "CheckCallFunc0");
  take(plugin->GetResult0, entry.GetResult0, "GetResult0");
  take(plugin->setVersion, entry.setVersion, "setVersion");
  if (!missing.empty()) {
    *error = "the library does not export " + missing;
    return nullptr;
  }
  return plugin;
}

int Plugin::Reset(const stats::host_args::ResetFields& fields) const {
  return stats::host_args::CallReset(ResetStats0, fields);
}

int Plugin::Add(const stats::host_args::QsoFields& fields) const {
  return stats::host_args::CallQso(AddData0, fields);
}

int Plugin::Check(const stats::host_args::CheckFields& fields) const {
  return stats::host_args::CallCheck(CheckCallFunc0, fields);
}

}  // namespace replay
