// Several processes at once, and a writer killed mid-stream.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "korvex/store.h"
#include "temp_home.h"

namespace store = korvex::store;

namespace {

constexpr const char* kShared = "Software\\Vantaro\\Korvex\\Shared";

std::string OwnKey(int child) { return "Software\\Vantaro\\Korvex\\Child" + std::to_string(child); }

std::string Expected(int child, int index) {
    return "child " + std::to_string(child) + " value " + std::to_string(index) + " ñ";
}

// Forks a child that runs `body` and leaves with its result as exit status; never returns in it.
template <typename Body>
pid_t Spawn(Body body) {
    pid_t pid = fork();
    if (pid == 0) {
        int status = 99;
        try {
            status = body();
        } catch (...) {
        }
        _exit(status);
    }
    return pid;
}

int ExitStatus(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Exit status of `pid`, or -1 after killing it when it has not ended by the deadline.
int ExitStatusWithin(pid_t pid, std::chrono::seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

using ConcurrentStoreTest = TempHome;

// Another thread is inside the store (holding its lock, its connection mid-statement) almost
// always when the main thread forks; the child must still get a working store of its own. The
// thread mostly reads, so that the children's writes do not queue behind it.
TEST_F(ConcurrentStoreTest, ForkWhileAnotherThreadUsesStoreGivesChildAWorkingStore) {
    ASSERT_TRUE(store::Set(kShared, "Busy", "0"));
    std::atomic<bool> stop{false};
    std::thread busy([&] {
        for (int i = 0; !stop; ++i) {
            if (i % 200 == 0) store::Set(kShared, "Busy", std::to_string(i));
            store::Get(kShared, "Busy");
        }
    });
    for (int round = 0; round < 5; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        pid_t child = Spawn([round] {
            const std::string name = "Child" + std::to_string(round);
            return store::Set(kShared, name, "ok") && store::Get(kShared, name) == "ok" ? 0 : 1;
        });
        EXPECT_EQ(ExitStatusWithin(child, std::chrono::seconds(20)), 0) << "round " << round;
        EXPECT_EQ(store::Get(kShared, "Child" + std::to_string(round)), "ok");
        if (HasFailure()) break;
    }
    stop = true;
    busy.join();
    EXPECT_EQ(store::IntegrityCheck(), "ok");
}

TEST_F(ConcurrentStoreTest, ManyWritersLoseNothing) {
    constexpr int kChildren = 5;
    constexpr int kValues = 120;
    // The parent has the store open when it forks: the children must not share its connection.
    ASSERT_TRUE(store::Set(kShared, "Parent", "before"));

    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        children.push_back(Spawn([&, c] {
            close(gate[1]);
            char byte;
            (void)read(gate[0], &byte, 1);  // released together when the parent closes the gate
            for (int i = 0; i < kValues; ++i) {
                const std::string name = std::to_string(c) + "/" + std::to_string(i);
                // Alternate between one key every child writes and a key of its own.
                const std::string key = i % 2 ? OwnKey(c) : std::string(kShared);
                if (!store::Set(key, name, Expected(c, i))) {
                    std::fprintf(stderr, "child %d value %d: %s\n", c, i,
                                 store::LastError().c_str());
                    return 1;
                }
            }
            return 0;
        }));
    }
    close(gate[0]);
    close(gate[1]);
    ASSERT_TRUE(store::Set(kShared, "Parent", "during"));
    for (pid_t pid : children) EXPECT_EQ(ExitStatus(pid), 0);

    for (int c = 0; c < kChildren; ++c) {
        for (int i = 0; i < kValues; ++i) {
            const std::string key = i % 2 ? OwnKey(c) : std::string(kShared);
            ASSERT_EQ(store::Get(key, std::to_string(c) + "/" + std::to_string(i)), Expected(c, i))
                << "child " << c << " value " << i;
        }
    }
    EXPECT_EQ(store::Get(kShared, "Parent"), "during");
    EXPECT_EQ(store::ListAll()->size(), static_cast<size_t>(kChildren * kValues + 1));
    EXPECT_EQ(store::IntegrityCheck(), "ok");
}

TEST_F(ConcurrentStoreTest, KilledWriterKeepsEveryCommittedValue) {
    constexpr int kBeforeKill = 150;
    // Values of several pages, so that a kill is likely to land inside a write.
    auto value = [](int i) { return std::to_string(i) + ":" + std::string(6000, 'a' + i % 26); };

    int report[2];
    ASSERT_EQ(pipe(report), 0);
    pid_t writer = Spawn([&] {
        close(report[0]);
        for (int i = 0;; ++i) {
            if (!store::Set(kShared, "V" + std::to_string(i), value(i))) return 1;
            if (write(report[1], &i, sizeof i) != sizeof i) return 2;  // committed
        }
    });
    close(report[1]);

    std::vector<int> committed;
    int index;
    while (read(report[0], &index, sizeof index) == sizeof index) {
        committed.push_back(index);
        if (committed.size() == kBeforeKill) kill(writer, SIGKILL);
    }
    close(report[0]);
    EXPECT_EQ(ExitStatus(writer), 128 + SIGKILL);
    ASSERT_GE(committed.size(), static_cast<size_t>(kBeforeKill));

    EXPECT_EQ(store::IntegrityCheck(), "ok");
    for (int i : committed) ASSERT_EQ(store::Get(kShared, "V" + std::to_string(i)), value(i)) << i;
    // At most the write in flight when the kill came may be there beyond the reported ones.
    EXPECT_LE(store::ListAll()->size(), committed.size() + 1);
    EXPECT_TRUE(store::Set(kShared, "After", "1"));
}

}  // namespace
