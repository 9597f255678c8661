// nimbrel-feed: serves the widget's feed from Open-Meteo forecasts, or
// writes every city's feed once for a static web server.
#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <csignal>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "gateway/city_places.h"
#include "gateway/durable_file.h"
#include "gateway/feed_files.h"
#include "gateway/feed_service.h"
#include "gateway/fetch_pool.h"
#include "gateway/forecast_folder.h"
#include "gateway/gateway_options.h"
#include "gateway/network_watch.h"
#include "gateway/parent_watch.h"
#include "gateway/serve_loop.h"
#include "gateway/tcp_socket.h"
#include "gateway/url_fetch.h"

namespace {

const char kStationsName[] = "NimbrelStations.txt";
const char kCitiesName[] = "NimbrelCodSity.txt";

enum ExitCode { kExitDone = 0, kExitFailed = 1, kExitUsage = 2, kExitPortTaken = 3 };

std::string ProgramDirectory() {
#ifdef _WIN32
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file(path, n < MAX_PATH ? n : 0);
#else
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
  std::string file(path, n > 0 ? static_cast<std::size_t>(n) : 0);
#endif
  const auto slash = file.find_last_of("/\\");
  return slash == std::string::npos ? "." : file.substr(0, slash);
}

void PrintLine(const std::string& line) {
  std::fprintf(stderr, "nimbrel-feed: %s\n", line.c_str());
  std::fflush(stderr);
}

bool LoadCities(const GatewayOptions& options, FeedService& service) {
  const std::string dir = ProgramDirectory();
  const std::string stations =
      options.stationsFile.empty() ? dir + "/" + kStationsName : options.stationsFile;
  const std::string cities =
      options.citiesFile.empty() ? dir + "/" + kCitiesName : options.citiesFile;
  std::string stationsText, citiesText, error;
  if (!ReadWholeFile(stations, stationsText))
    error = "cannot read " + stations;
  else if (!ReadWholeFile(cities, citiesText))
    error = "cannot read " + cities;
  else if (!ReadStations(stationsText, service.cities, error))
    error = stations + ": " + error;
  else if (!JoinCityNames(citiesText, service.cities, error))
    error = cities + ": " + error;
  if (!error.empty()) PrintLine(error);
  return error.empty();
}

std::int64_t UtcNow() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

const int kRetryTickMilliseconds = 1000;
// A tick that finds the clock this far on was stopped by sleep.
const std::int64_t kSleptSeconds = 30;

// Requests that never reached the upstream are asked again in the
// background, and at once when the system says the network changed or the
// machine wakes from sleep.
void KeepRetryingUnreached(FeedService& service) {
  WatchNetworkChanges([&service] { NoteNetworkChange(service); });
  std::thread([&service] {
    for (std::int64_t last = UtcNow();;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kRetryTickMilliseconds));
      const std::int64_t now = UtcNow();
      if (now - last > kSleptSeconds) NoteNetworkChange(service);
      last = now;
      RetryUnreached(service, now);
    }
  }).detach();
}

int Serve(const GatewayOptions& options, FeedService& service) {
  const std::string where = options.listenHost + ":" + std::to_string(options.listenPort);
  if (!StartNetwork()) {
    PrintLine("the network cannot be used");
    return kExitFailed;
  }
  SocketHandle listener = kNoSocket;
  switch (OpenListener(options.listenHost, options.listenPort, listener)) {
    case ListenStatus::Listening:
      break;
    case ListenStatus::PortTaken:
      PrintLine(where + " is taken: another nimbrel-feed or another program listens there");
      StopNetwork();
      return kExitPortTaken;
    case ListenStatus::Failed:
      PrintLine("cannot listen on " + where);
      StopNetwork();
      return kExitFailed;
  }
  ParentWatch parent;
  if (options.parentPid && !WatchParent(options.parentPid, parent)) {
    PrintLine("process " + std::to_string(options.parentPid) + " does not run; ending");
    CloseSocket(listener);
    StopNetwork();
    return kExitDone;
  }
  if (options.verbose) PrintLine("listening on " + where);
  service.policy.staleLimitSeconds = kServeLimitSeconds;
  if (!options.cacheDir.empty()) {
    if (LoadStoredForecasts(service, options.cacheDir, UtcNow()))
      service.cacheDir = options.cacheDir;
    else
      PrintLine("cannot make " + options.cacheDir + "; forecasts kept in memory only");
  }
  FetchPool pool;
  service.runFetch = [&pool](FetchJob job) { pool.Run(std::move(job)); };
  KeepRetryingUnreached(service);
  ServeLimits limits;
  // A gateway its widget started lives exactly as long as the widget.
  limits.idleExitSeconds = options.parentPid ? 0 : options.idleExitSeconds;
  auto handler = [&](const HttpRequest& request, int waitedMilliseconds) {
    return AnswerRequest(service, request, UtcNow(), waitedMilliseconds);
  };
  StopCheck stop;
  if (options.parentPid) stop = [&parent] { return !ParentAlive(parent); };
  AnswerNotice notice;
  if (options.verbose)
    notice = [](int status, const std::string& target) {
      PrintLine(std::to_string(status) + " " + (target.empty() ? "(bad request)" : target));
    };
  ServeConnections(listener, limits, handler, notice, stop);
  if (options.verbose) PrintLine(stop && stop() ? "process gone, ending" : "idle, ending");
  CloseSocket(listener);
  // An upstream request may still run; it must not hold the end up to its
  // limit, and nothing it holds needs an orderly goodbye.
  std::fflush(nullptr);
  std::_Exit(kExitDone);
}

int WriteOnce(const GatewayOptions& options, FeedService& service) {
  const FeedFilesResult result =
      WriteFeedFiles(service, options.writeDir, UtcNow(), kFilePaceMilliseconds);
  if (!result.usable) {
    PrintLine(result.error);
    return kExitUsage;
  }
  PrintLine(std::to_string(result.written) + " feeds written, " + std::to_string(result.removed) +
            " removed (no forecast younger than 6 h), " + std::to_string(result.failed) +
            " files failed");
  return result.failed || result.removed ? kExitFailed : kExitDone;
}

}  // namespace

int main(int argc, char** argv) {
  GatewayOptions options;
  std::string error;
  if (!ParseGatewayOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    PrintLine(error + " (--help lists the options)");
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(GatewayHelpText().c_str(), stdout);
    return kExitDone;
  }
#ifndef _WIN32
  // A client gone mid-answer must not end the gateway.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  FeedService service;
  const char* fromEnvironment = std::getenv(kUpstreamVariable);
  if (!options.upstream.empty())
    service.upstream = options.upstream;
  else if (fromEnvironment && *fromEnvironment)
    service.upstream = fromEnvironment;
  service.policy.refetchSeconds = options.refreshSeconds;
  service.fixedNow = options.fixedNow;
  service.now = options.now;
  const int fetchLimit = options.fetchLimitSeconds;
  service.fetchLimitSeconds = fetchLimit;
  service.fetch = [fetchLimit](const std::string& url) { return FetchUrl(url, fetchLimit); };
  if (options.verbose) service.log = PrintLine;
  if (!LoadCities(options, service)) return kExitFailed;

  return options.once ? WriteOnce(options, service) : Serve(options, service);
}
