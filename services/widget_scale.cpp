#include "services/widget_scale.h"

#include <atomic>

namespace {
std::atomic<int> widgetDpi{kBaseDpi};
}

int ScaledPixels(int pixels, int dpi) {
  const long long product = static_cast<long long>(pixels) * dpi;
  const long long half = kBaseDpi / 2;
  const long long scaled =
      product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi);
  return static_cast<int>(scaled);
}

int WidgetDpi() {
  return widgetDpi;
}

void SetWidgetDpi(int dpi) {
  widgetDpi = dpi > 0 ? dpi : kBaseDpi;
}

int Scaled(int pixels) {
  return ScaledPixels(pixels, widgetDpi);
}
