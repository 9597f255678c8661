#pragma once
// Where the widget's windows sit: every window keeps a fixed offset from the
// outer rectangle of the main window, the one the user drags. The figures
// are those of 96 DPI; the placements scale them (Scaled).

struct WindowOffset {
  int window;
  int dx;
  int dy;
};

const int kMainWindowTop = 40;

// Left edge of the main window when it opens: centred on a 300-pixel plate
// at the widget's scale.
int MainWindowOpeningLeft(int screenWidth);

// The follow hook's places for windows 56 to 69, in the order it moves them.
// Cloud 65 opens one row higher (see kCloudOpenings) and takes this row from
// the first move of the main window on.
const int kFollowerCount = 14;
extern const WindowOffset kFollowerOffsets[kFollowerCount];

// The window operations the follow placement needs; the shell passes the
// window services, tests pass recorders.
struct FollowOps {
  int (*mainLeft)();
  int (*mainTop)();
  void (*place)(int window, int x, int y);
};

// Moves every follower to its offset; the main window's edges are read
// afresh for each window, since a drag may move it meanwhile.
void PlaceFollowers(const FollowOps& ops);

// Cloud windows as start-up opens them, in opening order, with their pictures.
struct CloudOpening {
  int window;
  int image;
  int dx;
  int dy;
};
const int kCloudCount = 5;
extern const CloudOpening kCloudOpenings[kCloudCount];

// Rows below the main window's top edge: the follow row of a follower, the
// opening row of a cloud; 0 for a window that has none.
int FollowerRow(int window);
int CloudOpeningRow(int window);
