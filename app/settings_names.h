#pragma once
// The settings file and the keys the widget keeps in it.

const char kSettingsPath[] = "inform.ini";
const char kCityCodeKey[] = "ID";
// Top-left screen position of the main window, written only after a drag.
const char kPlaceXKey[] = "X";
const char kPlaceYKey[] = "Y";
