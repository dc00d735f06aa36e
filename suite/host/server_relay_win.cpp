#include "server_relay_win.h"

#include <winsock2.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "base/owner.h"

namespace kora::suite {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMaxAnswer = 1 << 20;
constexpr std::size_t kMaxCountDigits = 7;

class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        ok_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession() {
        if (ok_) ::WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

struct CloseSocket {
    static SOCKET none() noexcept { return INVALID_SOCKET; }
    void operator()(SOCKET s) const noexcept { ::closesocket(s); }
};
using Socket = Owner<SOCKET, CloseSocket>;

// Waits until the socket can be written (or has failed, for a pending
// connect) or read; false when the deadline passes first.
bool waitFor(SOCKET s, bool forWrite, Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    timeval tv;
    tv.tv_sec = static_cast<long>(left.count() / 1'000'000);
    tv.tv_usec = static_cast<long>(left.count() % 1'000'000);
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    const int n = forWrite ? ::select(0, nullptr, &ready, &failed, &tv) : ::select(0, &ready, nullptr, &failed, &tv);
    return n > 0;
}

bool connectBefore(SOCKET s, uint16_t port, Clock::time_point deadline) {
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return true;
    if (::WSAGetLastError() != WSAEWOULDBLOCK) return false;
    if (!waitFor(s, true, deadline)) return false;
    int error = 0;
    int len = sizeof error;
    return ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) == 0 && error == 0;
}

bool sendAll(SOCKET s, std::string_view data, Clock::time_point deadline) {
    while (!data.empty()) {
        if (!waitFor(s, true, deadline)) return false;
        const int chunk = static_cast<int>(std::min<std::size_t>(data.size(), 1 << 16));
        const int n = ::send(s, data.data(), chunk, 0);
        if (n == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool receiveExact(SOCKET s, char* out, std::size_t size, Clock::time_point deadline) {
    while (size > 0) {
        if (!waitFor(s, false, deadline)) return false;
        const int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 16));
        const int n = ::recv(s, out, chunk, 0);
        if (n == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK) continue;
        if (n <= 0) return false;  // closed early, or failed
        out += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The answer's count line, read a byte at a time so none of the body is taken.
bool receiveCount(SOCKET s, std::size_t& count, Clock::time_point deadline) {
    std::string digits;
    for (;;) {
        char c;
        if (!receiveExact(s, &c, 1, deadline)) return false;
        if (c == '\n') break;
        if (c < '0' || c > '9' || digits.size() == kMaxCountDigits) return false;
        digits += c;
    }
    if (digits.empty() || (digits.size() > 1 && digits[0] == '0')) return false;
    count = 0;
    for (const char c : digits) count = count * 10 + static_cast<std::size_t>(c - '0');
    return count <= kMaxAnswer;
}

std::string exchange(const std::string& request, uint16_t port, Clock::time_point deadline) {
    WinsockSession session;
    if (!session.ok()) return {};
    Socket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s || !connectBefore(s.get(), port, deadline)) return {};
    const std::string frame = std::to_string(request.size()) + "\n" + request;
    if (!sendAll(s.get(), frame, deadline)) return {};
    ::shutdown(s.get(), SD_SEND);
    std::size_t count = 0;
    if (!receiveCount(s.get(), count, deadline)) return {};
    std::string answer(count, '\0');
    if (!receiveExact(s.get(), answer.data(), count, deadline)) return {};
    return answer;
}

}  // namespace

std::string relayRequest(const std::string& request, uint16_t port, std::chrono::milliseconds timeout) noexcept {
    try {
        if (port == 0 || timeout.count() <= 0) return {};
        const auto bounded = std::min<std::chrono::milliseconds>(timeout, std::chrono::hours(24));
        return exchange(request, port, Clock::now() + bounded);
    } catch (...) {
        return {};  // out of memory: as good as no answer
    }
}

}  // namespace kora::suite
