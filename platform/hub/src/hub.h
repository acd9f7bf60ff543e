// korvex-hub's server: one hub instance, one single-threaded epoll loop, the controller it owns,
// and the port slots of its sub-clients.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "korvex/hub/protocol.h"
#include "korvex/sim/controller.h"

namespace korvex::hub {

// One connection: a driver's link library, or a ctl command.
struct Client {
    int fd = -1;
    pid_t pid = 0;
    int32_t port = -1;  // slot held, -1 none
    int32_t kind = 0;
    bool open = false;
    ConnectionWatch watch;
};

// What ctl reports about the hub itself.
struct ClientInfo {
    pid_t pid;
    int32_t port;
    int32_t kind;
    bool open;
};

class Hub {
  public:
    Hub(std::string instance, sim::Controller& controller);
    ~Hub();
    Hub(const Hub&) = delete;
    Hub& operator=(const Hub&) = delete;

    // Takes the instance's lock and socket. 1 when another hub serves the instance, -1 on error
    // (message on stderr), 0 when ready.
    int Open();
    // Serves until SIGTERM, SIGINT or SIGHUP; removes the socket. 0 on a clean exit.
    int Run();

    const std::string& Instance() const { return instance_; }
    std::vector<ClientInfo> Clients() const;

    // Answers one link operation for `client` (also used by tests without a socket).
    Reply Handle(Client& client, const Request& req);

  private:
    void Accept();
    void Serve(Client& client);
    void Drop(int fd);
    int32_t Claim(Client& client, int32_t port, int32_t kind);
    void Release(Client& client);

    std::string instance_;
    sim::Controller& controller_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    int epollFd_ = -1;
    int signalFd_ = -1;
    std::string socketPath_;
    std::unordered_map<int, Client> clients_;
    std::array<int, sim::kPorts> slotOwner_{-1, -1, -1};  // fd of the client holding each slot
    std::vector<char> buffer_;
};

}  // namespace korvex::hub
