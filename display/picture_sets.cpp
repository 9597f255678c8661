#include "display/picture_sets.h"

#include "services/widget_scale.h"

const int kPictureSetPercents[kPictureSetCount] = {100, 125, 150, 175, 200, 250, 300};

int PictureSetDpi(int percent) {
  return percent * kBaseDpi / 100;
}

int PictureSetFor(int dpi) {
  for (int percent : kPictureSetPercents)
    if (PictureSetDpi(percent) >= dpi) return percent;
  return kPictureSetPercents[kPictureSetCount - 1];
}

std::string PictureSetPath(const std::string& path, int percent) {
  if (percent == kPictureSetPercents[0]) return path;
  const size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + std::to_string(percent) + "/" + name;
}

int SideAtDpi(int setSide, int setPercent, int dpi) {
  const int setDpi = PictureSetDpi(setPercent);
  if (setDpi == dpi) return setSide;
  const long long product = static_cast<long long>(setSide) * dpi;
  return static_cast<int>((product + setDpi / 2) / setDpi);
}
