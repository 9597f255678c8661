#pragma once
// The clock: four digit pictures for hours and minutes on the clock overlay.

// Draws the digits of the current local time onto window 59; called once a
// second from the event loop. Draws only when the overlay would change (other
// digits, pictures or window than last drawn), so an idle widget wakes once a
// second for the timer and draws once a minute. Draws nothing when the
// overlay does not exist.
void RedrawClock();

// The overlay was erased: the next tick draws every digit again.
void ForgetDrawnClock();
