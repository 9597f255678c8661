#include "services/event_queue.h"

#include <gtest/gtest.h>

#include <vector>

#include "services/event_numbers.h"

namespace {

std::vector<QueuedEvent> TakeAll(EventQueue& queue) {
  std::vector<QueuedEvent> taken;
  QueuedEvent event;
  while (PopEvent(queue, &event)) taken.push_back(event);
  return taken;
}

TEST(EventQueue, EventsComeOutOldestFirstWithTheirWindows) {
  EventQueue queue;
  PushEvent(queue, EventMoveWindow, 55);
  PushEvent(queue, EventCloseWindow, 91);
  PushEvent(queue, EventRepaint, 55);
  std::vector<QueuedEvent> taken = TakeAll(queue);
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[0].event, EventMoveWindow);
  EXPECT_EQ(taken[0].window, 55);
  EXPECT_EQ(taken[1].event, EventCloseWindow);
  EXPECT_EQ(taken[1].window, 91);
  EXPECT_EQ(taken[2].event, EventRepaint);
  EXPECT_TRUE(IsQueueEmpty(queue));
}

TEST(EventQueue, OnlyARepeatOfTheLastPairIsDropped) {
  EventQueue queue;
  PushEvent(queue, EventMoveWindow, 55);
  PushEvent(queue, EventMoveWindow, 55);  // dropped
  PushEvent(queue, EventMoveWindow, 56);  // other window: kept
  PushEvent(queue, EventMoveWindow, 55);  // not equal to the last: kept
  PushEvent(queue, EventRepaint, 55);     // other event: kept
  EXPECT_EQ(TakeAll(queue).size(), 4u);
}

TEST(EventQueue, AfterTheLastIsTakenTheSamePairQueuesAgain) {
  EventQueue queue;
  PushEvent(queue, EventMoveWindow, 55);
  QueuedEvent event;
  ASSERT_TRUE(PopEvent(queue, &event));
  PushEvent(queue, EventMoveWindow, 55);
  EXPECT_EQ(TakeAll(queue).size(), 1u);
}

TEST(EventQueue, PartlyTakenQueueStillComparesWithItsEnd) {
  EventQueue queue;
  PushEvent(queue, EventMoveWindow, 55);
  PushEvent(queue, EventCloseWindow, 55);
  QueuedEvent event;
  ASSERT_TRUE(PopEvent(queue, &event));
  PushEvent(queue, EventCloseWindow, 55);  // equals the end: dropped
  PushEvent(queue, EventMoveWindow, 55);
  std::vector<QueuedEvent> taken = TakeAll(queue);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].event, EventCloseWindow);
  EXPECT_EQ(taken[1].event, EventMoveWindow);
}

TEST(EventQueue, EmptyQueueGivesNothingAndLeavesTheTargetAlone) {
  EventQueue queue;
  QueuedEvent event{42, 7};
  EXPECT_FALSE(PopEvent(queue, &event));
  EXPECT_EQ(event.event, 42);
  EXPECT_EQ(event.window, 7);
}

TEST(EventQueue, ALongRunOfDistinctEventsIsKeptWhole) {
  // A drag moves fourteen windows per step; none of those may be lost.
  EventQueue queue;
  for (int step = 0; step < 100; ++step)
    for (int window = 55; window <= 69; ++window) PushEvent(queue, EventMoveWindow, window);
  std::vector<QueuedEvent> taken = TakeAll(queue);
  ASSERT_EQ(taken.size(), 1500u);
  EXPECT_EQ(taken.back().window, 69);
}

}  // namespace
