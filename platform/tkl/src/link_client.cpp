#include "link_client.h"

#include <errno.h>
#include <pthread.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <new>

#include "korvex/paths.h"
#include "korvex/sim/op.h"

namespace korvex::tkl {
namespace {

using sim::Op;

int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void SleepMs(int ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

constexpr int32_t OpCode(Op op) { return static_cast<int32_t>(op); }

}  // namespace

LinkClient& LinkClient::Get() {
    static LinkClient* const client = [] {
        auto* c = new LinkClient;
        c->defaultInstance_ = paths::InstanceForFolder(
            paths::ModuleFolder(reinterpret_cast<const void*>(&LinkClient::Get)));
        pthread_atfork(nullptr, nullptr, [] { Get().ResetAfterFork(); });
        return c;
    }();
    return *client;
}

int LinkClient::Connect(const std::string& instance) {
    const std::string path = paths::HubSocket(instance);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return -1;
    memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    // Bounds connect (full backlog of a stopped hub), send and receive alike.
    timeval timeout{0, kReplyTimeoutMs * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Hot path: one send and one receive, no allocation.
bool LinkClient::RoundTrip(int fd, const hub::Request& req, hub::Reply& rep, bool& timedOut) {
    timedOut = false;
    ssize_t n;
    do {
        n = send(fd, &req, sizeof req, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(sizeof req)) {
        timedOut = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        return false;
    }
    do {
        n = recv(fd, &rep, sizeof rep, 0);
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(sizeof rep)) {
        timedOut = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        return false;
    }
    return true;
}

void LinkClient::Drop() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    connected_.clear();
}

bool LinkClient::EnsureConnected() {
    if (fd_ >= 0) return true;
    const int64_t now = NowMs();
    if (now < nextAttemptMs_) return false;
    nextAttemptMs_ = now + kRetryMs;
    const std::string& instance = instance_.empty() ? defaultInstance_ : instance_;
    if (instance.empty()) return false;
    const int fd = Connect(instance);
    if (fd < 0) return false;
    if (claimed_) {
        hub::Reply rep{};
        bool timedOut = false;
        const hub::Request claim{OpCode(Op::TKLSubArrives), port_, kind_, 0};
        if (!RoundTrip(fd, claim, rep, timedOut) || rep.rc != hub::kClaimAccepted) {
            close(fd);
            if (timedOut) nextAttemptMs_ = NowMs() + kStalledRetryMs;
            return false;
        }
    }
    fd_ = fd;
    connected_ = instance;
    return true;
}

bool LinkClient::Call(const hub::Request& req, hub::Reply& rep) {
    std::lock_guard<std::mutex> lock(mu_);
    if (fd_ < 0 && !EnsureConnected()) return false;
    bool timedOut = false;
    if (RoundTrip(fd_, req, rep, timedOut)) return true;
    Drop();
    if (timedOut) nextAttemptMs_ = NowMs() + kStalledRetryMs;
    return false;
}

int32_t LinkClient::Join(int32_t port, int32_t kind, const char* name) {
    if (port < 0 || port > 2 || !name || !*name || strlen(name) > 64 || strchr(name, '/')) {
        return hub::kClaimRefused;
    }
    std::lock_guard<std::mutex> lock(mu_);
    if (fd_ >= 0 && connected_ != name) Drop();
    instance_ = name;
    claimed_ = false;
    if (fd_ < 0) {
        const int64_t deadline = NowMs() + kJoinWaitMs;
        for (;;) {
            const int fd = Connect(instance_);
            if (fd >= 0) {
                fd_ = fd;
                connected_ = instance_;
                break;
            }
            if (NowMs() >= deadline) return 2;
            SleepMs(25);
        }
    }
    hub::Reply rep{};
    bool timedOut = false;
    if (!RoundTrip(fd_, hub::Request{OpCode(Op::TKLSubArrives), port, kind, 0}, rep, timedOut)) {
        Drop();
        return 2;
    }
    if (rep.rc == hub::kClaimAccepted) {
        claimed_ = true;
        port_ = port;
        kind_ = kind;
    }
    return rep.rc;
}

void LinkClient::Leave() {
    std::lock_guard<std::mutex> lock(mu_);
    claimed_ = false;
    if (fd_ < 0) return;
    hub::Reply rep{};
    bool timedOut = false;
    if (!RoundTrip(fd_, hub::Request{OpCode(Op::TKLSubExits), 0, 0, 0}, rep, timedOut)) Drop();
}

int32_t LinkClient::HubPresent() {
    std::lock_guard<std::mutex> lock(mu_);
    hub::Reply rep{};
    bool timedOut = false;
    const hub::Request ping{hub::kOpPing, 0, 0, 0};
    std::string tried;
    if (fd_ >= 0) {
        if (RoundTrip(fd_, ping, rep, timedOut)) return 1;
        if (timedOut) tried = connected_;  // a stopped hub: do not wait for it twice
        Drop();
    }
    for (const std::string* instance : {&instance_, &defaultInstance_}) {
        if (instance->empty() || *instance == tried) continue;
        tried = *instance;
        const int fd = Connect(*instance);
        if (fd < 0) continue;
        const bool answered = RoundTrip(fd, ping, rep, timedOut);
        close(fd);
        if (answered) return 1;
    }
    return 0;
}

int32_t LinkClient::CachedLanguage() {
    std::lock_guard<std::mutex> lock(mu_);
    return language_;
}

int32_t LinkClient::CachedCommMethod() {
    std::lock_guard<std::mutex> lock(mu_);
    return commMethod_;
}

void LinkClient::RememberLanguage(int32_t id) {
    std::lock_guard<std::mutex> lock(mu_);
    language_ = id;
}

void LinkClient::RememberCommMethod(int32_t method) {
    std::lock_guard<std::mutex> lock(mu_);
    commMethod_ = method;
}

void LinkClient::ResetAfterFork() {
    // Only this thread exists in the child; a mutex held by another parent thread is reset.
    new (&mu_) std::mutex;
    if (fd_ >= 0) close(fd_);  // the child's copy; the parent's connection stays
    fd_ = -1;
    connected_.clear();
    instance_.clear();
    claimed_ = false;
    nextAttemptMs_ = 0;
}

}  // namespace korvex::tkl
