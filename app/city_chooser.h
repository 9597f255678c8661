#pragma once
// The city window: a list filled from the city list file; a double-click on
// a line makes its code the current city and refreshes the weather at once.

// Opens (or re-opens, re-reading the file) the city window with its list,
// focused. Typed letters select the first town whose name begins with them;
// Enter picks the selected line as a double-click does.
void OpenCityWindow();

// Gives the list the keyboard again (the city window was activated).
void FocusCityList();

// Takes the code of the selected line and refreshes for it; the window stays
// open and nothing is saved until the user leaves. A code that is empty or
// only blanks is no pick: nothing changes.
void PickCity();
