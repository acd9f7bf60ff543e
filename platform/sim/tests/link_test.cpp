#include "korvex/sim/link.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "korvex/paths.h"
#include "temp_home.h"

namespace korvex::sim {
namespace {

class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override { BindInProcess(t, c); }
    void TearDown() override { UnbindInProcess(); }
    ManualClock clock;
    Controller c{clock};
    LinkTable t;
};

TEST_F(LinkTest, BindsEveryOperation) { EXPECT_TRUE(t.Complete()); }

TEST_F(LinkTest, AttachmentIsRecordedAndRefusedOnBadArguments) {
    EXPECT_EQ(t.TKLMainIsPresent(), 1);
    EXPECT_NE(t.TKLSubArrives(3, 3, "KorvexMutex"), 0);
    EXPECT_NE(t.TKLSubArrives(-1, 3, "KorvexMutex"), 0);
    EXPECT_NE(t.TKLSubArrives(0, 3, nullptr), 0);
    EXPECT_NE(t.TKLSubArrives(0, 3, ""), 0);
    EXPECT_FALSE(InProcessState().attached);

    ASSERT_EQ(t.TKLSubArrives(2, 6, "Korvex2ndMutex"), 0);
    t.TKLSubOpen();
    InProcessLink s = InProcessState();
    EXPECT_TRUE(s.attached);
    EXPECT_TRUE(s.open);
    EXPECT_EQ(s.port, 2);
    EXPECT_EQ(s.kind, 6);
    EXPECT_EQ(s.name, "Korvex2ndMutex");
    t.TKLSubClose();
    t.TKLSubExits();
    s = InProcessState();
    EXPECT_FALSE(s.attached);
    EXPECT_FALSE(s.open);

    c.InjectFailure(Op::TKLSubArrives, 0);
    EXPECT_NE(t.TKLSubArrives(0, 3, "KorvexMutex"), 0);
    EXPECT_EQ(t.TKLSubArrives(1, 3, "KorvexMutex"), 0);
    c.InjectFailure(Op::TKLMainIsPresent);
    EXPECT_EQ(t.TKLMainIsPresent(), 0);
}

TEST_F(LinkTest, CheckCommsReportsEachConnectionOnce) {
    ASSERT_EQ(t.TKLSubArrives(0, 3, "KorvexMutex"), 0);
    EXPECT_EQ(t.TKLSubCheckComms(), 1);
    EXPECT_EQ(t.TKLSubCheckComms(), 0);
    c.Unplug();
    EXPECT_EQ(t.TKLCommIsUp(), 0);
    EXPECT_LT(t.TKLSubCheckComms(), 0);
    EXPECT_LT(t.TKLSubCheckComms(), 0);
    c.Plug();
    EXPECT_EQ(t.TKLCommIsUp(), -1);
    EXPECT_EQ(t.TKLSubCheckComms(), 1);
    EXPECT_EQ(t.TKLSubCheckComms(), 0);
    // A new attachment is a fresh sub-client.
    ASSERT_EQ(t.TKLSubArrives(0, 3, "KorvexMutex"), 0);
    EXPECT_EQ(t.TKLSubCheckComms(), 1);
    c.InjectFailure(Op::TKLSubCheckComms, kAny, kAny, 1);
    EXPECT_LT(t.TKLSubCheckComms(), 0);
    EXPECT_EQ(t.TKLSubCheckComms(), 0);
    // A failing TKLCommIsUp is not spent by the reconnection check.
    c.InjectFailure(Op::TKLCommIsUp, kAny, kAny, 1);
    EXPECT_EQ(t.TKLSubCheckComms(), 0);
    EXPECT_EQ(t.TKLCommIsUp(), 0);
    EXPECT_EQ(t.TKLCommIsUp(), -1);
}

// A driver configures its device when it opens the link while the link is up; the first poll
// must not configure it again (that would undo a move started in between).
TEST_F(LinkTest, OpeningWhileUpTakesTheConnectionAsSeen) {
    ASSERT_EQ(t.TKLSubArrives(0, 3, "KorvexMutex"), 0);
    t.TKLSubOpen();
    EXPECT_EQ(t.TKLSubCheckComms(), 0);
    c.Unplug();
    c.Plug();
    EXPECT_EQ(t.TKLSubCheckComms(), 1);

    // Opened while down: the coming connection is still news.
    ASSERT_EQ(t.TKLSubArrives(0, 3, "KorvexMutex"), 0);
    c.Unplug();
    t.TKLSubOpen();
    c.Plug();
    EXPECT_EQ(t.TKLSubCheckComms(), 1);
}

TEST_F(LinkTest, HardwareCallsReachTheController) {
    c.SetInstantMoves(true);
    ASSERT_EQ(t.StepperGotoODB(1, 250, 20), 0);
    int32_t p = 0;
    ASSERT_EQ(t.StepperGetPos(1, &p), 0);
    EXPECT_EQ(p, 250);
    EXPECT_EQ(c.Stepper(1).lastKind, MoveKind::Odb);
    ASSERT_EQ(t.StepperSetSpeedRangeUs(0, 8000, 2000), 0);
    EXPECT_EQ(c.Stepper(0).fastUs, 2000);
    int32_t st = 0;
    ASSERT_EQ(t.RelioRelayPulse(2, 4, 1000, &st), 0);
    EXPECT_EQ(st, 1);
    ASSERT_EQ(t.WriteDigital(2, 3, 1), 0);
    EXPECT_EQ(c.DigitalOutput(2, 3), 1);
    c.SetLanguage(3082);
    EXPECT_EQ(t.TKLGetLanguage(), 3082);
    EXPECT_EQ(t.SysGetFWVersion(), 1250);
    EXPECT_EQ(t.StepperGetPos(1, nullptr), -1);
}

TEST_F(LinkTest, StoreAndTraceGoToTheStore) {
    ASSERT_EQ(t.SaveToRegHKCU("Software\\Vantaro\\Korvex\\Test", "Position", "1234"), 0);
    char buf[80] = {};
    int32_t len = sizeof buf;
    ASSERT_EQ(t.ReadFromRegHKCU("Software\\Vantaro\\Korvex\\Test", "Position", buf, &len), 0);
    EXPECT_STREQ(buf, "1234");
    EXPECT_EQ(len, 4);

    c.InjectFailure(Op::SaveToRegHKCU, kAny, kAny, 1);
    EXPECT_NE(t.SaveToRegHKCU("Software\\Vantaro\\Korvex\\Test", "Position", "9"), 0);
    c.InjectFailure(Op::ReadFromRegHKCU, kAny, kAny, 1);
    EXPECT_NE(t.ReadFromRegHKCU("Software\\Vantaro\\Korvex\\Test", "Position", buf, &len), 0);
    len = sizeof buf;
    ASSERT_EQ(t.ReadFromRegHKCU("Software\\Vantaro\\Korvex\\Test", "Position", buf, &len), 0);
    EXPECT_STREQ(buf, "1234");

    t.traza("Just connected, configuring...");
    t.traza(nullptr);
    std::ifstream log(korvex::paths::LogFile());
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_NE(text.str().find("Just connected, configuring..."), std::string::npos);
}

TEST_F(LinkTest, UnboundTableFailsAsIfTheHubWereGone) {
    UnbindInProcess();
    int32_t p = 0;
    EXPECT_EQ(t.TKLCommIsUp(), 0);
    EXPECT_EQ(t.TKLMainIsPresent(), 0);
    EXPECT_NE(t.TKLSubArrives(0, 3, "KorvexMutex"), 0);
    EXPECT_LT(t.TKLSubCheckComms(), 0);
    EXPECT_EQ(t.StepperGetPos(0, &p), -1);
    t.TKLSubOpen();
    t.traza("ignored");
}

TEST_F(LinkTest, RebindingMovesEveryTableToTheNewController) {
    LinkTable other;
    Controller second{clock};
    BindInProcess(other, second);
    second.SetFirmwareVersion(1999);
    EXPECT_EQ(t.SysGetFWVersion(), 1999);
    EXPECT_EQ(other.SysGetFWVersion(), 1999);
}

}  // namespace
}  // namespace korvex::sim

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new korvex::test::TempHome);
    return RUN_ALL_TESTS();
}
