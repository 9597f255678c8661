#include "services/event_queue.h"

void PushEvent(EventQueue& queue, int event, int window) {
  if (!IsQueueEmpty(queue)) {
    const QueuedEvent& last = queue.entries.back();
    if (last.event == event && last.window == window) return;
  }
  queue.entries.push_back(QueuedEvent{event, window});
}

bool PopEvent(EventQueue& queue, QueuedEvent* taken) {
  if (IsQueueEmpty(queue)) return false;
  *taken = queue.entries[queue.head++];
  // Emptied: start again at the front so the storage is reused, not grown.
  if (queue.head == queue.entries.size()) {
    queue.entries.clear();
    queue.head = 0;
  }
  return true;
}

bool IsQueueEmpty(const EventQueue& queue) {
  return queue.head >= queue.entries.size();
}
