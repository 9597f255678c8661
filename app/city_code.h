#pragma once
// The city code is the first five bytes of a city list line, taken as they
// are: the rest of the line only names the city for the user.
#include <string>

const std::string::size_type kCityCodeLength = 5;

std::string CityCodeFromLine(const std::string& line);
