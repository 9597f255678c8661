#include "app/application.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "app/application_state.h"
#include "app/autostart_choice.h"
#include "app/city_chooser.h"
#include "app/event_loop.h"
#include "app/feed_gateway_launch.h"
#include "app/following.h"
#include "app/saved_place.h"
#include "app/startup_report.h"
#include "app/settings_names.h"
#include "app/start_folder.h"
#include "app/system_notices.h"
#include "app/widget_layout.h"
#include "display/clock_face.h"
#include "display/font_slots.h"
#include "display/images.h"
#include "display/layered.h"
#include "display/stored_icon.h"
#include "display/weather_panels.h"
#include "services/widget_numbers.h"
#include "feed/forecast.h"
#include "feed/http_download.h"
#include "app/refresh.h"
#include "feed/xml_tree.h"
#include "services/controls.h"
#include "services/settings.h"
#include "services/sole_instance.h"
#include "services/text_file.h"
#include "services/tray.h"
#include "services/dpi_lookup.h"
#include "services/widget_scale.h"
#include "services/windows.h"

namespace {

const unsigned kWidgetWindowFlags = WS_POPUP | CreateHidden;
const int kMainOpacity = 220;
const int kOpaque = 255;
const int kRefreshPeriodMs = 60000;
const int kClockPeriodMs = 1000;
const int kLargeFontPoints = 13;
const int kSmallFontPoints = 10;
const char kFontFace[] = "Tahoma";
const int kWhite = MakeColour(255, 255, 255);
const char kInstanceLockPrefix[] = "Nimbrel:";

void StartServices() {
  Application = ApplicationState{};
  InitCommonControls();
  StartImageDecoders();
  StartSockets();
}

// The scale of the monitor where the main window opens: the top centre of
// the primary screen.
void TakeOpeningScale() {
  SetWidgetDpi(MonitorDpiAt(GetSystemMetrics(SM_CXSCREEN) / 2, kMainWindowTop));
}

// Once a plate or a cloud is presented, the system keeps its own copy; the
// decoded picture would only take memory until a new scale loads it again.
template <size_t Count>
void ReleasePictures(const int (&slots)[Count]) {
  for (int slot : slots) FreeImageSlot(slot);
}
const int kPlatePictures[] = {kBaseImage, kForecastImage, kFlipImage};
const int kCloudPictures[] = {kCloud1Image, kCloud4Image, kCloud5Image, kCloud6Image,
                              kCloud7Image};

void LoadPlatePictures() {
  char path[32];
  for (int digit = 0; digit <= 9; ++digit) {
    std::snprintf(path, sizeof path, "Digits/%d.png", digit);
    LoadScaledImageSlot(kFirstDigitImage + digit, path);
  }
  LoadScaledImageSlot(kBaseImage, "Resources/base.png");
  LoadScaledImageSlot(kForecastImage, "Resources/forecast.png");
  LoadScaledImageSlot(kFlipImage, "Resources/flip_bg.png");
}

// A control's place in its window at 96 DPI.
struct ControlPlace {
  int control;
  int x, y, width, height;
};
const ControlPlace kForecastTexts[] = {{kTodayText, 30, 30, 95, 15},
                                       {kTomorrowText, 190, 30, 95, 15}};
const ControlPlace kClockCells[] = {{kFirstDigitImageControl, 36, 2, 48, 83},
                                    {kFirstDigitImageControl + 1, 90, 2, 48, 83},
                                    {kFirstDigitImageControl + 2, 165, 2, 48, 83},
                                    {kFirstDigitImageControl + 3, 219, 2, 48, 83}};
const ControlPlace kClockTexts[] = {{kTownText, 10, 105, 100, 20},
                                    {kSkyText, 10, 126, 150, 15},
                                    {kTemperatureRangeText, 10, 142, 80, 15},
                                    {kDateLineText, 170, 105, 130, 20},
                                    {kWindText, 175, 126, 130, 15},
                                    {kHumidityText, 190, 142, 110, 15}};

void CreateText(const ControlPlace& p, const char* text) {
  CreateTextControl(p.control, Scaled(p.x), Scaled(p.y), Scaled(p.width), Scaled(p.height), text);
}

template <size_t Count>
void PlaceControls(const ControlPlace (&places)[Count]) {
  for (const ControlPlace& p : places)
    PlaceControl(p.control, Scaled(p.x), Scaled(p.y), Scaled(p.width), Scaled(p.height));
}

void ReadCityCode() {
  // The file stays open: the saved place is read from it next, and the
  // exit sequence's OpenSettings closes it.
  if (OpenSettings(kSettingsPath)) SetCityCode(ReadSettingString(kCityCodeKey, ""));
}

// Opens a hidden borderless window at its offset from the main window, sized
// by its picture, and presents the picture on it.
void OpenPlate(int window, int owner, int dx, int dy, const char* title, int image, int opacity) {
  int x = WindowLeft(kMainWindow) + Scaled(dx);
  int y = WindowTop(kMainWindow) + Scaled(dy);
  OpenWindowSlot(window, x, y, ImageSlotWidth(image), ImageSlotHeight(image), title,
                 kWidgetWindowFlags, WindowHandle(owner));
  MakeLayered(WindowHandle(window));
  PresentLayered(WindowHandle(window), image, opacity);
}

bool OpenMainWindow() {
  const ScreenPoint at = MainWindowOpeningPlace();
  if (!OpenWindowSlot(kMainWindow, at.x, at.y, ImageSlotWidth(kBaseImage),
                      ImageSlotHeight(kBaseImage), "Погода", kWidgetWindowFlags, nullptr))
    return false;
  MakeLayered(WindowHandle(kMainWindow));
  PresentLayered(WindowHandle(kMainWindow), kBaseImage, kMainOpacity);
  return true;
}

void OpenForecastPlates() {
  OpenPlate(kForecastWindow, kMainWindow, 3, 200, "6", kForecastImage, kOpaque);
  OpenPlate(kForecastOverlay, kForecastWindow, 3, 200, "6", kForecastImage, kOpaque);
  SwitchToColourKey(kForecastOverlay);
  CreateText(kForecastTexts[0], "Сегодня");
  CreateText(kForecastTexts[1], "Завтра");
}

void OpenClockPlates() {
  OpenPlate(kLeftFlipWindow, kMainWindow, 22, -25, "6", kFlipImage, kOpaque);
  OpenPlate(kRightFlipWindow, kLeftFlipWindow, 151, -25, "", kFlipImage, kOpaque);
  // The overlay opens empty and takes the base plate's size from its picture.
  OpenWindowSlot(kClockOverlay, WindowLeft(kMainWindow), WindowTop(kMainWindow), 0, 0, "Test",
                 kWidgetWindowFlags, WindowHandle(kRightFlipWindow));
  MakeLayered(WindowHandle(kClockOverlay));
  PresentLayered(WindowHandle(kClockOverlay), kBaseImage, kOpaque);
  SwitchToColourKey(kClockOverlay);

  for (const ControlPlace& p : kClockCells)
    CreateImageControl(p.control, Scaled(p.x), Scaled(p.y), Scaled(p.width), Scaled(p.height),
                       nullptr);
  for (const ControlPlace& p : kClockTexts) CreateText(p, "");
}

void StyleTexts() {
  LoadFontSlot(kLargeFont, kFontFace, kLargeFontPoints);
  LoadFontSlot(kSmallFont, kFontFace, kSmallFontPoints);
  // The date text keeps the default GUI font.
  SetControlFont(kTownText, FontSlotHandle(kLargeFont));
  SetControlFont(kSkyText, FontSlotHandle(kSmallFont));
  SetControlFont(kTemperatureRangeText, FontSlotHandle(kSmallFont));
  SetControlFont(kDateLineText, FontSlotHandle(kLargeFont));
  SetControlFont(kHumidityText, FontSlotHandle(kSmallFont));
  // The stock default font is made for 96 DPI only (on Windows): above it
  // the default-font texts take one made for the scale.
  const int defaultFontTexts[] = {kWindText, kTodayText, kTomorrowText};
  if (WidgetDpi() != kBaseDpi && LoadGuiFontSlot(kScaledGuiFont)) {
    for (int text : defaultFontTexts) SetControlFont(text, FontSlotHandle(kScaledGuiFont));
  } else if (FontSlotHandle(kScaledGuiFont)) {
    for (int text : defaultFontTexts) SetControlFont(text, DefaultControlFont);
    FreeFontSlot(kScaledGuiFont);
  }
  for (int text = kTownText; text <= kTomorrowText; ++text) {
    SetControlColour(text, ControlTextColour, kWhite);
    SetControlColour(text, ControlBackColour, KeyColour);
  }
}

void OpenClouds() {
  LoadScaledImageSlot(kCloud1Image, "Weather/cloud_1.png");
  LoadScaledImageSlot(kCloud5Image, "Weather/cloud_5.png");
  LoadScaledImageSlot(kCloud7Image, "Weather/cloud_7.png");
  LoadScaledImageSlot(kCloud6Image, "Weather/cloud_6.png");
  LoadScaledImageSlot(kCloud4Image, "Weather/cloud_4.png");
  for (const CloudOpening& c : kCloudOpenings)
    OpenWindowSlot(c.window, WindowLeft(kMainWindow) + Scaled(c.dx),
                   WindowTop(kMainWindow) + Scaled(c.dy), ImageSlotWidth(c.image),
                   ImageSlotHeight(c.image), "", kWidgetWindowFlags,
                   WindowHandle(kForecastOverlay));
  for (const CloudOpening& c : kCloudOpenings) MakeLayered(WindowHandle(c.window));
  for (const CloudOpening& c : kCloudOpenings)
    PresentLayered(WindowHandle(c.window), c.image, kOpaque);
  for (const CloudOpening& c : kCloudOpenings) SetWindowHidden(c.window, 0);
  ReleasePictures(kCloudPictures);
}

void AddTrayMenu() {
  CatchImageSlot(kTrayIconImage, StoredIconBytes(), StoredIconSize());
  AddTrayIcon(kTrayIcon, WindowHandle(kMainWindow), ImageSlotHandle(kTrayIconImage));
  ShowWeatherAge();  // the first refresh ran before the icon existed
  CreatePopupMenuSlot(kTrayMenu);
  AppendMenuItem(kExitMenuItem, "Выход");
  AppendMenuSeparator();
  AppendMenuItem(kAutostartMenuItem, "Запускать при входе в Windows");
  ShowAutostartChoice();
}

LRESULT WidgetWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  NoteSystemNotice(window, message, wParam, lParam);
  return FollowMainWindow(window, message, wParam, lParam);
}

// An overlay in colour-key mode refuses new pictures: it takes the size of
// its plate's picture the ordinary way.
void SizeOverlay(int overlay, int image) {
  PlaceWindow(overlay, KeepValue, KeepValue, ImageSlotWidth(image), ImageSlotHeight(image));
}

void HideClouds() {
  for (const CloudOpening& c : kCloudOpenings) SetWindowHidden(c.window, 1);
}

}  // namespace

void RescaleWidget(int dpi) {
  if (dpi == WidgetDpi() || !WindowHandle(kMainWindow)) return;
  SetWidgetDpi(dpi);
  // A drift would cross the new monitor at the old pace and place; the
  // clouds end here, their threads then move hidden windows only.
  HideClouds();
  LoadPlatePictures();
  PresentLayered(WindowHandle(kMainWindow), kBaseImage, kMainOpacity);
  PresentLayered(WindowHandle(kForecastWindow), kForecastImage, kOpaque);
  PresentLayered(WindowHandle(kLeftFlipWindow), kFlipImage, kOpaque);
  PresentLayered(WindowHandle(kRightFlipWindow), kFlipImage, kOpaque);
  SizeOverlay(kForecastOverlay, kForecastImage);
  SizeOverlay(kClockOverlay, kBaseImage);
  PlaceControls(kForecastTexts);
  PlaceControls(kClockCells);
  PlaceControls(kClockTexts);
  StyleTexts();
  ReleasePictures(kPlatePictures);
  PlaceAllFollowers();
  // The panels reload the icons for the scale and open their windows afresh.
  UpdateWeatherPanels(1);
  UpdateWeatherPanels(3);
  ForgetDrawnClock();
  RedrawClock();
  // An open city window is made again at the new scale, its list re-read.
  if (WindowHandle(kCityWindow)) OpenCityWindow();
}

void StartWidget() {
  MarkStartupStep("entry");
  // A second start of this program (autostart and a click on a shortcut)
  // leaves before it shows, asks or writes anything.
  if (!ClaimSoleInstance(kInstanceLockPrefix)) ExitProcess(0);
  EnterProgramFolderWhenNeeded();
  MarkStartupStep("instance_and_folder");
  StartServices();
  MarkStartupStep("services");
  StartFeedGateway();
  MarkStartupStep("gateway");
  ClearForecast();
  TakeOpeningScale();
  LoadPlatePictures();
  MarkStartupStep("plate_pictures");
  ReadCityCode();
  MarkStartupStep("settings");
  // Without the main window there is nothing to show, to drag or to leave
  // through: the loop could never end, so the widget ends at once instead.
  if (!OpenMainWindow()) ShutdownWidget();
  MarkStartupStep("main_window");
  OpenForecastPlates();
  OpenClockPlates();
  MarkStartupStep("plates_and_controls");
  StyleTexts();
  ReleasePictures(kPlatePictures);
  MarkStartupStep("fonts");
  RefreshWeather();  // its panel update shows the widget
  MarkStartupStep("first_refresh_shown");
  OpenClouds();
  MarkStartupStep("clouds");
  AddTrayMenu();
  MarkStartupStep("tray");
  Application.mainWindowHandle = WindowHandle(kMainWindow);
  SetWindowHook(WidgetWindowHook);
  SetTimer(Application.mainWindowHandle, kRefreshTimerId, kRefreshPeriodMs, RefreshWeather);
  StartWindowTimer(kMainWindow, kClockTimer, kClockPeriodMs);
  StartCloudDrifts();
  MarkStartupStep("timers_and_drifts");
  WriteStartupReport();
  RunEventLoop();
  ShutdownWidget();
}

void ShutdownWidget() {
  DestroyAllMenuSlots();
  FreeAllXmlDocuments();
  ReleaseThreadHandles();
  RemoveAllTrayIcons();
  CloseSettings();
  StopSockets();
  ReleaseControlServices();
  CloseAllWindowSlots();
  FreeAllFontSlots();
  CloseAllFileSlots();
  FreeAllImageSlots();
  ExitProcess(0);
}
