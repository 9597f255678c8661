#include "tests/support/weather_feed.h"

namespace {

struct PeriodValues {
  const char* day;
  const char* hour;
  const char* weekday;
  const char* cloudiness;
  const char* precipitation;
  const char* temperatureMin;
  const char* temperatureMax;
  const char* windMin;
  const char* windMax;
  const char* direction;
  const char* relwetMin;
  const char* relwetMax;
};

const PeriodValues kPeriods[4] = {
    {"7", "09", "2", "1", "10", "-5", "-2", "3", "5", "5", "85", "90"},
    {"7", "15", "2", "3", "9", "-3", "0", "4", "6", "6", "80", "88"},
    {"8", "09", "3", "2", "4", "-9", "-4", "5", "8", "7", "90", "97"},
    {"8", "15", "3", "0", "6", "-7", "-1", "2", "4", "0", "75", "82"},
};

std::string Attribute(const char* name, const char* value) {
  return std::string(" ") + name + "=\"" + value + "\"";
}

}  // namespace

std::string FourPeriodFeed() {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<weather>\n <place" +
                    Attribute("id", "27612") + Attribute("sname", "%CC%EE%F1%EA%E2%E0") + ">\n";
  for (const PeriodValues& p : kPeriods) {
    xml += "  <FORECAST" + Attribute("day", p.day) + Attribute("month", "12") +
           Attribute("year", "2026") + Attribute("hour", p.hour) + Attribute("weekday", p.weekday) +
           ">\n";
    xml += "   <sky" + Attribute("cloudiness", p.cloudiness) +
           Attribute("precipitation", p.precipitation) + "/>\n";
    xml += "   <TEMPERATURE" + Attribute("min", p.temperatureMin) +
           Attribute("max", p.temperatureMax) + "/>\n";
    xml += "   <WIND" + Attribute("min", p.windMin) + Attribute("max", p.windMax) +
           Attribute("direction", p.direction) + "/>\n";
    xml += "   <RELWET" + Attribute("min", p.relwetMin) + Attribute("max", p.relwetMax) + "/>\n";
    xml += "  </FORECAST>\n";
  }
  xml += " </place>\n</weather>\n";
  return xml;
}

std::string OkResponse(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}
