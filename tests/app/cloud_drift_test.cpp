#include "app/cloud_drift.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "services/widget_numbers.h"

namespace {

// One recorded call of a run, in the order the run made it.
struct Call {
  char kind;  // 'p' place, 'q' poll, 'd' delay, 'h' hide
  int a;
  int b;
};

std::vector<Call> calls;
int mainLeft = 500;
int dragAtPlace = -1;  // the place count at which the main window jumps
int draggedLeft = 0;
int placeCount = 0;

int RecordMainLeft() {
  if (placeCount == dragAtPlace) mainLeft = draggedLeft;
  return mainLeft;
}
int mainTop = 40;
int rowShift = 0;  // added to every row, as if the cloud's row changed
int RecordMainTop() {
  return mainTop;
}
int RowOf(int window) {
  return window * 10 + rowShift;
}
std::vector<int> tops;
void RecordPlace(int window, int x, int y) {
  calls.push_back({'p', window, x});
  tops.push_back(y);
  ++placeCount;
}
void RecordPoll() {
  calls.push_back({'q', 0, 0});
}
void RecordDelay(int ms) {
  calls.push_back({'d', ms, 0});
}
void RecordHide(int window) {
  calls.push_back({'h', window, 0});
}

const CloudDriftOps kRecorder = {RecordMainLeft, RecordMainTop, RowOf,     RecordPlace,
                                 RecordPoll,     RecordDelay,   RecordHide};

std::vector<Call> Drift(const CloudRun& run, int left) {
  calls.clear();
  tops.clear();
  mainLeft = left;
  placeCount = 0;
  RunCloudDrift(run, kRecorder);
  return calls;
}

std::vector<int> Places(const std::vector<Call>& got) {
  std::vector<int> xs;
  for (const Call& c : got)
    if (c.kind == 'p') xs.push_back(c.b);
  return xs;
}

const CloudRun& RunOf(int window) {
  for (const CloudRun& r : kCloudRuns)
    if (r.window == window) return r;
  static CloudRun none{};
  ADD_FAILURE() << "no run for window " << window;
  return none;
}

TEST(CloudDrift, EachStepPlacesThenPollsTenTimesThenSleeps) {
  CloudRun run{kCloud4Window, 140, -1, 2, 26, 1000};
  std::vector<Call> got = Drift(run, 100);
  std::string shape;
  for (const Call& c : got) shape += c.kind;
  EXPECT_EQ(shape,
            "pqqqqqqqqqqd"
            "pqqqqqqqqqqd"
            "pqqqqqqqqqqd"
            "dh");
  EXPECT_EQ(got[11].a, 26);
  EXPECT_EQ(got[got.size() - 2].a, 1000);  // the pause comes before hiding
  EXPECT_EQ(got.back().a, kCloud4Window);
  for (const Call& c : got) {
    if (c.kind == 'p') {
      EXPECT_EQ(c.a, kCloud4Window);
    }
  }
}

TEST(CloudDrift, RunWithoutPauseHidesRightAfterTheLastStep) {
  CloudRun run{kCloud5Window, -190, +1, 1, 22, 0};
  std::vector<Call> got = Drift(run, 0);
  ASSERT_GE(got.size(), 2u);
  EXPECT_EQ(got[got.size() - 2].kind, 'd');
  EXPECT_EQ(got[got.size() - 2].a, 22);
  EXPECT_EQ(got.back().kind, 'h');
}

TEST(CloudDrift, RunsCoverTheirRangesBothEndsIncluded) {
  struct Expect {
    int window, first, last, steps, delay, pause;
  } table[] = {
      {kCloud5Window, -190, 210, 401, 22, 0},   {kCloud1Window, -190, 210, 401, 10, 0},
      {kCloud4Window, 140, -60, 201, 26, 1000}, {kCloud7Window, -50, 150, 201, 40, 2000},
      {kCloud6Window, 120, -80, 201, 40, 2000},
  };
  const int left = 533;
  for (const Expect& e : table) {
    SCOPED_TRACE(e.window);
    std::vector<Call> got = Drift(RunOf(e.window), left);
    std::vector<int> xs = Places(got);
    ASSERT_EQ(static_cast<int>(xs.size()), e.steps);
    EXPECT_EQ(xs.front(), left + e.first);
    EXPECT_EQ(xs.back(), left + e.last);
    for (size_t i = 1; i < xs.size(); ++i) ASSERT_EQ(std::abs(xs[i] - xs[i - 1]), 1);
    int sleeps = 0, pauses = 0, polls = 0;
    for (const Call& c : got) {
      if (c.kind == 'q') ++polls;
      if (c.kind == 'd' && c.a == e.delay) ++sleeps;
      if (c.kind == 'd' && c.a != e.delay) ++pauses;
    }
    EXPECT_EQ(polls, e.steps * kPollsPerStep);
    EXPECT_EQ(sleeps, e.steps);
    EXPECT_EQ(pauses, e.pause ? 1 : 0);
    EXPECT_EQ(got.back().kind, 'h');
  }
}

TEST(CloudDrift, DragMidRunContinuesFromTheNewEdgeAtTheSameStep) {
  CloudRun run{kCloud5Window, -190, +1, 400, 22, 0};
  dragAtPlace = 100;
  draggedLeft = 800;
  std::vector<int> xs = Places(Drift(run, 500));
  dragAtPlace = -1;
  ASSERT_EQ(xs.size(), 401u);
  EXPECT_EQ(xs[99], 500 - 190 + 99);
  EXPECT_EQ(xs[100], 800 - 190 + 100);
  EXPECT_EQ(xs[400], 800 + 210);
}

TEST(CloudDrift, EveryStepTakesTheRowFromTheMainWindowsCurrentTop) {
  // A placement from the main thread between two steps cannot stick the
  // cloud on an old row: each step sets the row again from the main window.
  CloudRun run{kCloud1Window, -190, +1, 3, 10, 0};
  mainTop = 100;
  Drift(run, 0);
  ASSERT_EQ(tops.size(), 4u);
  for (int top : tops) EXPECT_EQ(top, 100 + kCloud1Window * 10);
  rowShift = 100;
  mainTop = 300;
  Drift(run, 0);
  for (int top : tops) EXPECT_EQ(top, 300 + kCloud1Window * 10 + 100);
  rowShift = 0;
  mainTop = 40;
}

}  // namespace
