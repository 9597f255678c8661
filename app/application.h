#pragma once
// The widget as a whole: start-up builds every window, control, picture,
// timer and thread in one fixed order and runs the event loop; shutdown
// releases the services and ends the process.

// Builds the widget, runs the event loop and shuts down. Does not return.
[[noreturn]] void StartWidget();

// Takes another display scale (the main window reached a monitor of that
// DPI): reloads the pictures of the new set, resizes and re-places every
// window and control (an open city window is opened afresh), remakes the
// fonts and redraws. The clouds end at once.
void RescaleWidget(int dpi);

// Releases every service and ends the process with exit code 0.
[[noreturn]] void ShutdownWidget();
