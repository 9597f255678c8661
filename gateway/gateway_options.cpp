#include "gateway/gateway_options.h"

#include <cerrno>
#include <cstdlib>

const char kUpstreamVariable[] = "NIMBREL_FEED_UPSTREAM";

namespace {

const long kMaxPort = 65535;
const long kMaxSeconds = 7 * 24 * 60 * 60;
const long kMaxProcessId = 0x7FFFFFFF;

bool ReadNumber(const std::string& text, long low, long high, long& out) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0' && out >= low && out <= high;
}

bool IsDottedQuad(const std::string& text) {
  int parts = 0;
  std::string::size_type at = 0;
  while (at <= text.size()) {
    auto dot = text.find('.', at);
    if (dot == std::string::npos) dot = text.size();
    long part = 0;
    if (dot - at > 3 || !ReadNumber(text.substr(at, dot - at), 0, 255, part)) return false;
    ++parts;
    at = dot + 1;
  }
  return parts == 4;
}

// HOST:PORT with a dotted IPv4 host or "localhost".
bool ReadListen(const std::string& text, GatewayOptions& out) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  std::string host = text.substr(0, colon);
  if (host == "localhost") host = "127.0.0.1";
  long port = 0;
  if (!IsDottedQuad(host) || !ReadNumber(text.substr(colon + 1), 1, kMaxPort, port)) return false;
  out.listenHost = host;
  out.listenPort = static_cast<std::uint16_t>(port);
  return true;
}

bool ReadSeconds(const std::string& text, long low, int& out) {
  long value = 0;
  if (!ReadNumber(text, low, kMaxSeconds, value)) return false;
  out = static_cast<int>(value);
  return true;
}

bool IsHttpUrl(const std::string& text) {
  return text.rfind("http://", 0) == 0 || text.rfind("https://", 0) == 0;
}

bool TakesValue(const std::string& name) {
  for (const char* known :
       {"--listen", "--idle-exit", "--parent", "--write-dir", "--upstream", "--stations",
        "--cities", "--now", "--refresh", "--fetch-limit", "--cache-dir"})
    if (name == known) return true;
  return false;
}

// One option with its value; false when the value does not fit it.
bool ReadValued(const std::string& name, const std::string& value, GatewayOptions& out) {
  if (value.empty()) return false;
  if (name == "--listen") return ReadListen(value, out);
  if (name == "--idle-exit") return ReadSeconds(value, 0, out.idleExitSeconds);
  if (name == "--parent") return ReadNumber(value, 1, kMaxProcessId, out.parentPid);
  if (name == "--refresh") return ReadSeconds(value, 1, out.refreshSeconds);
  if (name == "--fetch-limit") return ReadSeconds(value, 1, out.fetchLimitSeconds);
  if (name == "--now") return out.fixedNow = ParseLocalTime(value, out.now);
  if (name == "--upstream") {
    out.upstream = value;
    return IsHttpUrl(value);
  }
  if (name == "--write-dir") out.writeDir = value;
  if (name == "--cache-dir") out.cacheDir = value;
  if (name == "--stations") out.stationsFile = value;
  if (name == "--cities") out.citiesFile = value;
  return true;
}

}  // namespace

bool ParseGatewayOptions(const std::vector<std::string>& args, GatewayOptions& out,
                         std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--help" || name == "-h") {
      out.help = true;
    } else if (name == "--verbose") {
      out.verbose = true;
    } else if (name == "--once") {
      out.once = true;
    } else if (!TakesValue(name)) {
      error = "unknown option " + name;
      return false;
    } else if (i + 1 >= args.size()) {
      error = "missing value for " + name;
      return false;
    } else if (!ReadValued(name, args[i + 1], out)) {
      error = "bad value for " + name + ": \"" + args[i + 1] + "\"";
      return false;
    } else {
      ++i;
    }
  }
  if (out.once != !out.writeDir.empty()) {
    error = "--once and --write-dir go together";
    return false;
  }
  return true;
}

std::string GatewayHelpText() {
  return "usage: nimbrel-feed [options]\n"
         "Serves the Nimbrel widget's weather feed from Open-Meteo forecasts.\n"
         "\n"
         "  --listen HOST:PORT     where to answer (default 127.0.0.1:8930; loopback\n"
         "                         only unless given here, e.g. 0.0.0.0:8930)\n"
         "  --idle-exit SECONDS    end after this long without a request (default 900;\n"
         "                         0: never)\n"
         "  --parent PID           end within 2 s after that process ends (the widget\n"
         "                         passes its own); no idle end then\n"
         "  --write-dir DIR --once write DIR/xml/<code>_1.xml for every city and exit,\n"
         "                         for a static web server (forecasts kept in\n"
         "                         DIR/cache; a city without one younger than 6 h\n"
         "                         loses its file; a long list is spread so that it\n"
         "                         stays within 9,000 upstream requests a day)\n"
         "  --cache-dir DIR        keep every forecast fetched in DIR too and serve\n"
         "                         from it at once after a restart (the widget\n"
         "                         passes its feedcache folder)\n"
         "  --upstream URL         the forecast endpoint (default\n"
         "                         https://api.open-meteo.com/v1/forecast, or the\n"
         "                         environment variable NIMBREL_FEED_UPSTREAM)\n"
         "  --stations FILE        code latitude longitude per line (default\n"
         "                         NimbrelStations.txt beside the program)\n"
         "  --cities FILE          the widget's city list (default NimbrelCodSity.txt\n"
         "                         beside the program)\n"
         "  --now YYYY-MM-DDTHH:MM the cities' local time to build periods for\n"
         "  --refresh SECONDS      ask the upstream again after this long (default\n"
         "                         1800; lower only against a server of your own)\n"
         "  --fetch-limit SECONDS  limit of one upstream request (default 10)\n"
         "  --verbose              log requests and upstream answers to stderr\n"
         "  --help                 this text\n"
         "\n"
         "Weather data by Open-Meteo.com (https://open-meteo.com/), CC BY 4.0; the free\n"
         "service is for non-commercial use. Station data: Meteostat; town data:\n"
         "GeoNames; both CC BY 4.0.\n";
}
