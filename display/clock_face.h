#pragma once
// The clock: four digit pictures for hours and minutes on the clock overlay.

// Draws the digits of the current local time onto window 59; called once a
// second from the event loop. Draws nothing when the overlay does not exist.
void RedrawClock();
