#pragma once
// The weather as the user sees it: the texts of the two overlays, the main
// window's title and the day, night and small icon windows, rebuilt from the
// forecast model on every refresh.

// Shows the widget's main windows; then period 1 fills the current weather,
// today's line and the icons 60, 69 and 62, period 3 tomorrow's line and
// icon 63. Any other period only shows the main windows.
void UpdateWeatherPanels(int period);
