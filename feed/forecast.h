#pragma once
// The forecast model of the whole run and the walk that fills it from a feed
// document. Everything is display-ready single-byte text: codes become
// Russian words through fixed tables, measured values are kept exactly as the
// feed writes them, and no number is ever parsed.

#include <array>
#include <string>

#include "feed/xml_tree.h"

struct ForecastPeriod {
  std::string dateLine;  // " Вс, 6\12\2026 На 15ч."
  std::string cloudinessText;
  std::string precipitationText;
  std::string temperatureMin;
  std::string temperatureMax;
  std::string windMin;
  std::string windMax;
  std::string relwetMin;
  std::string relwetMax;
  std::string directionText;
};

// Slots 1 to 4 hold the periods of a feed in document order; slot 0 only
// catches what a feed says before its first FORECAST element.
constexpr int kForecastSlotCount = 5;
using ForecastTable = std::array<ForecastPeriod, kForecastSlotCount>;

struct ForecastModel {
  ForecastTable forecastTable;
  // The slot every recognised attribute writes to: each FORECAST element
  // advances it and 4 wraps to 1. Every walk of a document starts it at 0,
  // so a feed with three periods, or one cut short, cannot move tomorrow's
  // weather into today's slots at the next refresh.
  int periodCounter = 0;
  // Last sname seen, still percent-encoded as the feed writes it.
  std::string townName;
};

// The one model of the process, written by the refresh and read by the
// panels, both on the main thread. Never cleared while the widget runs: each
// walk overwrites only what the feed names with a known value.
ForecastModel& Forecast();

// Start-up's empty table (and a fresh model for tests).
void ClearForecast();

// Interprets the node and everything below it into Forecast(); the refresh
// passes the document's root element and depth 0, which starts the walk of
// a document: periodCounter goes back to 0. Elements nested more than
// kFeedDepthLimit levels below that root are passed over with all they hold,
// so a hostile document can neither exhaust the stack nor keep the walk busy;
// the rest of the document is interpreted as usual.
constexpr int kFeedDepthLimit = 64;
void WalkFeedNode(XmlNode node, int depth);

// "%D0%9C" -> the bytes D0 9C; decoding stops at the first '%' that is not
// followed by two hex digits. nullptr gives the empty text.
std::string DecodePercentText(const char* text);
std::string DecodePercentText(const std::string& text);
