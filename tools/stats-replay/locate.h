// Where stats-replay looks for the country file when --cty names none.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace replay {

inline constexpr const char* kCountryFileName = "cty.dat";

// The places to look, in order: beside the program (when its folder is
// known), then each of the system's own places.
std::vector<std::filesystem::path> CountryFilePlaces(
    const std::filesystem::path& program_folder,
    const std::vector<std::filesystem::path>& system_places);

// The first place where something stands (exists(path) is true); nullopt
// with *error naming every place looked in and --cty when none has one.
std::optional<std::filesystem::path> FindCountryFile(
    const std::vector<std::filesystem::path>& places,
    const std::function<bool(const std::filesystem::path&)>& exists, std::string* error);

}  // namespace replay
