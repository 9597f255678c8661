#pragma once
// The widget's one display scale: the DPI of the monitor that holds the main
// window, over 96. Every fixed pixel figure of the widget goes through
// Scaled, so that all of them round alike. Free of the OS; any thread may
// read the scale (the cloud threads do), the main thread sets it.

const int kBaseDpi = 96;

// pixels * dpi / 96, rounded to nearest with halves away from zero, as the
// system's MulDiv rounds.
int ScaledPixels(int pixels, int dpi);

// The scale's DPI; kBaseDpi until the start-up sets it.
int WidgetDpi();
void SetWidgetDpi(int dpi);

// A figure given at 96 DPI, at the widget's scale.
int Scaled(int pixels);
