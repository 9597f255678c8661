#pragma once
// The gateway's command line, and the one environment variable a parent
// process (the widget, a test) can point its upstream with.

#include <cstdint>
#include <string>
#include <vector>

#include "gateway/feed_builder.h"
#include "gateway/forecast_cache.h"
#include "gateway/url_fetch.h"

constexpr std::uint16_t kDefaultListenPort = 8930;
constexpr int kDefaultIdleExitSeconds = 900;
extern const char kUpstreamVariable[];  // "NIMBREL_FEED_UPSTREAM"

struct GatewayOptions {
  std::string listenHost = "127.0.0.1";
  std::uint16_t listenPort = kDefaultListenPort;
  int idleExitSeconds = kDefaultIdleExitSeconds;  // 0: never
  long parentPid = 0;    // 0: none; else end with that process, never for idleness
  std::string writeDir;  // with `once`
  std::string cacheDir;  // empty: forecasts in memory only (write-dir keeps DIR/cache)
  bool once = false;
  std::string upstream;      // empty: the environment's, else Open-Meteo's
  std::string stationsFile;  // empty: beside the program
  std::string citiesFile;    // empty: beside the program
  bool fixedNow = false;
  LocalTime now;
  bool verbose = false;
  bool help = false;
  int refreshSeconds = kRefetchSeconds;
  int fetchLimitSeconds = kFetchLimitSeconds;
};

// argv without the program name. False with `error` for an unknown option,
// a missing or bad value, or --once and --write-dir without each other.
bool ParseGatewayOptions(const std::vector<std::string>& args, GatewayOptions& out,
                         std::string& error);

std::string GatewayHelpText();
