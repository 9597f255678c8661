#pragma once
// The widget's own numbers for its windows, controls, pictures, fonts,
// files, tray icon, menu and timers, kept in one place. They belong to the
// widget as a whole, not to the display: start-up, the event loop and the
// follow hook (app), the refresh's feed document (feed) and the panels and
// clock (display) all read them. The file includes nothing, so every floor
// may read it without reaching up into another's code.

// Windows.
const int kMainWindow = 55;      // base plate, the one the user drags
const int kForecastWindow = 56;  // forecast plate
const int kLeftFlipWindow = 57;
const int kRightFlipWindow = 58;
const int kClockOverlay = 59;  // colour-key overlay over the base plate
const int kDayIconWindow = 60;
const int kForecastOverlay = 61;     // colour-key overlay over the forecast plate
const int kTodayIconWindow = 62;     // small icon of period 1
const int kTomorrowIconWindow = 63;  // small icon of period 3
const int kFirstCloudWindow = 64;    // clouds are 64 to 68
const int kLastCloudWindow = 68;
const int kCloud5Window = 64;  // each cloud window by its picture
const int kCloud1Window = 65;
const int kCloud7Window = 66;
const int kCloud6Window = 67;
const int kCloud4Window = 68;
const int kNightIconWindow = 69;
const int kCityWindow = 91;

// Controls.
const int kTownText = 20;
const int kSkyText = 21;
const int kTemperatureRangeText = 22;
const int kDateLineText = 23;
const int kWindText = 24;
const int kHumidityText = 25;
const int kTodayText = 26;
const int kTomorrowText = 27;
const int kFirstDigitImageControl = 82;  // 82 to 85, empty
const int kCityList = 92;

// Pictures.
const int kFirstDigitImage = 0;  // slot n holds digit n
const int kBaseImage = 71;
const int kForecastImage = 72;
const int kFlipImage = 73;
const int kDayIconImage = 74;
const int kSmallIconImage = 75;
const int kCloud5Image = 76;
const int kCloud1Image = 77;
const int kCloud7Image = 78;
const int kCloud6Image = 79;
const int kCloud4Image = 80;
const int kNightIconImage = 81;
const int kTrayIconImage = 90;

// Fonts.
const int kLargeFont = 86;      // Tahoma 13 pt
const int kSmallFont = 87;      // Tahoma 10 pt
const int kScaledGuiFont = 93;  // the control default font, above 100 % only

// Files, tray, menu, timers, documents.
const int kCityListFile = 0;
const int kTrayIcon = 89;
const int kTrayMenu = 0;
const int kExitMenuItem = 1;
const int kAutostartMenuItem = 2;
const int kClockTimer = 88;
const int kRefreshTimerId = 0;
const int kSoonRefreshTimerId = 94;  // one-shot, after a feed server's Retry-After
const int kFeedDocument = 0;

// Messages the window hook posts to the main window to act on the system's
// notices outside the system's send (WM_APP and up belong to the program).
const int kResumedMessage = 0x8000 + 1;         // woke from sleep
const int kDisplayChangedMessage = 0x8000 + 2;  // the monitors changed
