#pragma once
// A city list line: the city code is its first five bytes, taken as they are;
// after one space the rest names the city for the user (CP1251). The widget
// and the gateway read the same file, so both read its lines here.
#include <string>

const std::string::size_type kCityCodeLength = 5;

std::string CityCodeFromLine(const std::string& line);
// The town name after the code and its space; empty when the line has none.
std::string CityNameFromLine(const std::string& line);
