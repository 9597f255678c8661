#include "app/cloud_drift.h"

#include "services/widget_numbers.h"
#include "services/widget_scale.h"

const CloudRun kCloudRuns[kCloudRunCount] = {
    {kCloud5Window, -190, +1, 400, 22, 0},   {kCloud1Window, -190, +1, 400, 10, 0},
    {kCloud4Window, 140, -1, 200, 26, 1000}, {kCloud7Window, -50, +1, 200, 40, 2000},
    {kCloud6Window, 120, -1, 200, 40, 2000},
};

int CloudLeftAt(const CloudRun& run, int mainLeft, int step) {
  // The steps stay as many at any scale; each covers the scaled distance.
  return mainLeft + Scaled(run.start + run.direction * step);
}

void RunCloudDrift(const CloudRun& run, const CloudDriftOps& ops) {
  for (int step = 0; step <= run.lastStep; ++step) {
    ops.place(run.window, CloudLeftAt(run, ops.mainLeft(), step),
              ops.mainTop() + Scaled(ops.row(run.window)));
    for (int i = 0; i < kPollsPerStep; ++i) ops.poll();
    ops.delay(run.stepDelayMs);
  }
  if (run.pauseMs > 0) ops.delay(run.pauseMs);
  ops.hide(run.window);
}
