#pragma once
// Where the widget asks for its weather: "http://" + host + "/xml/" + city
// code + "_1.xml". The host is fixed when the widget is built.

#include <string>

// The city code goes in exactly as stored, without checks or escaping.
std::string FeedAddress(const std::string& cityCode);

// Tests point the refresh at a server of their own; an empty host restores
// the built-in one.
void SetFeedHost(const std::string& host);
