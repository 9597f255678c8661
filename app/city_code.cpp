#include "app/city_code.h"

std::string CityCodeFromLine(const std::string& line) {
  return line.substr(0, kCityCodeLength);
}
