#pragma once
// The events a window procedure queues (moves, sizes, erasures, close
// requests, activations) until the thread's next wait takes them, oldest
// first. A pair equal to the last one queued is dropped, so a burst of moves
// or erasures of one window stays a single entry.

#include <cstddef>
#include <vector>

struct QueuedEvent {
  int event = 0;
  int window = -1;
};

struct EventQueue {
  std::vector<QueuedEvent> entries;
  std::size_t head = 0;  // first entry not yet taken
};

void PushEvent(EventQueue& queue, int event, int window);
// False when the queue is empty.
bool PopEvent(EventQueue& queue, QueuedEvent* taken);
bool IsQueueEmpty(const EventQueue& queue);
