// The real korastand-server program, started as a child on a free port and
// spoken to over loopback TCP.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>

#include "server_support.h"
#include "settings_file.h"

namespace kora::suite {
namespace {
namespace fs = std::filesystem;
using namespace test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Waits for input on `fd` until the deadline.
bool readable(int fd, Clock::time_point deadline) {
    pollfd p{fd, POLLIN, 0};
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return ::poll(&p, 1, static_cast<int>(std::max<long long>(0, ms.count()))) > 0;
}

class ServerProcess {
public:
    ServerProcess(const fs::path& settings, std::vector<std::string> args = {}) {
        log_ = settings.string() + ".log";
        int out[2];
        if (::pipe(out) != 0) return;
        args.insert(args.begin(), KORA_SERVER_EXE);
        args.push_back(settings.string());
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        stdout_ = out[0];
        // "listening PORT\n"
        std::string line;
        char c;
        const auto deadline = Clock::now() + 5s;
        while (readable(stdout_, deadline) && ::read(stdout_, &c, 1) == 1 && c != '\n') line += c;
        if (line.starts_with("listening ")) port_ = static_cast<uint16_t>(std::stoi(line.substr(10)));
    }
    ~ServerProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0) ::close(stdout_);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    uint16_t port() const { return port_; }
    std::string log() const { return readAll(log_); }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    uint16_t port_ = 0;
    std::string log_;
};

// Sends `bytes` on a fresh connection and returns everything the server sends
// until it closes; nullopt when it does not close within three seconds.
std::optional<std::string> talk(uint16_t port, std::string_view bytes) {
    struct Socket {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ~Socket() { ::close(fd); }
    } s;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (::connect(s.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::send(s.fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size()))
        return std::nullopt;
    const auto deadline = Clock::now() + 3s;
    std::string data;
    char buf[4096];
    for (ssize_t n; readable(s.fd, deadline);) {
        if ((n = ::recv(s.fd, buf, sizeof buf, 0)) <= 0) return data;
        data.append(buf, static_cast<std::size_t>(n));
    }
    return std::nullopt;
}

// One framed exchange; the answer without its count line.
std::optional<std::string> ask(uint16_t port, const std::string& request) {
    auto frame = talk(port, std::to_string(request.size()) + "\n" + request);
    const auto nl = frame ? frame->find('\n') : std::string::npos;
    if (nl == std::string::npos || std::to_string(frame->size() - nl - 1) != frame->substr(0, nl)) return std::nullopt;
    return frame->substr(nl + 1);
}

constexpr const char* kFetch = "Plugin_zelKORA_GetSettingsRem_k_VB6_1";

using ServerLoopback = ScratchFolder;

TEST_F(ServerLoopback, FramedRequestsAreAnsweredAndBadFramesClosedUnanswered) {
    ServerSettings changed = defaultServer();
    changed.timeLimit = 45;
    changed.roles = {false, true, false, false, false};
    for (auto& w : changed.weapons) w.selected = false;
    const std::string update =
        "Plugin_zelKORA_SetSettingsRem_k_VB6_2_" + payloadFromReply(settingsReply(changed)).text();
    ServerProcess server(file(), {"--timeout-ms", "300"});
    ASSERT_NE(server.port(), 0) << server.log();
    EXPECT_EQ(loadSettingsFile(file()), defaultServer());  // created from the built-in default
    // The last says less than it announced, then nothing: dropped after the time-out.
    for (const std::string frame : {"abc\n", "05\nhello", "9999999\n", "-1\n", "\n", "10\nabc"})
        EXPECT_EQ(talk(server.port(), frame), "") << frame;
    EXPECT_EQ(ask(server.port(), "hello"), "");
    EXPECT_EQ(ask(server.port(), kFetch), settingsReply(defaultServer()));
    EXPECT_EQ(ask(server.port(), update), "1");
    EXPECT_EQ(ask(server.port(), kFetch), settingsReply(changed));
    EXPECT_EQ(ask(server.port(), update + "|"), "0");
    EXPECT_EQ(loadSettingsFile(file()), changed);
}

TEST_F(ServerLoopback, AnUnreadableSettingsFileIsNotServedNorOverwritten) {
    writeAll(file(), "ServerName=only this\n");
    ServerProcess server(file());
    EXPECT_EQ(server.port(), 0);
    EXPECT_EQ(readAll(file()), "ServerName=only this\n");
    EXPECT_NE(server.log().find("\"Country\" is missing"), std::string::npos) << server.log();
}

}  // namespace
}  // namespace kora::suite
