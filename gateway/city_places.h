#pragma once
// The cities the gateway serves: the town names of the widget's city list
// joined with the forecast positions of the stations file, by city code.

#include <map>
#include <string>

struct CityPlace {
  std::string townName;   // CP1251, as the city list writes it
  std::string latitude;   // decimal degrees, the stations file's own text
  std::string longitude;  // so the upstream address carries exactly it
};

// Stations file: "code latitude longitude" per line, "#" starts a comment,
// blank lines are skipped. False with `error` naming the first bad line.
bool ReadStations(const std::string& text, std::map<std::string, CityPlace>& out,
                  std::string& error);

// City list: a five-byte code, a space and the town name per line (CRLF or
// LF). Fills townName of the cities `places` holds; false with `error` for a
// city of the list that has no position, or a position no city names.
bool JoinCityNames(const std::string& cityList, std::map<std::string, CityPlace>& places,
                   std::string& error);
