// Socket plumbing shared by the loopback test servers: a listening socket on an ephemeral port,
// a refused port, and sends that give up when the server is told to stop.
#pragma once

#include <string>

namespace tovik::testing {

// A socket listening on 127.0.0.1 with a port the system picked, written to `port`; throws when
// none can be had.
int ListenOnLoopback(int& port);

// A loopback port that nothing listens on: connecting to it is refused.
int ClosedPort();

// Waits until `fd` is readable; false once `stopFd` is signalled.
bool WaitReadable(int fd, int stopFd);

// Sends every byte; false when the peer is gone or `stopFd` is signalled first.
bool SendAll(int fd, int stopFd, const std::string& bytes);

}  // namespace tovik::testing
