#include <windows.h>

#include "app/application_state.h"

#include "feed/refresh.h"

ApplicationState Application;

void SetCityCode(const std::string& code) {
  Application.CityCode = code;
  SetRefreshCityCode(code);
}
