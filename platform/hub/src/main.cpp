// korvex-hub: serves one hub instance with a simulated controller, or sends one ctl command to
// a running hub.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ctl.h"
#include "hub.h"
#include "korvex/hub/protocol.h"
#include "korvex/paths.h"

namespace {

using namespace korvex;

// The instance named by the marker files next to this program.
std::string DefaultInstance() {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return paths::InstanceForFolder(".");
    exe[n] = '\0';
    std::string folder(exe);
    folder.resize(folder.find_last_of('/'));
    return paths::InstanceForFolder(folder);
}

bool ValidInstance(const std::string& name) {
    return !name.empty() && name.size() <= 64 && name.find('/') == std::string::npos &&
           name != "." && name != "..";
}

int Serve(const std::string& instance) {
    sim::Controller controller;
    hub::Hub server(instance, controller);
    const int rc = server.Open();
    if (rc == 1) {
        printf("korvex-hub: instance %s is already served by another hub\n", instance.c_str());
        return 0;
    }
    if (rc != 0) return 1;
    return server.Run();
}

int Ctl(const std::string& instance, const std::vector<std::string>& words) {
    const std::string path = paths::HubSocket(instance);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        fprintf(stderr, "korvex-hub: socket path too long: %s\n", path.c_str());
        return 2;
    }
    memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        fprintf(stderr, "korvex-hub: no hub answers for instance %s (%s)\n", instance.c_str(),
                path.c_str());
        return 2;
    }
    std::string msg(sizeof(int32_t), '\0');
    memcpy(msg.data(), &hub::kOpCtl, sizeof(int32_t));
    for (size_t i = 0; i < words.size(); ++i) msg += (i ? "\n" : "") + words[i];
    std::vector<char> reply(hub::kMaxMessage);
    ssize_t n = -1;
    if (send(fd, msg.data(), msg.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(msg.size())) {
        n = recv(fd, reply.data(), reply.size(), 0);
    }
    close(fd);
    if (n < static_cast<ssize_t>(sizeof(int32_t))) {
        fprintf(stderr, "korvex-hub: no answer from the hub of instance %s\n", instance.c_str());
        return 2;
    }
    int32_t status = 0;
    memcpy(&status, reply.data(), sizeof status);
    std::string text(reply.data() + sizeof status, n - sizeof status);
    if (!text.empty() && text.back() != '\n') text += '\n';
    fputs(text.c_str(), status == 0 ? stdout : stderr);
    return status == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool ctl = false;
    std::string instance;
    size_t i = 0;
    if (i < args.size() && args[i] == "ctl") {
        ctl = true;
        ++i;
    }
    while (i < args.size()) {
        if (args[i] == "--help" || args[i] == "-h") {
            fputs(hub::HelpText(), stdout);
            return 0;
        }
        if (args[i] == "--instance" && i + 1 < args.size()) {
            instance = args[i + 1];
            i += 2;
            continue;
        }
        if (args[i].rfind("--instance=", 0) == 0) {
            instance = args[i].substr(11);
            ++i;
            continue;
        }
        break;
    }
    if (instance.empty()) instance = DefaultInstance();
    if (!ValidInstance(instance)) {
        fprintf(stderr, "korvex-hub: bad instance name \"%s\"\n", instance.c_str());
        return 2;
    }
    std::vector<std::string> rest(args.begin() + i, args.end());
    if (ctl) {
        if (rest.empty()) {
            fprintf(stderr, "korvex-hub ctl: no verb (see korvex-hub --help)\n");
            return 1;
        }
        return Ctl(instance, rest);
    }
    if (!rest.empty()) {
        fprintf(stderr, "korvex-hub: unexpected argument \"%s\" (see korvex-hub --help)\n",
                rest[0].c_str());
        return 2;
    }
    return Serve(instance);
}
