#pragma once
// The scaled picture sets staged beside the 100 % pictures: "Digits/0.png"
// at 150 % is "Digits/150/0.png". Free of the OS.

#include <string>

const int kPictureSetCount = 7;
extern const int kPictureSetPercents[kPictureSetCount];  // 100 first, rising

// The set to load for a DPI: its own, else the next larger one (shrunk on
// loading), the largest beyond it (enlarged).
int PictureSetFor(int dpi);
// The DPI a set was rendered for.
int PictureSetDpi(int percent);
// A 100 % path as it lies in a set; the 100 % set is the path itself.
std::string PictureSetPath(const std::string& path, int percent);
// A picture's side when a set picture of that side is shown at dpi; exact
// sets keep their rendered side.
int SideAtDpi(int setSide, int setPercent, int dpi);
