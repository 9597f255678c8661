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

bool ReadDegrees(const std::string& text, double limit, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return *end == '\0' && out >= -limit && out <= limit;
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
    CityPlace place;
    if (!IsCode(code) || !ReadDegrees(latitude, kMaxLatitude, place.latitude) ||
        !ReadDegrees(longitude, kMaxLongitude, place.longitude)) {
      error = LineError(number, "not a five-digit code and a position in degrees");
      return false;
    }
    if (!out.emplace(code, place).second) {
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
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::string code = CityCodeFromLine(line);
    if (!IsCode(code) || line.size() <= kCityCodeLength || line[kCityCodeLength] != ' ') {
      error = LineError(number, "expected: five digits, a space and the town's name");
      return false;
    }
    auto place = places.find(code);
    if (place == places.end()) {
      error = LineError(number, "city " + code + " has no position in the stations file");
      return false;
    }
    if (!named.insert(code).second) {
      error = LineError(number, "code " + code + " given twice");
      return false;
    }
    place->second.townName = CityNameFromLine(line);
  }
  for (const auto& place : places)
    if (!named.count(place.first)) {
      error = "station " + place.first + " names no city of the list";
      return false;
    }
  return true;
}
