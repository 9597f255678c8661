#pragma once
// The widget's only network access: one HTTP/1.1 GET over a plain TCP
// connection whose response body is written to a local file. Everything
// runs on the calling thread and every wait is bounded.

#include <cstdint>
#include <string>

// One connected stream socket, opened for one download and closed at its end.
// No wait on it goes on past 15 s after it was asked for.
struct TcpConnection {
  uintptr_t socket = ~uintptr_t{0};
  uint32_t startTick = 0;  // the system's millisecond tick when it was asked for
};

// Windows Sockets 1.1, started once at start-up. Stopping closes any
// connection still open first. Both may be called more than once.
bool StartSockets();
void StopSockets();

// The host is taken as a dotted IPv4 address when it is one, otherwise
// resolved by name (first address); then a connect that gives up after 10 s.
bool OpenTcpConnection(const std::string& host, uint16_t port, TcpConnection* connection);
void CloseTcpConnection(TcpConnection* connection);

// Whether something accepts a connection on host:port within the limit; the
// connection is closed again at once.
bool TcpPortAnswers(const std::string& host, uint16_t port, uint32_t limitMilliseconds);

// Sends every byte, waiting while the send buffer is full; false when the
// limit (whole seconds of the local clock) passes first or the connection
// fails.
bool SendAll(const TcpConnection& connection, const char* bytes, int count, int limitSeconds);

// Waits for bytes and receives up to maxCount of them with one call as soon
// as any arrive; 0 when nothing arrives within the limit, or at once when
// the server has closed the connection.
int ReceiveSome(const TcpConnection& connection, char* buffer, int maxCount, int limitSeconds);

// Fetches url and writes the response body to fileName. True when a "200"
// or "302" answer arrived with complete headers and its body (possibly cut
// short) was written; false otherwise, and then fileName is exactly as it
// was before: the file is created only once the headers are in. The whole
// exchange, connecting included, takes at most 15 s. A refused answer's
// Retry-After (seconds) goes to retryAfterSeconds when given, else 0.
bool DownloadToFile(const std::string& url, const std::string& fileName,
                    int32_t* retryAfterSeconds = nullptr);
