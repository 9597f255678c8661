#pragma once
// The few socket calls the gateway's accept loop needs, the same on Windows
// Sockets and POSIX sockets. Connections are non-blocking; every wait is
// bounded by its caller.

#include <cstdint>
#include <string>
#include <vector>

using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = -1;

bool StartNetwork();
void StopNetwork();

enum class ListenStatus { Listening, PortTaken, Failed };

// Binds a dotted IPv4 address exclusively: a second listener on the same
// port is refused, never shared.
ListenStatus OpenListener(const std::string& host, std::uint16_t port, SocketHandle& out);

enum class AcceptStatus { Accepted, NothingWaiting, Failed };

// Failed is what calls for a pause (no descriptors, no memory); a client
// that gave up before it was taken counts as nothing waiting.
AcceptStatus AcceptConnection(SocketHandle listener, SocketHandle& out, std::uint32_t& peer);

// Marks in `ready` the sockets that can be read (or accepted on) within the
// wait; false when the wait itself failed.
bool WaitReadable(const std::vector<SocketHandle>& sockets, int milliseconds,
                  std::vector<bool>& ready);

// Bytes received (> 0), 0 when the peer closed, kNothingYet when no byte is
// waiting, another value < 0 on an error.
constexpr int kNothingYet = -2;
int ReceiveBytes(SocketHandle socket, char* buffer, int size);

// False when the peer stopped taking bytes for the whole limit, or failed.
bool SendBytes(SocketHandle socket, const std::string& bytes, int limitMilliseconds);

void CloseSocket(SocketHandle socket);
