#pragma once
// The widget's own feed gateway: when the widget was built for the feed on
// this machine and nimbrel-feed.exe lies beside it, start-up starts the
// gateway unless something already answers on the feed's port.

// Returns once the port answers, or after at most two seconds; does nothing
// for any other feed host.
void StartFeedGateway();
