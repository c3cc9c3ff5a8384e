#include <dlfcn.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "system.h"

namespace replay::sys {

void* OpenLibrary(const std::filesystem::path& path, std::string* error) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = dlerror();
    *error = reason != nullptr ? reason : "dlopen failed";
  }
  return library;
}

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

void CloseLibrary(void* library) { dlclose(library); }

std::filesystem::path ProgramPath() {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : path;
}

std::vector<std::filesystem::path> SystemCountryFiles() {
  return {"/usr/share/hamradio-files/cty.dat"};
}

std::filesystem::path MakePrivateFolder(const std::string& stem, std::string* error) {
  std::error_code ec;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (ec) {
    *error = "no folder for temporary files: " + ec.message();
    return {};
  }
  // mkdtemp makes the folder with mode 0700.
  std::string pattern = (temp / (stem + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    *error = "cannot make a folder in " + temp.string() + ": " + std::strerror(errno);
    return {};
  }
  return pattern;
}

std::optional<FileId> IdentifyFile(const std::filesystem::path& path) {
  struct stat facts {};
  if (stat(path.c_str(), &facts) != 0) return std::nullopt;
  return FileId{static_cast<uint64_t>(facts.st_dev), static_cast<uint64_t>(facts.st_ino)};
}

void UseBinaryOutput() {}

std::string SystemMessage(unsigned long code) {
  const char* text = std::strerror(static_cast<int>(code));
  return text != nullptr && *text != '\0' ? text : "system error " + std::to_string(code);
}

}  // namespace replay::sys
