#pragma once
// The tray icon's tooltip: what the panels show of period 1 and how old it
// is, so a widget whose feed has stopped says so.

#include <string>

#include "services/dates.h"

extern const char kNoWeatherTip[];  // "Нет данных о погоде"

// "Town, temperature" on the first line, "обновлено ЧЧ:ММ" on the second
// ("ДД.ММ ЧЧ:ММ" when the download was not today); kNoWeatherTip before
// any download gave a feed. Never longer than maxLength bytes: the town
// line gives way first.
std::string WeatherAgeTip(const std::string& town, const std::string& temperature, bool received,
                          DateValue receivedAt, DateValue now, size_t maxLength);
