#pragma once

// What a remote CAPI's socket says about the line. libcapi20's wait reports a socket that the
// far end has closed as "a message is waiting" and its fetch then finds none, for ever; only a
// look at the socket itself tells a lost line from a message still on its way.

#include <chrono>
#include <string>

namespace capi20 {

// True when `fd` is a socket whose far end has closed or reset it; false for a live socket,
// for data still to be read and for a descriptor that is no socket (a local card).
bool SocketEnded(int fd);

// Whether a TCP connection to host:port can be made within `limit`, without libcapi20, so that
// nobody waits on the library's own blocking connect while the far end is still away.
bool Reachable(const std::string& host, int port, std::chrono::milliseconds limit);

}  // namespace capi20
