#pragma once
// The cities the gateway serves: the town names of the widget's city list
// joined with the forecast positions of the stations file, by city code.

#include <map>
#include <string>

struct CityPlace {
  std::string townName;  // CP1251, as the city list writes it
  double latitude = 0;   // decimal degrees
  double longitude = 0;
};

// Stations file: "code latitude longitude" per line, "#" starts a comment,
// blank lines are skipped. False with `error` naming the first bad line.
bool ReadStations(const std::string& text, std::map<std::string, CityPlace>& out,
                  std::string& error);

// City list: five digits, a space and the town name per line (CRLF or LF).
// Fills townName of the cities `places` holds; false with `error` naming the
// line for a line of another shape, a code given twice or a city without a
// position, and for a position no city names.
bool JoinCityNames(const std::string& cityList, std::map<std::string, CityPlace>& places,
                   std::string& error);
