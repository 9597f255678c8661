#include <windows.h>

#include "app/application_state.h"

ApplicationState Application;

void SetCityCode(const std::string& code) {
  Application.CityCode = code;
}
