#include "hub_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "korvex/hub/protocol.h"
#include "korvex/paths.h"

extern char** environ;

namespace korvex::test {

int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::string BinDir() {
    const char* env = getenv("KORVEX_BIN_DIR");
    return env && *env ? env : KORVEX_BIN_DIR;
}

namespace {

pid_t Spawn(const std::vector<std::string>& args, int outFd, int errFd) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    if (errFd >= 0) posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& args) {
    ProgramResult result;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return result;
    const pid_t pid = Spawn(args, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (pid > 0 && open > 0 && poll(fds, 2, 10000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, n);
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    close(out[0]);
    close(err[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    return result;
}

ProgramResult Ctl(const std::string& instance, const std::vector<std::string>& words) {
    std::vector<std::string> args = {BinDir() + "/korvex-hub", "ctl", "--instance", instance};
    args.insert(args.end(), words.begin(), words.end());
    return RunProgram(args);
}

bool HubAnswers(const std::string& instance, int timeoutMs) {
    const std::string path = paths::HubSocket(instance);
    return WaitFor(
        [&] {
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            memcpy(addr.sun_path, path.c_str(), std::min(path.size() + 1, sizeof addr.sun_path));
            const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
            timeval timeout{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            bool ok = false;
            if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
                const hub::Request ping{hub::kOpPing, 0, 0, 0};
                hub::Reply rep{};
                ok = send(fd, &ping, sizeof ping, MSG_NOSIGNAL) == sizeof ping &&
                     recv(fd, &rep, sizeof rep, 0) == sizeof rep && rep.rc == 0;
            }
            close(fd);
            return ok;
        },
        timeoutMs);
}

HubProcess::HubProcess(std::string instance) : instance_(std::move(instance)) {}

HubProcess::~HubProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool HubProcess::Start() {
    std::vector<std::string> args = {BinDir() + "/korvex-hub"};
    if (!instance_.empty()) {
        args.push_back("--instance");
        args.push_back(instance_);
    }
    pid_ = Spawn(args, -1, -1);
    if (pid_ <= 0) return false;
    const std::string instance = instance_.empty() ? paths::InstanceForFolder(BinDir()) : instance_;
    return HubAnswers(instance, 5000);
}

void HubProcess::Signal(int sig) {
    if (pid_ > 0) kill(pid_, sig);
}

int HubProcess::Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    const pid_t r = waitpid(pid_, &status, 0);
    pid_ = -1;
    return r > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace korvex::test
