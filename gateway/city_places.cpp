#include "gateway/city_places.h"

#include "common/city_line.h"

#include <cstdlib>
#include <set>
#include <sstream>

namespace {

bool IsCode(const std::string& code) {
  if (code.size() != kCityCodeLength) return false;
  for (char c : code)
    if (c < '0' || c > '9') return false;
  return true;
}

bool IsDegrees(const std::string& text, double limit) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return *end == '\0' && value >= -limit && value <= limit;
}

std::string LineError(int number, const std::string& why) {
  return "line " + std::to_string(number) + ": " + why;
}

}  // namespace

bool ReadStations(const std::string& text, std::map<std::string, CityPlace>& out,
                  std::string& error) {
  const double kMaxLatitude = 90, kMaxLongitude = 180;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream fields(line);
    std::string code, latitude, longitude, extra;
    if (!(fields >> code)) continue;
    if (!(fields >> latitude >> longitude) || fields >> extra) {
      error = LineError(number, "expected: code latitude longitude");
      return false;
    }
    if (!IsCode(code) || !IsDegrees(latitude, kMaxLatitude) ||
        !IsDegrees(longitude, kMaxLongitude)) {
      error = LineError(number, "not a five-digit code and a position in degrees");
      return false;
    }
    if (!out.emplace(code, CityPlace{"", latitude, longitude}).second) {
      error = LineError(number, "code " + code + " given twice");
      return false;
    }
  }
  return true;
}

bool JoinCityNames(const std::string& cityList, std::map<std::string, CityPlace>& places,
                   std::string& error) {
  std::set<std::string> named;
  std::istringstream lines(cityList);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::string code = CityCodeFromLine(line);
    auto place = places.find(code);
    if (place == places.end()) {
      error = "city " + code + " has no position in the stations file";
      return false;
    }
    place->second.townName = CityNameFromLine(line);
    named.insert(code);
  }
  for (const auto& place : places)
    if (!named.count(place.first)) {
      error = "station " + place.first + " names no city of the list";
      return false;
    }
  return true;
}
