#pragma once
// The opening animation: each cloud slides sideways one pixel per step
// across the widget, measured from the main window's current left edge,
// and is then hidden for good.

struct CloudRun {
  int window;
  int start;        // offset from the main window's left edge at step 0
  int direction;    // +1 rightwards, -1 leftwards
  int lastStep;     // steps run from 0 to lastStep inclusive
  int stepDelayMs;  // sleep after every step
  int pauseMs;      // sleep after the last step, before hiding; 0 for none
};

// The five runs in the order their threads start.
const int kCloudRunCount = 5;
extern const CloudRun kCloudRuns[kCloudRunCount];

const int kPollsPerStep = 10;

// Left edge of the run's window at a step, for a main window at mainLeft.
int CloudLeftAt(const CloudRun& run, int mainLeft, int step);

// What a run needs from the window services; tests pass recorders.
struct CloudDriftOps {
  int (*mainLeft)();
  int (*mainTop)();
  // The cloud's row below the main window's top edge: where it opened until
  // the main window first moves, its follow row from then on.
  int (*row)(int window);
  void (*place)(int window, int x, int y);
  void (*poll)();
  void (*delay)(int ms);
  void (*hide)(int window);
};

// Runs one cloud from its first step to its hiding. Each step places the
// cloud from the main window's current edges: a drag that moves the cloud
// meanwhile (from the main thread) can never leave it on a stale row.
void RunCloudDrift(const CloudRun& run, const CloudDriftOps& ops);
