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
#include <thread>

#include "server_support.h"
#include "settings_file.h"

namespace kora::suite {
namespace {
namespace fs = std::filesystem;
using namespace test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    return static_cast<int>(std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
}

// Reads one byte before the deadline; nullopt on end of stream or time-out.
std::optional<char> readByte(int fd, Clock::time_point deadline) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, msLeft(deadline)) <= 0) return std::nullopt;
    char c;
    return ::read(fd, &c, 1) == 1 ? std::optional<char>(c) : std::nullopt;
}

class ServerProcess {
public:
    ServerProcess(const fs::path& settings, std::vector<std::string> options = {}) {
        log_ = settings;
        log_ += ".log";
        int out[2];
        if (::pipe(out) != 0) return;
        std::vector<std::string> args{KORA_SERVER_EXE};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(settings.string());
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            const int err = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(err, STDERR_FILENO);
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
        const auto deadline = Clock::now() + 5s;
        while (auto c = readByte(stdout_, deadline)) {
            if (*c == '\n') break;
            line += *c;
        }
        if (line.rfind("listening ", 0) == 0)
            port_ = static_cast<uint16_t>(std::stoi(line.substr(10)));
    }
    ~ServerProcess() {
        if (pid_ > 0 && !exit_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0) ::close(stdout_);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    uint16_t port() const { return port_; }
    std::string log() const { return readAll(log_); }

    // The exit status once the program ends by itself within `limit`.
    std::optional<int> waitForExit(std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        while (!exit_) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (Clock::now() > deadline) break;
            std::this_thread::sleep_for(10ms);
        }
        return exit_;
    }
    std::optional<int> terminate(std::chrono::milliseconds limit = 3s) {
        ::kill(pid_, SIGTERM);
        return waitForExit(limit);
    }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    uint16_t port_ = 0;
    fs::path log_;
    std::optional<int> exit_;
};

class Connection {
public:
    explicit Connection(uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(port);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~Connection() { ::close(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool connected() const { return connected_; }
    bool send(std::string_view bytes) {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // Everything the server sends until it closes; nullopt when it has not
    // closed within the time-out.
    std::optional<std::string> receiveAll(std::chrono::milliseconds timeout = 3s) {
        const auto deadline = Clock::now() + timeout;
        std::string data;
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, msLeft(deadline)) <= 0) return std::nullopt;
            char buf[4096];
            const auto n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0) return data;
            data.append(buf, static_cast<std::size_t>(n));
        }
    }

private:
    int fd_;
    bool connected_ = false;
};

// One framed exchange; the answer without its count line.
std::optional<std::string> ask(uint16_t port, const std::string& request) {
    Connection c(port);
    if (!c.connected() || !c.send(std::to_string(request.size()) + "\n" + request))
        return std::nullopt;
    auto frame = c.receiveAll();
    if (!frame) return std::nullopt;
    const auto nl = frame->find('\n');
    if (nl == std::string::npos || std::to_string(frame->size() - nl - 1) != frame->substr(0, nl))
        return std::nullopt;
    return frame->substr(nl + 1);
}

// The update the plug-in would send for these settings, its key holding the index mark.
std::string updateRequest(const ServerSettings& s) {
    return "Plugin_zelKORA_SetSettingsRem_key_with_VB6__VB6_2_" + payloadFromReply(settingsReply(s)).text();
}

using ServerLoopback = ScratchFolder;

TEST_F(ServerLoopback, FetchUpdateFetchOverTcpAndAcrossARestart) {
    ServerSettings changed = defaultServer();
    changed.timeLimit = 45;
    changed.autoBalance = false;
    changed.roles = {false, true, false, false, false};
    for (auto& w : changed.weapons) w.selected = false;
    {
        ServerProcess server(file());
        ASSERT_NE(server.port(), 0) << server.log();
        EXPECT_EQ(loadSettingsFile(file()), defaultServer());  // created from the built-in default

        EXPECT_EQ(ask(server.port(), "Plugin_zelKORA_GetSettingsRem_k_VB6_1"),
                  settingsReply(defaultServer()));
        EXPECT_EQ(ask(server.port(), updateRequest(changed)), "1");
        EXPECT_EQ(ask(server.port(), "Plugin_zelKORA_GetSettingsRem_k_VB6_1"),
                  settingsReply(changed));
        EXPECT_EQ(loadSettingsFile(file()), changed);

        EXPECT_EQ(ask(server.port(), updateRequest(changed) + "|"), "0");
        EXPECT_EQ(ask(server.port(), "Plugin_zelKORA_Ping_k_VB6_1"), "");
        EXPECT_EQ(loadSettingsFile(file()), changed);
        EXPECT_EQ(server.terminate(), 0);

        const std::string log = server.log();
        EXPECT_NE(log.find("GetSettingsRem key=\"k\" index=1 -> "), std::string::npos) << log;
        EXPECT_NE(log.find("SetSettingsRem key=\"key_with_VB6_\" index=2 -> 1\n"),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find("SetSettingsRem key=\"key_with_VB6_\" index=2 -> 0: "),
                  std::string::npos)
            << log;
        EXPECT_TRUE(log.ends_with("korastand-server: stopped\n")) << log;
    }
    ServerProcess again(file(), {"--once"});
    ASSERT_NE(again.port(), 0) << again.log();
    EXPECT_EQ(ask(again.port(), "Plugin_zelKORA_GetSettingsRem_k_VB6_1"), settingsReply(changed));
    EXPECT_EQ(again.waitForExit(3s), 0);
}

TEST_F(ServerLoopback, BadFramesAreClosedUnansweredAndServingGoesOn) {
    ServerProcess server(file(), {"--timeout-ms", "300"});
    ASSERT_NE(server.port(), 0) << server.log();
    for (const std::string frame : {"abc\n", "05\nhello", "9999999\n", "-1\n", "\n"}) {
        Connection c(server.port());
        ASSERT_TRUE(c.connected());
        c.send(frame);
        EXPECT_EQ(c.receiveAll(), "") << frame;
    }
    {
        // Says less than it announced, then nothing: dropped after the time-out.
        Connection c(server.port());
        const auto start = Clock::now();
        c.send("10\nabc");
        EXPECT_EQ(c.receiveAll(2s), "");
        EXPECT_LT(Clock::now() - start, 1500ms);
    }
    EXPECT_EQ(ask(server.port(), "hello"), "");
    EXPECT_EQ(ask(server.port(), "Plugin_zelKORA_GetSettingsRem_k_VB6_1"),
              settingsReply(defaultServer()));
    EXPECT_EQ(server.terminate(), 0);
}

TEST_F(ServerLoopback, StopsPromptlyWhileHoldingBackAnAnswer) {
    ServerProcess server(file(), {"--delay-ms", "20000"});
    ASSERT_NE(server.port(), 0) << server.log();
    Connection c(server.port());
    const std::string request = "Plugin_zelKORA_GetSettingsRem_k_VB6_1";
    ASSERT_TRUE(c.send(std::to_string(request.size()) + "\n" + request));
    EXPECT_EQ(c.receiveAll(300ms), std::nullopt);  // nothing yet: the server is holding back
    const auto start = Clock::now();
    EXPECT_EQ(server.terminate(), 0);
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_EQ(c.receiveAll(), "");
    EXPECT_NE(server.log().find("(stopped before answering)"), std::string::npos) << server.log();
}

TEST_F(ServerLoopback, AnUnreadableSettingsFileIsNotServedNorOverwritten) {
    writeAll(file(), "ServerName=only this\n");
    ServerProcess server(file());
    EXPECT_EQ(server.port(), 0);
    EXPECT_EQ(server.waitForExit(3s), 1);
    EXPECT_EQ(readAll(file()), "ServerName=only this\n");
    EXPECT_NE(server.log().find("\"Country\" is missing"), std::string::npos) << server.log();
}

}  // namespace
}  // namespace kora::suite
