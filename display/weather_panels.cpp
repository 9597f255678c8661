#include <windows.h>

#include "display/weather_panels.h"

#include "display/images.h"
#include "display/layered.h"
#include "display/panel_texts.h"
#include "display/time_of_day.h"
#include "services/widget_numbers.h"
#include "feed/forecast.h"
#include "services/controls.h"
#include "services/dates.h"
#include "services/widget_scale.h"
#include "services/windows.h"

namespace {

const int kTodayPeriod = 1;
const int kTomorrowPeriod = 3;

// Shown on every update, in this order, whatever the period.
const int kMainWindows[] = {kMainWindow,      kForecastWindow, kLeftFlipWindow,
                            kRightFlipWindow, kClockOverlay,   kForecastOverlay};

// An icon window: where it sits relative to the main window and who owns it.
struct IconPlace {
  int window;
  int image;
  int dx;
  int dy;
  int owner;
};

// Borderless popups, opened hidden: the panel shows them itself.
const unsigned kIconWindowFlags = WS_POPUP | CreateHidden;

const IconPlace kDayIcon = {kDayIconWindow, kDayIconImage, 95, 110, kLeftFlipWindow};
const IconPlace kNightIcon = {kNightIconWindow, kNightIconImage, 95, 110, kLeftFlipWindow};
const IconPlace kTodayIcon = {kTodayIconWindow, kSmallIconImage, 42, 180, kForecastOverlay};
const IconPlace kTomorrowIcon = {kTomorrowIconWindow, kSmallIconImage, 200, 180, kForecastOverlay};

void ShowWindowNumber(int window) {
  SetWindowHidden(window, 0);
}
void HideWindowNumber(int window) {
  SetWindowHidden(window, 1);
}

// An icon window still open for its owner takes the new picture where a
// reopened one would stand, at the picture's size: closing and opening four
// windows every refresh cost a third of the refresh. Otherwise, or when
// there is no picture to present, the number is opened anew (closing the
// window it held), so each refresh leaves exactly one window per icon.
void OpenIconWindow(const IconPlace& icon) {
  const int x = WindowLeft(kMainWindow) + Scaled(icon.dx);
  const int y = WindowTop(kMainWindow) + Scaled(icon.dy);
  HWND handle = WindowHandle(icon.window);
  if (handle && GetWindow(handle, GW_OWNER) == WindowHandle(icon.owner)) {
    PlaceWindow(icon.window, x, y, KeepValue, KeepValue);
    // Without a picture a reopened window would show nothing: so must this.
    if (PresentLayered(handle, icon.image, 255)) return;
  }
  OpenWindowSlot(icon.window, x, y, ImageSlotWidth(icon.image), ImageSlotHeight(icon.image), "",
                 kIconWindowFlags, WindowHandle(icon.owner));
  handle = WindowHandle(icon.window);
  if (!handle) return;
  MakeLayered(handle);
  PresentLayered(handle, icon.image, 255);
}

void LoadIcons(const IconChoice& icons, bool withBigIcon) {
  if (withBigIcon && icons.bigIcon) LoadScaledImageSlot(kDayIconImage, icons.bigIcon);
  if (icons.smallIcon) LoadScaledImageSlot(kSmallIconImage, icons.smallIcon);
}

void UpdateToday() {
  const ForecastPeriod& period = Forecast().forecastTable[kTodayPeriod];
  const TodayTexts texts = BuildTodayTexts(period, Forecast().townName);
  SetControlText(kTownText, texts.town.c_str());
  SetControlText(kSkyText, texts.skyAndPrecipitation.c_str());
  SetControlText(kTemperatureRangeText, texts.temperatureRange.c_str());
  SetControlText(kDateLineText, texts.dateLine.c_str());
  SetControlText(kWindText, texts.wind.c_str());
  SetControlText(kHumidityText, texts.humidity.c_str());
  SetControlText(kTodayText, texts.today.c_str());

  std::string title;
  if (ChooseMainTitle(period, &title)) SetWindowTitleText(kMainWindow, title.c_str());

  LoadIcons(ChooseIcons(period.precipitationText, period.cloudinessText), true);

  OpenIconWindow(kDayIcon);
  HideWindowNumber(kDayIcon.window);
  LoadScaledImageSlot(kNightIconImage, kNightIconFile);
  OpenIconWindow(kNightIcon);
  HideWindowNumber(kNightIcon.window);

  if (IsNightTimeText(TimeOfDayText(CurrentDate()))) {
    HideWindowNumber(kDayIcon.window);
    ShowWindowNumber(kNightIcon.window);
  } else {
    ShowWindowNumber(kDayIcon.window);
    HideWindowNumber(kNightIcon.window);
  }

  OpenIconWindow(kTodayIcon);
  ShowWindowNumber(kTodayIcon.window);
}

void UpdateTomorrow() {
  const ForecastPeriod& period = Forecast().forecastTable[kTomorrowPeriod];
  SetControlText(kTomorrowText, BuildTomorrowText(period).c_str());
  // The small icon only: without a match it stays period 1's picture.
  LoadIcons(ChooseIcons(period.precipitationText, period.cloudinessText), false);
  OpenIconWindow(kTomorrowIcon);
  ShowWindowNumber(kTomorrowIcon.window);
}

}  // namespace

void UpdateWeatherPanels(int period) {
  for (int window : kMainWindows) ShowWindowNumber(window);
  if (period == kTodayPeriod) UpdateToday();
  if (period == kTomorrowPeriod) UpdateTomorrow();
}
