// libtkl.so against the real korvex-hub.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "hub_process.h"
#include "korvex/paths.h"
#include "temp_home.h"
#include "tkl.h"
#include "tkl_table.h"

namespace korvex::test {
namespace {

constexpr int32_t kRotator = 3;

std::string StateOf(const std::string& instance) { return Ctl(instance, {"state"}).out; }

// A hub of its own per test; the library is joined to it on port `port`.
class TklHubTest : public ::testing::Test {
  protected:
    void SetUp() override {
        instance_ =
            std::string("T") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        hub_ = std::make_unique<HubProcess>(instance_);
        ASSERT_TRUE(hub_->Start());
    }
    void Attach(int32_t port) { ASSERT_EQ(TKLSubArrives(port, kRotator, instance_.c_str()), 0); }
    void CtlOk(const std::vector<std::string>& words) {
        const ProgramResult r = Ctl(instance_, words);
        ASSERT_EQ(r.status, 0) << r.err;
    }

    std::string instance_;
    std::unique_ptr<HubProcess> hub_;
};

// Runs `body` in a forked child that reports one number through a pipe and then waits to be
// killed; returns the number (or -1000 when the child died first).
struct Child {
    pid_t pid = -1;
    int32_t reported = -1000;
};

template <typename F>
Child ForkReporting(F body) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    Child child;
    child.pid = fork();
    if (child.pid == 0) {
        close(fds[0]);
        const int32_t v = body();
        if (write(fds[1], &v, sizeof v) != sizeof v) _exit(1);
        for (;;) pause();
    }
    close(fds[1]);
    if (read(fds[0], &child.reported, sizeof child.reported) != sizeof child.reported) {
        child.reported = -1000;
    }
    close(fds[0]);
    return child;
}

TEST_F(TklHubTest, TakenSlotIsRefusedAndFreedWhenItsOwnerDiesOrLeaves) {
    const std::string name = instance_;
    Child owner = ForkReporting([&] { return TKLSubArrives(0, kRotator, name.c_str()); });
    ASSERT_EQ(owner.reported, 0);

    EXPECT_NE(TKLSubArrives(0, kRotator, name.c_str()), 0);
    EXPECT_EQ(TKLSubArrives(1, kRotator, name.c_str()), 0);  // other slots are free

    kill(owner.pid, SIGKILL);
    waitpid(owner.pid, nullptr, 0);
    EXPECT_TRUE(WaitFor([&] { return TKLSubArrives(0, kRotator, name.c_str()) == 0; }, 3000));

    // A sub-client that leaves frees its slot while its process lives on.
    Child leaver = ForkReporting([&] {
        const int32_t rc = TKLSubArrives(2, 6, name.c_str());
        TKLSubExits();
        return rc;
    });
    ASSERT_EQ(leaver.reported, 0);
    EXPECT_EQ(TKLSubArrives(2, 6, name.c_str()), 0);
    kill(leaver.pid, SIGKILL);
    waitpid(leaver.pid, nullptr, 0);
}

TEST(TklTwoHubs, InstancesAreIndependent) {
    HubProcess alpha("AlphaMutex"), beta("BetaMutex");
    ASSERT_TRUE(alpha.Start());
    ASSERT_TRUE(beta.Start());
    ASSERT_EQ(Ctl("BetaMutex", {"language", "3082"}).status, 0);
    ASSERT_EQ(Ctl("AlphaMutex", {"instant", "on"}).status, 0);

    ASSERT_EQ(TKLSubArrives(0, kRotator, "AlphaMutex"), 0);
    EXPECT_EQ(TKLGetLanguage(), 9);
    ASSERT_EQ(StepperGoto(0, 777), 0);

    ASSERT_EQ(TKLSubArrives(0, kRotator, "BetaMutex"), 0);  // same slot, other hub
    EXPECT_EQ(TKLGetLanguage(), 3082);
    int32_t pos = -1;
    ASSERT_EQ(StepperGetPos(0, &pos), 0);
    EXPECT_EQ(pos, 0);
    EXPECT_NE(StateOf("AlphaMutex").find("\"position\":777"), std::string::npos);
    // Leaving Alpha for Beta released the Alpha slot.
    EXPECT_EQ(StateOf("AlphaMutex").find("\"port\":0,\"kind\""), std::string::npos);
    EXPECT_NE(StateOf("BetaMutex").find("\"port\":0,\"kind\":3"), std::string::npos);
}

TEST_F(TklHubTest, UnplugAndPlugAreReportedOnce) {
    Attach(0);
    EXPECT_EQ(TKLCommIsUp(), -1);
    EXPECT_EQ(TKLSubCheckComms(), 1);
    EXPECT_EQ(TKLSubCheckComms(), 0);
    CtlOk({"unplug"});
    EXPECT_EQ(TKLCommIsUp(), 0);
    EXPECT_LT(TKLSubCheckComms(), 0);
    int32_t pos = 12345;
    EXPECT_NE(StepperGetPos(0, &pos), 0);
    EXPECT_EQ(pos, 12345);
    EXPECT_EQ(SysGetFWVersion(), 0);
    CtlOk({"plug"});
    EXPECT_EQ(TKLCommIsUp(), -1);
    EXPECT_EQ(TKLSubCheckComms(), 1);
    EXPECT_EQ(TKLSubCheckComms(), 0);
    EXPECT_EQ(StepperGetPos(0, &pos), 0);
}

// Time of one call in milliseconds.
template <typename F>
int64_t Timed(F call) {
    const int64_t t0 = NowMs();
    call();
    return NowMs() - t0;
}

TEST_F(TklHubTest, KilledHubIsRejoinedAfterRestart) {
    Attach(0);
    CtlOk({"language", "3082"});
    CtlOk({"comm-method", "1"});
    EXPECT_EQ(TKLGetLanguage(), 3082);
    EXPECT_EQ(TKLGetCommMethod(), 1);
    EXPECT_EQ(TKLSubCheckComms(), 1);

    hub_->Signal(SIGKILL);
    hub_->Wait();

    int64_t slowest = 0;
    for (int i = 0; i < 20; ++i) {
        int32_t pos = 0;
        slowest = std::max(slowest, Timed([&] { EXPECT_EQ(TKLCommIsUp(), 0); }));
        slowest = std::max(slowest, Timed([&] { EXPECT_LT(TKLSubCheckComms(), 0); }));
        slowest = std::max(slowest, Timed([&] { EXPECT_NE(StepperGetPos(0, &pos), 0); }));
        slowest = std::max(slowest, Timed([&] { EXPECT_EQ(TKLMainIsPresent(), 0); }));
        // The hub's last language and link kind are still reported.
        EXPECT_EQ(TKLGetLanguage(), 3082);
        EXPECT_EQ(TKLGetCommMethod(), 1);
    }
    EXPECT_LT(slowest, 100) << "calls must not stall while the hub is gone";

    hub_ = std::make_unique<HubProcess>(instance_);
    ASSERT_TRUE(hub_->Start());
    int32_t rc = -1;
    ASSERT_TRUE(WaitFor([&] { return (rc = TKLSubCheckComms()) >= 0; }, 3000));
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(TKLSubCheckComms(), 0);
    EXPECT_EQ(TKLCommIsUp(), -1);
    // The slot was claimed again.
    const std::string me = "\"pid\":" + std::to_string(getpid()) + ",\"port\":0";
    EXPECT_NE(StateOf(instance_).find(me), std::string::npos);
    EXPECT_EQ(TKLMainIsPresent(), 1);
}

TEST_F(TklHubTest, StoppedHubMakesCallsTimeOut) {
    Attach(1);
    EXPECT_EQ(TKLSubCheckComms(), 1);
    hub_->Signal(SIGSTOP);
    int32_t pos = 0;
    const int64_t first = Timed([&] { EXPECT_NE(StepperGetPos(1, &pos), 0); });
    EXPECT_GE(first, 300);
    EXPECT_LE(first, 1500);
    // Until the next attempt, calls fail at once.
    const int64_t next = Timed([&] { EXPECT_EQ(TKLCommIsUp(), 0); });
    EXPECT_LT(next, 100);
    hub_->Signal(SIGCONT);
    int32_t rc = -1;
    ASSERT_TRUE(WaitFor([&] { return (rc = TKLSubCheckComms()) >= 0; }, 6000));
    EXPECT_EQ(rc, 1);
}

TEST_F(TklHubTest, MoveTakesTheTimeItsSpeedImplies) {
    Attach(0);
    ASSERT_EQ(StepperSetSpeedRangeUs(0, 10000, 2000), 0);  // 2 ms per step at travel
    const int64_t t0 = NowMs();
    ASSERT_EQ(StepperGoto(0, 250), 0);  // 500 ms
    bool sawIntermediate = false;
    int32_t pos = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            EXPECT_EQ(StepperGetPos(0, &pos), 0);
            sawIntermediate |= pos > 0 && pos < 250;
            return pos == 250;
        },
        5000));
    const int64_t took = NowMs() - t0;
    EXPECT_TRUE(sawIntermediate);
    EXPECT_GE(took, 450);
    EXPECT_LE(took, 2000);
}

TEST_F(TklHubTest, BacklashVariantsOvershootAndEndOnTarget) {
    Attach(1);
    ASSERT_EQ(StepperSetSpeedRangeUs(1, 2000, 2000), 0);
    struct {
        int32_t (*call)(int32_t, int32_t, int32_t);
        int32_t from, to, backlash;
        const char* kind;
    } cases[] = {{StepperGotoBlash, 0, 100, 50, "blash"}, {StepperGotoODB, 100, 0, 40, "odb"}};
    for (const auto& tc : cases) {
        ASSERT_EQ(StepperSetPos(1, tc.from), 0);
        ASSERT_EQ(tc.call(1, tc.to, tc.backlash), 0);
        int32_t pos = 0, beyond = 0;
        ASSERT_TRUE(WaitFor(
            [&] {
                EXPECT_EQ(StepperGetPos(1, &pos), 0);
                beyond = std::max(beyond, tc.to > tc.from ? pos - tc.to : tc.to - pos);
                return pos == tc.to && beyond > 0 &&
                       StateOf(instance_).find("\"moving\":true") == std::string::npos;
            },
            5000))
            << tc.kind << " at " << pos;
        EXPECT_GT(beyond, tc.backlash / 2) << tc.kind;
        EXPECT_LE(beyond, tc.backlash) << tc.kind;
        EXPECT_NE(StateOf(instance_).find(std::string("\"lastCommand\":\"") + tc.kind),
                  std::string::npos);
    }
}

TEST_F(TklHubTest, RelayPulseLastsItsPeriod) {
    Attach(2);
    int32_t st = -1;
    const int64_t t0 = NowMs();
    ASSERT_EQ(RelioRelayPulse(2, 3, 300, &st), 0);
    EXPECT_EQ(st, 1);
    ASSERT_TRUE(WaitFor(
        [&] {
            EXPECT_EQ(RelioRelayRead(2, 3, &st), 0);
            if (st != 0) {
                EXPECT_LT(NowMs() - t0, 1000);
            }
            return st == 0;
        },
        3000));
    EXPECT_GE(NowMs() - t0, 300);
    EXPECT_LE(NowMs() - t0, 1500);
    // Set and change through the library.
    ASSERT_EQ(RelioRelaySet(2, 0, 1, &st), 0);
    EXPECT_EQ(st, 1);
    ASSERT_EQ(RelioRelayChange(2, 0, &st), 0);
    EXPECT_EQ(st, 0);
}

TEST_F(TklHubTest, OutsideStateReachesTheLibrary) {
    Attach(2);
    CtlOk({"temperature", "int", "-35"});
    CtlOk({"temperature", "ext", "187"});
    CtlOk({"analog", "2", "6", "700"});
    CtlOk({"relay", "2", "1", "closed"});
    CtlOk({"firmware", "1230"});
    int32_t v = 0;
    ASSERT_EQ(ReadCalibIntTempSensor(&v), 0);
    EXPECT_EQ(v, -35);
    ASSERT_EQ(ReadCalibExtTempSensor(&v), 0);
    EXPECT_EQ(v, 187);
    ASSERT_EQ(RelioInputAnRead(2, 6, &v), 0);
    EXPECT_EQ(v, 700);
    ASSERT_EQ(RelioInputDigRead(2, 6, &v), 0);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(RelioRelayRead(2, 1, &v), 0);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(SysGetFWVersion(), 1230);
    ASSERT_EQ(WriteDigital(2, 4, 1), 0);
    ASSERT_EQ(StepperSetModel(2, 2), 0);
    const std::string state = StateOf(instance_);
    EXPECT_NE(state.find("\"digitalOutputs\":[[0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,0],[0,0,0,1,"),
              std::string::npos)
        << state;
    EXPECT_NE(state.find("\"model\":2"), std::string::npos);
    ASSERT_EQ(ReadAnalog(1, 8, &v), 0);
    EXPECT_LE(v, 995);  // default wheel rests between marks
}

TEST_F(TklHubTest, InjectedFailuresAndTheirClearing) {
    Attach(1);
    int32_t v = 0;
    CtlOk({"fail", "StepperGetPos", "port=1", "times=2"});
    EXPECT_NE(StepperGetPos(1, &v), 0);
    EXPECT_EQ(StepperGetPos(0, &v), 0);
    EXPECT_NE(StepperGetPos(1, &v), 0);
    EXPECT_EQ(StepperGetPos(1, &v), 0);

    CtlOk({"fail", "RelioRelayRead", "index=4"});
    CtlOk({"fail", "TKLCommIsUp"});
    CtlOk({"fail", "TKLSubArrives", "port=2"});
    EXPECT_NE(RelioRelayRead(1, 4, &v), 0);
    EXPECT_NE(RelioRelayRead(2, 4, &v), 0);
    EXPECT_EQ(RelioRelayRead(1, 3, &v), 0);
    EXPECT_EQ(TKLCommIsUp(), 0);
    EXPECT_NE(TKLSubArrives(2, kRotator, instance_.c_str()), 0);
    CtlOk({"clear", "TKLCommIsUp"});
    EXPECT_EQ(TKLCommIsUp(), -1);
    CtlOk({"clear"});
    EXPECT_EQ(RelioRelayRead(1, 4, &v), 0);
    EXPECT_EQ(TKLSubArrives(2, kRotator, instance_.c_str()), 0);
}

TEST_F(TklHubTest, BadArgumentsFailWithoutCrashing) {
    Attach(0);
    int32_t v = 0;
    char buf[8];
    const int32_t results[] = {
        StepperGetPos(0, nullptr),
        StepperGetPos(3, &v),
        StepperGetPos(-1, &v),
        StepperGoto(3, 10),
        StepperGotoBlash(-1, 10, 5),
        StepperSetModel(0, 9),
        StepperSetSpeedRangeUs(0, 0, 0),
        ReadCalibIntTempSensor(nullptr),
        ReadCalibExtTempSensor(nullptr),
        ReadAnalog(1, 8, nullptr),
        ReadAnalog(0, 8, &v),
        WriteDigital(0, 0, 1),
        WriteDigital(0, 9, 1),
        RelioRelayRead(0, 8, &v),
        RelioRelaySet(0, -1, 1, &v),
        RelioRelayChange(0, 0, nullptr),
        RelioRelayPulse(0, 0, -5, &v),
        RelioInputAnRead(3, 0, &v),
        RelioInputDigRead(0, 0, nullptr),
        TKLSubArrives(0, kRotator, nullptr),
        TKLSubArrives(0, kRotator, ""),
        TKLSubArrives(0, kRotator, "../escape"),
        TKLSubArrives(7, kRotator, instance_.c_str()),
        TKLSubArrives(0, kRotator, std::string(200, 'x').c_str()),
        ReadFromRegHKCU(nullptr, "x", buf, &v),
        SaveToRegHKCU("k", nullptr, "v"),
    };
    for (size_t i = 0; i < std::size(results); ++i) EXPECT_NE(results[i], 0) << "call " << i;
    traza(nullptr);
    // Still attached and working.
    EXPECT_EQ(StepperGetPos(0, &v), 0);
}

TEST(TklStore, RegistryAndTraceGoToTheStore) {
    ASSERT_EQ(SaveToRegHKCU("Software\\Vantaro\\Korvex\\TklTest", "Name", "Ñandú"), 0);
    char buf[80] = {};
    int32_t len = sizeof buf;
    ASSERT_EQ(ReadFromRegHKCU("Software\\Vantaro\\Korvex\\TklTest", "Name", buf, &len), 0);
    EXPECT_STREQ(buf, "Ñandú");
    EXPECT_EQ(len, 7);
    EXPECT_NE(ReadFromRegHKCU("Software\\Vantaro\\Korvex\\TklTest", "Missing", buf, &len), 0);

    traza("Rotator slot not empty!");
    std::ifstream log(paths::LogFile());
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_NE(text.str().find("Rotator slot not empty!"), std::string::npos);
}

TEST(TklPresence, FolderInstanceIsFoundBeforeAnyAttachment) {
    // Run in a child so that no earlier attachment of this process counts.
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string folderInstance = paths::InstanceForFolder(BinDir());
        int bad = 0;
        if (TKLMainIsPresent() != 0) bad |= 1;
        {
            HubProcess hub(folderInstance);
            if (!hub.Start()) _exit(100);
            if (TKLMainIsPresent() != 1) bad |= 2;
            if (TKLCommIsUp() != -1) bad |= 4;  // reached without TKLSubArrives
        }
        if (TKLMainIsPresent() != 0) bad |= 8;
        _exit(bad);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(TklExports, EveryOperationResolvesByName) {
    void* lib = dlopen((BinDir() + "/libtkl.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    LinkTable table;
#define KORVEX_RESOLVE_(ret, name, params, args) \
    table.name = reinterpret_cast<ret(*) params>(dlsym(lib, #name));
    TKL_OPERATIONS(KORVEX_RESOLVE_)
#undef KORVEX_RESOLVE_
    EXPECT_TRUE(table.Complete());
    EXPECT_EQ(dlsym(lib, "AppendTrace"), nullptr);  // nothing else is exported
    dlclose(lib);
}

}  // namespace
}  // namespace korvex::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new korvex::test::TempHome);
    return RUN_ALL_TESTS();
}
