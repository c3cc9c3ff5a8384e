#include "locate.h"

namespace replay {

std::vector<std::filesystem::path> CountryFilePlaces(
    const std::filesystem::path& program_folder,
    const std::vector<std::filesystem::path>& system_places) {
  std::vector<std::filesystem::path> places;
  if (!program_folder.empty()) places.push_back(program_folder / kCountryFileName);
  places.insert(places.end(), system_places.begin(), system_places.end());
  return places;
}

std::optional<std::filesystem::path> FindCountryFile(
    const std::vector<std::filesystem::path>& places,
    const std::function<bool(const std::filesystem::path&)>& exists, std::string* error) {
  for (const std::filesystem::path& place : places) {
    if (exists(place)) return place;
  }
  std::string looked;
  for (const std::filesystem::path& place : places) {
    looked.append(looked.empty() ? "" : ", ").append(place.string());
  }
  *error = std::string("no country file ") + kCountryFileName + " found" +
           (looked.empty() ? std::string() : " (looked for " + looked + ")") +
           "; name one with --cty FILE";
  return std::nullopt;
}

}  // namespace replay
