#pragma once
// The tray menu's "Запускать при входе в Windows": checked while the user's
// Run key starts this very program and Task Manager has not switched it off.

// Sets the item's check mark from the registry; run before the menu shows,
// since the user may change the entry elsewhere meanwhile.
void ShowAutostartChoice();

// The user chose the item: a checked item removes the entry, an unchecked
// one writes it for this program's current path.
void ToggleAutostart();
