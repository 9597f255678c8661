#pragma once
// The widget's only network access: one HTTP/1.1 GET over a plain TCP
// connection whose response body is written to a local file. Everything
// runs on the calling thread and every wait is bounded.

#include <cstdint>
#include <string>

// One connected stream socket, opened for one download and closed at its end.
struct TcpConnection {
  uintptr_t socket = ~uintptr_t{0};
};

// Windows Sockets 1.1, started once at start-up. Stopping closes any
// connection still open first. Both may be called more than once.
bool StartSockets();
void StopSockets();

// The host is taken as a dotted IPv4 address when it is one, otherwise
// resolved by name (first address); then a blocking connect.
bool OpenTcpConnection(const std::string& host, uint16_t port, TcpConnection* connection);
void CloseTcpConnection(TcpConnection* connection);

// Sends every byte, retrying failed sends after 50 ms; false when the limit
// (whole seconds of the local clock) passes first.
bool SendAll(const TcpConnection& connection, const char* bytes, int count, int limitSeconds);

// Polls every 100 ms for waiting bytes and receives up to maxCount of them
// with one call; 0 when nothing arrives within the limit. A connection the
// server has closed shows only as silence.
int ReceiveSome(const TcpConnection& connection, char* buffer, int maxCount, int limitSeconds);

// Fetches url and writes the response body to fileName. True when a "200"
// or "302" answer arrived with complete headers and its body (possibly cut
// short) was written; false otherwise, and then fileName is exactly as it
// was before: the file is created only once the headers are in.
bool DownloadToFile(const std::string& url, const std::string& fileName);
