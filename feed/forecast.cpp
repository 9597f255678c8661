#include "feed/forecast.h"

#include <cstring>

namespace {

struct CodeText {
  const char* code;
  const char* text;
};

const CodeText kWeekdays[] = {
    {"1", " Вс"}, {"2", " Пн"}, {"3", " Вт"}, {"4", " Ср"},
    {"5", " Чт"}, {"6", " Пт"}, {"7", " Сб"},
};

const CodeText kCloudiness[] = {
    {"0", "Ясно"},
    {"1", "Малооблачно"},
    {"2", "Oблачно"},  // its O is the Latin letter, and the panels match these bytes
    {"3", "Пасмурно"},
};

// Codes 0 to 3 mean nothing here.
const CodeText kPrecipitation[] = {
    {"4", "Дождь"}, {"5", "Ливень"},     {"6", "Снег"},         {"7", "Снег"},
    {"8", "Гроза"}, {"9", "Нет данных"}, {"10", "Без осадков"},
};

const CodeText kDirections[] = {
    {"0", "северный"}, {"1", "северо-восточный"}, {"2", "восточный"}, {"3", "юго-восточный"},
    {"4", "южный"},    {"5", "юго-западный"},     {"6", "западный"},  {"7", "северо-западный"},
};

ForecastModel model;

// The whole value must equal a code: "01" and " 1" are not "1".
template <size_t N>
const char* Lookup(const CodeText (&table)[N], const std::string& value) {
  for (const CodeText& row : table)
    if (value == row.code) return row.text;
  return nullptr;
}

template <size_t N>
void SetFromTable(std::string& field, const CodeText (&table)[N], const std::string& value) {
  if (const char* text = Lookup(table, value)) field = text;
}

// What one element's start tag says about the date; it does not outlive the
// scan of that element.
struct DateParts {
  std::string day, month, year, hour;
};

std::string BuildDateLine(const char* weekdayText, const DateParts& date) {
  std::string line = weekdayText ? weekdayText : "";
  line += ", ";
  line += date.day;
  line += "\\";
  line += date.month;
  line += "\\";
  line += date.year;
  line += " На ";
  line += date.hour;
  line += "ч.";
  return line;
}

void AdvancePeriod() {
  model.periodCounter =
      model.periodCounter >= 0 && model.periodCounter < 4 ? model.periodCounter + 1 : 1;
}

void SetMeasure(const std::string& element, const std::string& value,
                std::string ForecastPeriod::*temperature, std::string ForecastPeriod::*wind,
                std::string ForecastPeriod::*relwet, ForecastPeriod& period) {
  if (element == "TEMPERATURE")
    period.*temperature = value;
  else if (element == "WIND")
    period.*wind = value;
  else if (element == "RELWET")
    period.*relwet = value;
}

void ApplyAttribute(const std::string& element, const std::string& name, const std::string& value,
                    DateParts& date) {
  // Only reachable with a counter someone else put out of range.
  if (model.periodCounter < 0 || model.periodCounter >= kForecastSlotCount) return;
  ForecastPeriod& period = model.forecastTable[model.periodCounter];

  if (name == "sname") {
    model.townName = value;
  } else if (name == "day") {
    date.day = value;
  } else if (name == "month") {
    date.month = value;
  } else if (name == "year") {
    date.year = value;
  } else if (name == "hour") {
    date.hour = value;
  } else if (name == "weekday") {
    period.dateLine = BuildDateLine(Lookup(kWeekdays, value), date);
  } else if (name == "cloudiness") {
    SetFromTable(period.cloudinessText, kCloudiness, value);
  } else if (name == "precipitation") {
    SetFromTable(period.precipitationText, kPrecipitation, value);
  } else if (name == "min") {
    SetMeasure(element, value, &ForecastPeriod::temperatureMin, &ForecastPeriod::windMin,
               &ForecastPeriod::relwetMin, period);
  } else if (name == "max") {
    SetMeasure(element, value, &ForecastPeriod::temperatureMax, &ForecastPeriod::windMax,
               &ForecastPeriod::relwetMax, period);
  } else if (name == "direction") {
    SetFromTable(period.directionText, kDirections, value);
  }
}

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

ForecastModel& Forecast() {
  return model;
}

void ClearForecast() {
  model = ForecastModel{};
}

void WalkFeedNode(XmlNode node, int depth) {
  if (depth < 0) depth = 0;
  if (depth > kFeedDepthLimit) return;
  if (NodeKind(node) != ElementNode) return;
  if (depth == 0) model.periodCounter = 0;

  const std::string element = NodeName(node);
  if (element == "FORECAST") AdvancePeriod();

  DateParts date;
  if (BeginAttributeScan(node)) {
    while (NextAttribute(node))
      ApplyAttribute(element, CurrentAttributeName(node), CurrentAttributeValue(node), date);
  }

  for (XmlNode child = FirstChild(node); child; child = NextSibling(child))
    WalkFeedNode(child, depth + 1);
}

std::string DecodePercentText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '%') {
      out.push_back(c);
      continue;
    }
    const int high = i + 1 < text.size() ? HexValue(static_cast<unsigned char>(text[i + 1])) : -1;
    const int low = i + 2 < text.size() ? HexValue(static_cast<unsigned char>(text[i + 2])) : -1;
    if (high < 0 || low < 0) break;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

std::string DecodePercentText(const char* text) {
  return text ? DecodePercentText(std::string(text)) : std::string();
}
