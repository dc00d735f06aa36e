// korastand-server: the server side of the plug-in for the demo and the tests.
// It keeps one Duskwater server's settings in a file and answers the
// plug-in's requests that the host relays to it over loopback TCP.
//
// Framing, both ways, one request per connection: the byte count in decimal
// (no sign, no leading zeros), "\n", then that many bytes of UTF-8 text. The
// server reads one request, writes one answer and closes the connection.
// A request it cannot read (bad count, too long, too slow) is closed unanswered.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/owner.h"
#include "server_settings.h"
#include "settings_file.h"

namespace {

using namespace kora::suite;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::size_t kMaxRequest = 1 << 20;
constexpr std::size_t kMaxCountDigits = 7;  // enough for kMaxRequest

constexpr std::string_view kUsage =
    "usage: korastand-server [--port N] [--delay-ms N] [--timeout-ms N] [--once] SETTINGS_FILE\n"
    "  --port N        TCP port on 127.0.0.1; 0 (the default) picks a free one\n"
    "  --delay-ms N    wait N ms before each answer (to exercise the host's time-out)\n"
    "  --timeout-ms N  give up on a client that has not sent its request within N ms (5000)\n"
    "  --once          stop after the first request\n"
    "A missing SETTINGS_FILE is created from the built-in default server.\n"
    "Prints \"listening PORT\" on stdout once it accepts connections.\n";

struct Options {
    uint16_t port = 0;
    int delayMs = 0;
    int timeoutMs = 5000;
    bool once = false;
    fs::path settingsFile;
};

struct CloseFd {
    static int none() noexcept { return -1; }
    void operator()(int fd) const noexcept { ::close(fd); }
};
using Fd = kora::Owner<int, CloseFd>;

// Signals only write a byte here; the loops watch the read end.
int gStopWrite = -1;
void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(gStopWrite, &byte, 1);
    errno = saved;
}

void log(const std::string& line) { std::cerr << "korastand-server: " << line << '\n' << std::flush; }

template <typename T>
bool parseInt(std::string_view text, T& out, T min, T max) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < min || value > max) return false;
    out = value;
    return true;
}

std::optional<Options> parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--once") {
            o.once = true;
        } else if (arg == "--port" && hasValue) {
            if (!parseInt<uint16_t>(argv[++i], o.port, 0, 65535)) return std::nullopt;
        } else if (arg == "--delay-ms" && hasValue) {
            if (!parseInt(argv[++i], o.delayMs, 0, 3'600'000)) return std::nullopt;
        } else if (arg == "--timeout-ms" && hasValue) {
            if (!parseInt(argv[++i], o.timeoutMs, 1, 3'600'000)) return std::nullopt;
        } else if (!arg.starts_with("--") && o.settingsFile.empty()) {
            o.settingsFile = arg;
        } else {
            return std::nullopt;
        }
    }
    if (o.settingsFile.empty()) return std::nullopt;
    return o;
}

// A poll time-out: -1 (no limit) for the far future, else the milliseconds left.
int msUntil(Clock::time_point deadline) {
    if (deadline == Clock::time_point::max()) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left, 0, INT_MAX));
}

// Waits until `fd` is ready for `events`, a stop is requested or the deadline
// passes; true only in the first case.
bool waitFor(int fd, short events, int stopFd, Clock::time_point deadline) {
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
        const int n = ::poll(fds, 2, msUntil(deadline));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || (fds[1].revents & POLLIN)) return false;
        return true;
    }
}

// Reads or writes exactly `size` bytes.
bool transferAll(int fd, char* data, std::size_t size, bool sending, int stopFd, Clock::time_point deadline) {
    while (size > 0) {
        if (!waitFor(fd, sending ? POLLOUT : POLLIN, stopFd, deadline)) return false;
        const auto n = sending ? ::send(fd, data, size, MSG_NOSIGNAL) : ::recv(fd, data, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The count line: digits and "\n"; read a byte at a time so nothing of the
// body is consumed.
std::optional<std::size_t> readCount(int fd, int stopFd, Clock::time_point deadline) {
    std::string digits;
    for (;;) {
        char c;
        if (!transferAll(fd, &c, 1, false, stopFd, deadline)) return std::nullopt;
        if (c == '\n') break;
        if (c < '0' || c > '9' || digits.size() == kMaxCountDigits) return std::nullopt;
        digits += c;
    }
    if (digits.empty() || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
    std::size_t count = 0;
    if (!parseInt<std::size_t>(digits, count, 0, kMaxRequest)) return std::nullopt;
    return count;
}

// True when a stop is requested before the deadline (at once for a past one).
bool stopRequested(int stopFd, Clock::time_point deadline = {}) {
    for (;;) {
        pollfd p{stopFd, POLLIN, 0};
        const int n = ::poll(&p, 1, msUntil(deadline));
        if (n < 0 && errno == EINTR) continue;
        return n > 0 && (p.revents & POLLIN);
    }
}

class Server {
public:
    Server(Options options, ServerSettings settings, int stopFd)
        : options_(std::move(options)), settings_(std::move(settings)), stopFd_(stopFd) {}

    // One connection: one request, one answer.
    void serve(Fd connection) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(options_.timeoutMs);
        const auto count = readCount(connection.get(), stopFd_, deadline);
        std::string request(count.value_or(0), '\0');
        if (!count || !transferAll(connection.get(), request.data(), request.size(), false, stopFd_, deadline)) {
            log("request not read (bad frame, too long, too slow or stopped); closed unanswered");
            return;
        }
        const Persist persist = [this](const ServerSettings& next) -> std::optional<std::string> {
            try {
                saveSettingsFile(next, options_.settingsFile);
                return std::nullopt;
            } catch (const SettingsFileError& e) {
                return std::string(e.what());
            }
        };
        const Exchange exchange = answerRequest(settings_, request, persist);
        if (options_.delayMs > 0) {
            const auto until = Clock::now() + std::chrono::milliseconds(options_.delayMs);
            if (stopRequested(stopFd_, until)) {
                log(exchange.log + " (stopped before answering)");
                return;
            }
        }
        std::string frame = std::to_string(exchange.answer.size()) + "\n" + exchange.answer;
        const auto answerDeadline = Clock::now() + std::chrono::milliseconds(options_.timeoutMs);
        const bool sent = transferAll(connection.get(), frame.data(), frame.size(), true, stopFd_, answerDeadline);
        ::shutdown(connection.get(), SHUT_WR);
        log(exchange.log + (sent ? "" : " (answer not delivered)"));
    }

private:
    Options options_;
    ServerSettings settings_;
    int stopFd_;
};

std::optional<ServerSettings> loadOrCreate(const fs::path& file) {
    try {
        if (fs::exists(file)) return loadSettingsFile(file);
        ServerSettings settings = defaultServer();
        saveSettingsFile(settings, file);
        log("created " + file.string() + " from the built-in default server");
        return settings;
    } catch (const std::exception& e) {
        log(e.what());
        return std::nullopt;
    }
}

Fd listenOnLoopback(uint16_t port, uint16_t& actualPort) {
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return fd;
    const int on = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    socklen_t len = sizeof addr;
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd.get(), 16) != 0 ||
        ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return Fd();
    actualPort = ntohs(addr.sin_port);
    return fd;
}

bool installStopSignals(Fd& readEnd, Fd& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    readEnd = Fd(fds[0]);
    writeEnd = Fd(fds[1]);
    gStopWrite = fds[1];
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

int run(const Options& options) {
    Fd stopRead, stopWrite;
    if (!installStopSignals(stopRead, stopWrite)) {
        log(std::string("cannot install signal handling: ") + std::strerror(errno));
        return 1;
    }
    auto settings = loadOrCreate(options.settingsFile);
    if (!settings) return 1;
    uint16_t port = 0;
    Fd listener = listenOnLoopback(options.port, port);
    if (!listener) {
        log("cannot listen on 127.0.0.1:" + std::to_string(options.port) + ": " + std::strerror(errno));
        return 1;
    }
    std::cout << "listening " << port << std::endl;

    Server server(options, std::move(*settings), stopRead.get());
    const auto never = Clock::time_point::max();
    while (waitFor(listener.get(), POLLIN, stopRead.get(), never)) {
        Fd connection(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!connection) continue;
        server.serve(std::move(connection));
        if (options.once || stopRequested(stopRead.get())) break;
    }
    log("stopped");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = parseOptions(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        return run(*options);
    } catch (const std::exception& e) {
        log(std::string("fatal: ") + e.what());
        return 1;
    }
}
