// The host's relay to the server side: one request over loopback TCP, framed
// as korastand-server expects (decimal byte count, "\n", UTF-8 bytes; the
// answer comes back the same way).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace kora::suite {

// The server side's answer, or "" when it cannot be reached (refused, no such
// port), does not answer within `timeout` (which bounds the whole exchange),
// closes early or breaks the framing. An empty answer is exactly what the
// plug-in must be told when nothing came back. Never throws.
std::string relayRequest(const std::string& request, uint16_t port, std::chrono::milliseconds timeout) noexcept;

}  // namespace kora::suite
