#include "hub.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string_view>

#include "ctl.h"
#include "korvex/paths.h"
#include "korvex/sim/op.h"

namespace korvex::hub {
namespace {

using sim::Op;

constexpr int kListenBacklog = 64;
constexpr int kMaxEvents = 32;

std::vector<std::string> SplitWords(std::string_view text) {
    std::vector<std::string> words;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find('\n', start);
        const std::string_view w = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!w.empty()) words.emplace_back(w);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return words;
}

}  // namespace

Hub::Hub(std::string instance, sim::Controller& controller)
    : instance_(std::move(instance)), controller_(controller), buffer_(kMaxMessage) {}

Hub::~Hub() {
    for (auto& [fd, client] : clients_) close(fd);
    if (listenFd_ >= 0) {
        close(listenFd_);
        unlink(socketPath_.c_str());
    }
    if (epollFd_ >= 0) close(epollFd_);
    if (signalFd_ >= 0) close(signalFd_);
    if (lockFd_ >= 0) close(lockFd_);
}

int Hub::Open() {
    const std::string lockPath = paths::HubLock(instance_);
    lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        fprintf(stderr, "korvex-hub: cannot open %s: %s\n", lockPath.c_str(), strerror(errno));
        return -1;
    }
    if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        close(lockFd_);
        lockFd_ = -1;
        return 1;
    }
    // Holding the lock, any socket file left is stale (a hub that was killed).
    socketPath_ = paths::HubSocket(instance_);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof addr.sun_path) {
        fprintf(stderr, "korvex-hub: socket path too long: %s\n", socketPath_.c_str());
        return -1;
    }
    memcpy(addr.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    unlink(socketPath_.c_str());
    listenFd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listenFd_, kListenBacklog) != 0) {
        fprintf(stderr, "korvex-hub: cannot listen on %s: %s\n", socketPath_.c_str(),
                strerror(errno));
        return -1;
    }
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(lockFd_, 0) == 0 && write(lockFd_, pid.data(), pid.size()) < 0) {
        // The pid in the lock file is informative only.
    }

    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGHUP);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    signal(SIGPIPE, SIG_IGN);
    signalFd_ = signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    if (signalFd_ < 0 || epollFd_ < 0) {
        fprintf(stderr, "korvex-hub: %s\n", strerror(errno));
        return -1;
    }
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = listenFd_;
    epoll_ctl(epollFd_, EPOLL_CTL_ADD, listenFd_, &ev);
    ev.data.fd = signalFd_;
    epoll_ctl(epollFd_, EPOLL_CTL_ADD, signalFd_, &ev);
    return 0;
}

int Hub::Run() {
    epoll_event events[kMaxEvents];
    for (;;) {
        const int n = epoll_wait(epollFd_, events, kMaxEvents, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            fprintf(stderr, "korvex-hub: epoll_wait: %s\n", strerror(errno));
            return 1;
        }
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == signalFd_) return 0;  // the destructor removes the socket
            if (fd == listenFd_) {
                Accept();
                continue;
            }
            auto it = clients_.find(fd);
            if (it == clients_.end()) continue;  // dropped earlier in this batch
            if (events[i].events & EPOLLIN) {
                Serve(it->second);
            } else {
                Drop(fd);
            }
        }
    }
}

void Hub::Accept() {
    for (;;) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;  // EAGAIN: all taken; other errors: the client gave up
        Client client;
        client.fd = fd;
        ucred cred{};
        socklen_t len = sizeof cred;
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0) client.pid = cred.pid;
        epoll_event ev{};
        ev.events = EPOLLIN | EPOLLRDHUP;
        ev.data.fd = fd;
        if (epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev) != 0) {
            close(fd);
            continue;
        }
        clients_.emplace(fd, client);
    }
}

void Hub::Serve(Client& client) {
    const ssize_t n = recv(client.fd, buffer_.data(), buffer_.size(), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        Drop(client.fd);
        return;
    }
    if (n == static_cast<ssize_t>(sizeof(Request))) {
        Request req;
        memcpy(&req, buffer_.data(), sizeof req);
        const Reply rep = Handle(client, req);
        // A client that does not read its replies is broken; it loses its connection.
        if (send(client.fd, &rep, sizeof rep, MSG_DONTWAIT | MSG_NOSIGNAL) != sizeof rep) {
            Drop(client.fd);
        }
        return;
    }
    int32_t op = 0;
    if (n >= static_cast<ssize_t>(sizeof op)) memcpy(&op, buffer_.data(), sizeof op);
    if (op != kOpCtl) {
        Drop(client.fd);  // not our protocol
        return;
    }
    const std::string_view text(buffer_.data() + sizeof op, n - sizeof op);
    const CtlResult result = RunCtl(controller_, instance_, Clients(), SplitWords(text));
    std::string answer(sizeof(int32_t), '\0');
    memcpy(answer.data(), &result.status, sizeof result.status);
    answer += result.text.substr(0, kMaxMessage - sizeof(int32_t));
    if (send(client.fd, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0) {
        Drop(client.fd);
    }
}

void Hub::Drop(int fd) {
    auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    Release(it->second);
    epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
    close(fd);
    clients_.erase(it);
}

int32_t Hub::Claim(Client& client, int32_t port, int32_t kind) {
    if (port < 0 || port >= sim::kPorts || controller_.ConsumeFailure(Op::TKLSubArrives, port)) {
        return kClaimRefused;
    }
    const int owner = slotOwner_[port];
    if (owner >= 0 && owner != client.fd) {
        auto it = clients_.find(owner);
        // The same process again on a new connection: its old connection is dead but its
        // hang-up has not been read yet.
        if (it == clients_.end() || it->second.pid != client.pid || client.pid == 0) {
            return kClaimSlotTaken;
        }
        it->second.port = -1;
    }
    Release(client);
    slotOwner_[port] = client.fd;
    client.port = port;
    client.kind = kind;
    client.watch.Reset();
    return kClaimAccepted;
}

void Hub::Release(Client& client) {
    if (client.port >= 0 && slotOwner_[client.port] == client.fd) slotOwner_[client.port] = -1;
    client.port = -1;
    client.open = false;
}

std::vector<ClientInfo> Hub::Clients() const {
    std::vector<ClientInfo> out;
    for (const auto& [fd, c] : clients_) out.push_back({c.pid, c.port, c.kind, c.open});
    return out;
}

Reply Hub::Handle(Client& client, const Request& r) {
    sim::Controller& c = controller_;
    Reply rep{-1, 0};
    switch (r.op) {
        case kOpPing:
            rep.rc = 0;
            break;
        case static_cast<int32_t>(Op::TKLCommIsUp):
            rep.rc = c.TKLCommIsUp();
            break;
        case static_cast<int32_t>(Op::TKLMainIsPresent):
            rep.rc = c.ConsumeFailure(Op::TKLMainIsPresent) ? 0 : 1;
            break;
        case static_cast<int32_t>(Op::TKLSubArrives):
            rep.rc = Claim(client, r.port, r.a);
            break;
        case static_cast<int32_t>(Op::TKLSubOpen):
            if (!c.ConsumeFailure(Op::TKLSubOpen)) {
                client.open = true;
                client.watch.See(c);
            }
            rep.rc = 0;
            break;
        case static_cast<int32_t>(Op::TKLSubClose):
            if (!c.ConsumeFailure(Op::TKLSubClose)) client.open = false;
            rep.rc = 0;
            break;
        case static_cast<int32_t>(Op::TKLSubExits):
            if (!c.ConsumeFailure(Op::TKLSubExits)) Release(client);
            rep.rc = 0;
            break;
        case static_cast<int32_t>(Op::TKLSubCheckComms):
            rep.rc = c.ConsumeFailure(Op::TKLSubCheckComms) ? -1 : client.watch.Check(c);
            break;
        case static_cast<int32_t>(Op::TKLGetLanguage):
            rep.rc = c.TKLGetLanguage();
            break;
        case static_cast<int32_t>(Op::TKLGetCommMethod):
            rep.rc = c.TKLGetCommMethod();
            break;
        case static_cast<int32_t>(Op::SysGetFWVersion):
            rep.rc = c.SysGetFWVersion();
            break;
        case static_cast<int32_t>(Op::StepperGoto):
            rep.rc = c.StepperGoto(r.port, r.a);
            break;
        case static_cast<int32_t>(Op::StepperGotoBlash):
            rep.rc = c.StepperGotoBlash(r.port, r.a, r.b);
            break;
        case static_cast<int32_t>(Op::StepperGotoODB):
            rep.rc = c.StepperGotoODB(r.port, r.a, r.b);
            break;
        case static_cast<int32_t>(Op::StepperGetPos):
            rep.rc = c.StepperGetPos(r.port, &rep.out);
            break;
        case static_cast<int32_t>(Op::StepperSetPos):
            rep.rc = c.StepperSetPos(r.port, r.a);
            break;
        case static_cast<int32_t>(Op::StepperStop):
            rep.rc = c.StepperStop(r.port);
            break;
        case static_cast<int32_t>(Op::StepperSetModel):
            rep.rc = c.StepperSetModel(r.port, r.a);
            break;
        case static_cast<int32_t>(Op::StepperSetHalfstep):
            rep.rc = c.StepperSetHalfstep(r.port, r.a);
            break;
        case static_cast<int32_t>(Op::StepperSetWireMode):
            rep.rc = c.StepperSetWireMode(r.port, r.a);
            break;
        case static_cast<int32_t>(Op::StepperSetStopPow):
            rep.rc = c.StepperSetStopPow(r.port, r.a);
            break;
        case static_cast<int32_t>(Op::StepperSetMovePow):
            rep.rc = c.StepperSetMovePow(r.port, r.a);
            break;
        case static_cast<int32_t>(Op::StepperSetSpeedRangeUs):
            rep.rc = c.StepperSetSpeedRangeUs(r.port, r.a, r.b);
            break;
        case static_cast<int32_t>(Op::StepperSetSpeed):
            rep.rc = c.StepperSetSpeed(r.port, r.a);
            break;
        case static_cast<int32_t>(Op::ReadCalibIntTempSensor):
            rep.rc = c.ReadCalibIntTempSensor(&rep.out);
            break;
        case static_cast<int32_t>(Op::ReadCalibExtTempSensor):
            rep.rc = c.ReadCalibExtTempSensor(&rep.out);
            break;
        case static_cast<int32_t>(Op::ReadAnalog):
            rep.rc = c.ReadAnalog(r.port, r.a, &rep.out);
            break;
        case static_cast<int32_t>(Op::WriteDigital):
            rep.rc = c.WriteDigital(r.port, r.a, r.b);
            break;
        case static_cast<int32_t>(Op::RelioRelayRead):
            rep.rc = c.RelioRelayRead(r.port, r.a, &rep.out);
            break;
        case static_cast<int32_t>(Op::RelioRelaySet):
            rep.rc = c.RelioRelaySet(r.port, r.a, r.b, &rep.out);
            break;
        case static_cast<int32_t>(Op::RelioRelayChange):
            rep.rc = c.RelioRelayChange(r.port, r.a, &rep.out);
            break;
        case static_cast<int32_t>(Op::RelioRelayPulse):
            rep.rc = c.RelioRelayPulse(r.port, r.a, r.b, &rep.out);
            break;
        case static_cast<int32_t>(Op::RelioInputAnRead):
            rep.rc = c.RelioInputAnRead(r.port, r.a, &rep.out);
            break;
        case static_cast<int32_t>(Op::RelioInputDigRead):
            rep.rc = c.RelioInputDigRead(r.port, r.a, &rep.out);
            break;
        default:
            break;  // unknown or library-local operation (store, trace)
    }
    return rep;
}

}  // namespace korvex::hub
