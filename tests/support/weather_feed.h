#pragma once
// A plausible four-period feed document and the HTTP answers that carry it,
// for the refresh tests.

#include <string>

// Periods 1 to 4: Moscow (percent-encoded CP1251), Monday 7 and Tuesday
// 8 December 2026. Period 1: sky 1, no precipitation, -5..-2, wind 3..5 from
// the south-west, humidity 85..90. Period 3: sky 2, rain, -9..-4.
std::string FourPeriodFeed();

// "HTTP/1.1 200 OK" with a Content-Length header and the body.
std::string OkResponse(const std::string& body);
