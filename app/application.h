#pragma once
// The widget as a whole: start-up builds every window, control, picture,
// timer and thread in one fixed order and runs the event loop; shutdown
// releases the services and ends the process.

// Builds the widget, runs the event loop and shuts down. Does not return.
[[noreturn]] void StartWidget();

// Releases every service and ends the process with exit code 0.
[[noreturn]] void ShutdownWidget();
