#pragma once
// Notice of the machine's network changing (an address came or went: Wi-Fi
// joined after log-on, a cable plugged in, a wake from sleep), where the
// system gives one: Windows' NotifyAddrChange. Elsewhere, and where the
// system never tells (Wine), nothing comes: the gateway's own retries of
// unreached requests must do without it.

#include <functional>

// Calls `changed` on a thread of its own after every change, for the rest
// of the process's life.
void WatchNetworkChanges(std::function<void()> changed);
