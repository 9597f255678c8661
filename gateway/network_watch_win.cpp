#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include "gateway/network_watch.h"

#include <chrono>
#include <thread>

namespace {

// Addresses change in bursts (one per adapter and family); one retry a
// second is enough, and a system answering at once can never spin.
const auto kSettle = std::chrono::seconds(1);

}  // namespace

void WatchNetworkChanges(std::function<void()> changed) {
  std::thread([changed] {
    // Blocks until an address of the machine changes; a system that cannot
    // tell refuses at once, and then no notice is ever given.
    while (NotifyAddrChange(nullptr, nullptr) == NO_ERROR) {
      changed();
      std::this_thread::sleep_for(kSettle);
    }
  }).detach();
}
