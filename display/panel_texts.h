#pragma once
// What the weather panels show, worked out from the forecast model alone:
// the control texts, the main window's title and the choice of icons.

#include <string>

#include "feed/forecast.h"

// Texts of the current-weather panel and today's line (period 1).
struct TodayTexts {
  std::string town;
  std::string skyAndPrecipitation;
  std::string temperatureRange;
  std::string dateLine;
  std::string wind;
  std::string humidity;
  std::string today;
};

TodayTexts BuildTodayTexts(const ForecastPeriod& period, const std::string& townName);
std::string BuildTomorrowText(const ForecastPeriod& period);

// The main window keeps its start-up title until a sky word has been
// recognised once; false means leave the title alone.
bool ChooseMainTitle(const ForecastPeriod& period, std::string* title);

// Picture files for the big and the small icon; nullptr keeps the picture
// the slot already holds.
struct IconChoice {
  const char* bigIcon;
  const char* smallIcon;
};

IconChoice ChooseIcons(const std::string& precipitationText, const std::string& cloudinessText);

extern const char kNightIconFile[];
