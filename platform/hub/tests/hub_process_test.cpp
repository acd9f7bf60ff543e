// korvex-hub as a program: instances, locking, clean exit, ctl without a hub.
#include "hub_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <fstream>

#include "korvex/hub/protocol.h"
#include "korvex/paths.h"
#include "temp_home.h"

namespace korvex::test {
namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

TEST(HubProgram, SecondHubForAnInstanceExitsAtOnce) {
    HubProcess first("LockMutex");
    ASSERT_TRUE(first.Start());
    const int64_t t0 = NowMs();
    const ProgramResult second = RunProgram({BinDir() + "/korvex-hub", "--instance", "LockMutex"});
    EXPECT_LT(NowMs() - t0, 2000);
    EXPECT_EQ(second.status, 0);
    EXPECT_NE(second.out.find("already served"), std::string::npos) << second.out;
    EXPECT_EQ(Ctl("LockMutex", {"ping"}).out, "pong\n");
}

TEST(HubProgram, DefaultInstanceFollowsTheProgramFolder) {
    HubProcess hub("");
    ASSERT_TRUE(hub.Start());
    const std::string instance = paths::InstanceForFolder(BinDir());
    const ProgramResult state = Ctl(instance, {"state"});
    ASSERT_EQ(state.status, 0) << state.err;
    EXPECT_NE(state.out.find("\"instance\":\"" + instance + "\""), std::string::npos);
}

TEST(HubProgram, TerminationRemovesTheSocketAndAStaleOneIsReplaced) {
    const std::string socket = paths::HubSocket("StaleMutex");
    {
        // A socket file nobody listens on, as a killed hub leaves it.
        const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        strncpy(addr.sun_path, socket.c_str(), sizeof addr.sun_path - 1);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        close(fd);
    }
    ASSERT_TRUE(Exists(socket));
    for (int sig : {SIGTERM, SIGINT}) {
        HubProcess hub("StaleMutex");
        ASSERT_TRUE(hub.Start());
        hub.Signal(sig);
        EXPECT_EQ(hub.Wait(), 0);
        EXPECT_FALSE(Exists(socket));
    }
}

TEST(HubProgram, CtlWithoutAHubFailsWithAMessage) {
    const ProgramResult r = Ctl("NobodyMutex", {"state"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no hub"), std::string::npos) << r.err;
    const ProgramResult none =
        RunProgram({BinDir() + "/korvex-hub", "ctl", "--instance", "A/B", "ping"});
    EXPECT_NE(none.status, 0);
}

TEST(HubProgram, CtlReportsRefusedCommands) {
    HubProcess hub("CtlMutex");
    ASSERT_TRUE(hub.Start());
    const ProgramResult bad = Ctl("CtlMutex", {"language", "7"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_FALSE(bad.err.empty());
    ASSERT_EQ(Ctl("CtlMutex", {"analog", "0", "3", "600"}).status, 0);
    EXPECT_NE(Ctl("CtlMutex", {"state"}).out.find("\"inputs\":[[0,0,0,600,"), std::string::npos);
}

TEST(HubProgram, HelpDocumentsTheVerbs) {
    const ProgramResult r = RunProgram({BinDir() + "/korvex-hub", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("korvex-hub ctl"), std::string::npos);
    EXPECT_NE(r.out.find("unplug"), std::string::npos);
}

TEST(HubProgram, GarbageOnTheSocketOnlyCostsThatConnection) {
    HubProcess hub("NoiseMutex");
    ASSERT_TRUE(hub.Start());
    const std::string path = paths::HubSocket("NoiseMutex");
    for (size_t size : {1, 7, 15, 17, 300}) {
        const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        std::string junk(size, '\x7f');
        ASSERT_EQ(send(fd, junk.data(), junk.size(), MSG_NOSIGNAL), static_cast<ssize_t>(size));
        char buf[16];
        timeval timeout{2, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        EXPECT_EQ(recv(fd, buf, sizeof buf, 0), 0) << size;  // closed by the hub
        close(fd);
    }
    // An unknown operation of the right size is answered with a failure.
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const hub::Request unknown{9999, 0, 0, 0};
    hub::Reply rep{0, 0};
    ASSERT_EQ(send(fd, &unknown, sizeof unknown, MSG_NOSIGNAL), 16);
    ASSERT_EQ(recv(fd, &rep, sizeof rep, 0), 8);
    EXPECT_EQ(rep.rc, -1);
    close(fd);
    EXPECT_EQ(Ctl("NoiseMutex", {"ping"}).out, "pong\n");
}

}  // namespace
}  // namespace korvex::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new korvex::test::TempHome);
    return RUN_ALL_TESTS();
}
