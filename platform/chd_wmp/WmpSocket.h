#pragma once
// Small socket helpers shared by the SDK and the camera simulator.
// Reentrant; callable from any thread.

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvara::wmp {

// Parses "host[:port]": host is a numeric IPv4 address or "localhost";
// port is 1..65535 in decimal. Names are never looked up, so parsing sends
// nothing over the network.
bool ParseAddress(const std::string& text, uint16_t defaultPort, sockaddr_in* out);

// "a.b.c.d" or "a.b.c.d:port" when port differs from defaultPort.
std::string FormatAddress(const sockaddr_in& address, uint16_t defaultPort);

// Connects with a time limit. Returns the socket (blocking mode, close on
// exec) or -1; *timedOut tells a timeout from a refusal.
int ConnectWithTimeout(const sockaddr_in& address, uint32_t timeoutMs, bool* timedOut);

// Sends everything within timeoutMs (MSG_NOSIGNAL). False on error or
// timeout.
bool SendAll(int fd, const uint8_t* data, size_t size, uint32_t timeoutMs);

// Port a bound socket listens on, 0 on error.
uint16_t BoundPort(int fd);

}  // namespace kelvara::wmp
