#include "framework/core/OWCSub.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "framework/core/InicioState.h"
#include "framework/core/MessageBoxService.h"
#include "framework/core/ProcessLauncher.h"

namespace korvex {
namespace {

// The link as the attachment sees it; the C entries below read and log through it.
struct FakeLink {
    int32_t mainPresent = -1;
    int32_t arrivesResult = 0;
    int32_t commIsUp = -1;
    int32_t language = 9;
    std::deque<int32_t> checkComms;  // answers of TKLSubCheckComms, 0 when used up
    std::vector<std::string> calls;  // operations in call order, traces and arrivals with details
};
FakeLink* fake = nullptr;

LinkTable FakeTable() {
    LinkTable t;
    t.TKLMainIsPresent = [] {
        fake->calls.push_back("TKLMainIsPresent");
        return fake->mainPresent;
    };
    t.TKLSubArrives = [](int32_t port, int32_t kind, const char* name) {
        fake->calls.push_back("TKLSubArrives " + std::to_string(port) + " " + std::to_string(kind) +
                              " " + name);
        return fake->arrivesResult;
    };
    t.TKLSubOpen = [] { fake->calls.push_back("TKLSubOpen"); };
    t.TKLSubClose = [] { fake->calls.push_back("TKLSubClose"); };
    t.TKLSubExits = [] { fake->calls.push_back("TKLSubExits"); };
    t.TKLCommIsUp = [] { return fake->commIsUp; };
    t.TKLGetLanguage = [] { return fake->language; };
    t.TKLSubCheckComms = [] {
        int32_t rc = 0;
        if (!fake->checkComms.empty()) rc = fake->checkComms.front(), fake->checkComms.pop_front();
        return rc;
    };
    t.traza = [](const char* text) { fake->calls.push_back(std::string("traza ") + text); };
    return t;
}

class OWCSubTest : public testing::Test {
  protected:
    OWCSubTest() {
        fake = &link_;
        state_.ProgramFolder = "/opt/korvex/bin";
        owc_.SetOnConnect([this] { link_.calls.push_back("configure"); });
    }
    ~OWCSubTest() override { fake = nullptr; }

    FakeLink link_;
    LinkTable table_ = FakeTable();
    InicioState state_;
    ScriptedMessageBoxes boxes_;
    RecordingProcessLauncher launcher_;
    OWCSub owc_{table_, state_, 1, 3, boxes_, launcher_};
};

TEST_F(OWCSubTest, AttachesWithoutStartingARunningHub) {
    EXPECT_TRUE(owc_.AttachToLink());
    EXPECT_TRUE(launcher_.launches.isEmpty());
    EXPECT_EQ(link_.calls,
              (std::vector<std::string>{"TKLMainIsPresent", "TKLSubArrives 1 3 KorvexMutex"}));
    EXPECT_TRUE(boxes_.Asked().isEmpty());
}

TEST_F(OWCSubTest, StartsAbsentHubAndAttachesAtOnce) {
    link_.mainPresent = 0;
    state_.MutexName = kSecondMutexName;
    EXPECT_TRUE(owc_.AttachToLink());
    ASSERT_EQ(launcher_.launches.size(), 1);
    EXPECT_EQ(launcher_.launches[0].program, "/opt/korvex/bin/korvex-hub");
    EXPECT_TRUE(launcher_.launches[0].args.isEmpty());
    EXPECT_EQ(link_.calls.back(), "TKLSubArrives 1 3 Korvex2ndMutex");
    EXPECT_TRUE(boxes_.Asked().isEmpty());
}

TEST_F(OWCSubTest, HubThatCannotStart) {
    link_.mainPresent = 0;
    launcher_.refuse = true;
    EXPECT_FALSE(owc_.AttachToLink());
    ASSERT_EQ(boxes_.Asked().size(), 1);
    EXPECT_EQ(boxes_.Asked()[0].text, "Cannot find Korvex main program");
    EXPECT_EQ(boxes_.Asked()[0].title, "Warning");
    EXPECT_EQ(boxes_.Asked()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(link_.calls, std::vector<std::string>{"TKLMainIsPresent"});  // no slot asked
}

TEST_F(OWCSubTest, WrongMutexName) {
    for (const char* name : {"", "Kx", "Korv"}) {
        boxes_.Clear();
        link_.calls.clear();
        state_.MutexName = name;
        EXPECT_FALSE(owc_.AttachToLink()) << name;
        ASSERT_EQ(boxes_.Asked().size(), 1);
        EXPECT_EQ(boxes_.Asked()[0].text, "Wrong mutex name");
        EXPECT_EQ(boxes_.Asked()[0].title, "Ugly error");
        EXPECT_EQ(boxes_.Asked()[0].icon, MsgIcon::Critical);
        EXPECT_EQ(link_.calls, std::vector<std::string>{"TKLMainIsPresent"});
    }
    state_.MutexName = "Korvx";  // five characters are enough
    EXPECT_TRUE(owc_.AttachToLink());
}

TEST_F(OWCSubTest, TakenSlotIsRefusedSilently) {
    for (int32_t rc : {1, -1, 5}) {
        link_.arrivesResult = rc;
        EXPECT_FALSE(owc_.AttachToLink()) << rc;
    }
    EXPECT_TRUE(boxes_.Asked().isEmpty());
}

TEST_F(OWCSubTest, UnboundTableCountsAsMissingHub) {
    LinkTable empty;
    OWCSub owc(empty, state_, 0, 3, boxes_, launcher_);
    EXPECT_FALSE(owc.AttachToLink());
    ASSERT_EQ(boxes_.Asked().size(), 1);
    EXPECT_EQ(boxes_.Asked()[0].text, "Cannot find Korvex main program");
    owc.OpenLink();
    owc.CloseLink();
    owc.DetachFromLink();
    EXPECT_EQ(owc.GetLinkLanguage(), 0);
    EXPECT_EQ(owc.CheckComms(), OWCSub::Comms::Down);
}

TEST_F(OWCSubTest, OpenConfiguresOnlyWhenCommsUp) {
    link_.commIsUp = 0;
    owc_.OpenLink();
    EXPECT_EQ(link_.calls, std::vector<std::string>{"TKLSubOpen"});
    link_.calls.clear();
    link_.commIsUp = -1;
    owc_.OpenLink();
    EXPECT_EQ(link_.calls, (std::vector<std::string>{"TKLSubOpen", "configure"}));
}

TEST_F(OWCSubTest, CloseThenDetach) {
    owc_.CloseLink();
    owc_.DetachFromLink();
    EXPECT_EQ(link_.calls, (std::vector<std::string>{"TKLSubClose", "TKLSubExits"}));
}

TEST_F(OWCSubTest, ReconnectionCheckAtPollStart) {
    link_.checkComms = {1, -1, -5, 0, 2, 1};
    const OWCSub::Comms expected[] = {OWCSub::Comms::JustConnected,
                                      OWCSub::Comms::Down,
                                      OWCSub::Comms::Down,
                                      OWCSub::Comms::Up,
                                      OWCSub::Comms::Up,
                                      OWCSub::Comms::JustConnected};
    for (OWCSub::Comms e : expected) EXPECT_EQ(owc_.CheckComms(), e);
    // Each fresh connection is traced, then configured; nothing else happens.
    EXPECT_EQ(link_.calls,
              (std::vector<std::string>{"traza Just connected, configuring...", "configure",
                                        "traza Just connected, configuring...", "configure"}));
}

TEST_F(OWCSubTest, LinkLanguageIsSixteenBits) {
    const struct {
        int32_t reported;
        int16_t language;
    } cases[] = {{9, 9}, {3082, 3082}, {32767, 32767}, {-32768, -32768}, {70000, 0}, {-70000, 0}};
    for (const auto& c : cases) {
        link_.language = c.reported;
        EXPECT_EQ(owc_.GetLinkLanguage(), c.language) << c.reported;
    }
}

}  // namespace
}  // namespace korvex
