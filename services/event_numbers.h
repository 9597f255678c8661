#pragma once
// The numbers that the window services hand to the event loop, and the small
// values shared by every caller of those services. No Windows headers here,
// so OS-free code can use them too.

// Events returned by WaitEvent and PollEvent. Any other number is a Win32
// message that produced no event, returned as it is (513 a left press, 516 a
// right press, 515 and 518 double clicks, 275 a timer with its own procedure).
const int EventMoveWindow = 3;
const int EventSizeWindow = 5;
const int EventRepaint = 15;
const int EventCloseWindow = 16;
const int EventControl = 13100;
const int EventMenu = 13101;
const int EventTray = 13102;
const int EventActivate = 13104;
const int EventMinimize = 13107;
const int EventMaximize = 13108;
const int EventRestore = 13109;
const int EventTimer = 13110;

// Private window messages.
const unsigned TrayCallbackMessage = 12501;  // what the notification area sends
const unsigned TrayEventMessage = 12502;     // the same, re-posted
const unsigned ControlEventMessage = 13103;  // wParam control number, lParam type

// Subtypes of EventTray.
const int TrayLeftPress = 0;
const int TrayRightPress = 1;
const int TrayLeftDoubleClick = 2;
const int TrayRightDoubleClick = 3;

// Subtypes of EventControl that the controls produce themselves; other
// subtypes are the control's own notification code.
const int ControlSelectionChanged = 0;  // LBN_SELCHANGE
const int ControlDoubleClicked = 2;     // LBN_DBLCLK
const int ControlDragged = 14002;

// Command numbers of the Tab and Shift+Tab accelerators.
const int NextControlCommand = 64001;
const int PreviousControlCommand = 64002;

// A position or size argument that keeps the current value.
const int KeepValue = -65535;

// Colours are 0x00BBGGRR; -1 stands for "default" or "none" wherever a
// colour is optional.
const int DefaultColour = -1;
constexpr int MakeColour(int red, int green, int blue) {
  return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}

// Flags of OpenWindowSlot that are not Win32 style bits.
const unsigned CentreOnScreen = 0x1;
const unsigned CentreOnOwner = 0x2;  // or on the active window
const unsigned ToolWindow = 0x4;
const unsigned NotControlParent = 0x8;
const unsigned CreateHidden = 0x10000000;
