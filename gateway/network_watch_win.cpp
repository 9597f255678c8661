#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include "gateway/network_watch.h"

#include <thread>

void WatchNetworkChanges(std::function<void()> changed) {
  std::thread([changed] {
    // Blocks until an address of the machine changes; a system that cannot
    // tell refuses at once, and then no notice is ever given.
    while (NotifyAddrChange(nullptr, nullptr) == NO_ERROR) changed();
  }).detach();
}
