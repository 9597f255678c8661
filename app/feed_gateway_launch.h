#pragma once
// The widget's own feed gateway: when the widget was built for the feed on
// this machine and nimbrel-feed.exe lies beside it, start-up starts the
// gateway unless something already answers on the feed's port. The gateway
// is told the widget's process id and ends with the widget; a gateway that
// died meanwhile (crashed, ended by hand) is started again by the refresh.

// Returns once the port answers, or after at most two seconds; does nothing
// for any other feed host.
void StartFeedGateway();

// For a refresh whose download failed: when the built-in feed port does not
// answer, starts the gateway again (at most once a minute) and waits for
// its port as start-up does. True when the port answers afterwards, so the
// download is worth one more try.
bool RestartFeedGateway();
