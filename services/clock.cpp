// The wall clock behind CurrentDate, replaceable by tests.
#include <windows.h>

#include "services/dates.h"

namespace {
DateSource dateSource = nullptr;
}

void SetDateSource(DateSource source) {
  dateSource = source;
}

DateValue CurrentDate() {
  if (dateSource) return dateSource();
  SYSTEMTIME now;
  GetLocalTime(&now);
  DateFields f;
  f.year = now.wYear;
  f.month = now.wMonth;
  f.day = now.wDay;
  f.hour = now.wHour;
  f.minute = now.wMinute;
  f.second = now.wSecond;
  return DateFromFields(f);
}
