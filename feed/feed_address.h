#pragma once
// Where the widget asks for its weather: "http://" + host + "/xml/" + city
// code + "_1.xml". The host is fixed when the widget is built.

#include <cstdint>
#include <string>

// The city code goes in exactly as stored, without checks or escaping.
std::string FeedAddress(const std::string& cityCode);

// Tests point the refresh at a server of their own; an empty host restores
// the built-in one.
void SetFeedHost(const std::string& host);

// The host the widget was built with, whatever a test set.
std::string BuiltInFeedHost();

// Whether the refresh asks the built-in host (no test host set).
bool UsesBuiltInFeedHost();

// The port of a host on this machine ("127.x.x.x:port" or "localhost:port",
// port 80 when none is given); 0 for any other host or a bad port.
uint16_t LoopbackPortOf(const std::string& host);
