#include "plugin.h"

#include "system.h"

namespace replay {

std::unique_ptr<Plugin> Plugin::Load(const std::filesystem::path& path, std::string* error) {
  void* library = sys::OpenLibrary(path, error);
  if (library == nullptr) return nullptr;
  std::unique_ptr<Plugin> plugin(new Plugin(library));
  std::string missing;
  const auto resolve = [&](auto& entry, const char* name) {
    void* address = sys::FindSymbol(library, name);
    if (address == nullptr) missing += std::string(missing.empty() ? "" : ", ") + name;
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(address);
  };
  resolve(plugin->ResetStats0, "ResetStats0");
  resolve(plugin->AddData0, "AddData0");
  resolve(plugin->CheckCallFunc0, "CheckCallFunc0");
  resolve(plugin->GetResult0, "GetResult0");
  resolve(plugin->setVersion, "setVersion");
  if (!missing.empty()) {
    *error = "the library does not export " + missing;
    return nullptr;
  }
  return plugin;
}

Plugin::~Plugin() { sys::CloseLibrary(library_); }

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
