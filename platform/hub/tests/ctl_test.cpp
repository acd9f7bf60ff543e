// The ctl commands, in-process against a controller.
#include "ctl.h"

#include <gtest/gtest.h>

#include <sstream>

namespace korvex::hub {
namespace {

class CtlTest : public ::testing::Test {
  protected:
    CtlResult Run(const std::string& line) {
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        return RunCtl(c, "KorvexMutex", {{1234, 2, 6, true}}, words);
    }
    sim::ManualClock clock;
    sim::Controller c{clock};
};

TEST_F(CtlTest, SettersChangeTheController) {
    struct {
        const char* line;
        bool (*check)(sim::Controller&);
    } cases[] = {
        {"language 3082", [](sim::Controller& k) { return k.Language() == 3082; }},
        {"firmware 1230", [](sim::Controller& k) { return k.FirmwareVersion() == 1230; }},
        {"comm-method 1", [](sim::Controller& k) { return k.CommMethod() == 1; }},
        {"temperature int -52", [](sim::Controller& k) { return k.InternalTemp() == -52; }},
        {"temperature ext 305", [](sim::Controller& k) { return k.ExternalTemp() == 305; }},
        {"analog 1 7 1023", [](sim::Controller& k) { return k.AnalogInput(1, 7) == 1023; }},
        {"relay 0 2 closed", [](sim::Controller& k) { return k.RelayClosed(0, 2); }},
        {"relay 0 2 open", [](sim::Controller& k) { return !k.RelayClosed(0, 2); }},
        {"instant on", [](sim::Controller& k) { return k.InstantMoves(); }},
        {"speed 2.5", [](sim::Controller& k) { return k.SpeedScale() == 2.5; }},
        {"unplug", [](sim::Controller& k) { return !k.Plugged(); }},
        {"plug", [](sim::Controller& k) { return k.Plugged() && k.ConnectCount() == 2; }},
        {"stepper 2 position=-40", [](sim::Controller& k) { return k.Stepper(2).position == -40; }},
        {"wheel turn=600 width=5 marks=0,30,300 offset=10",
         [](sim::Controller& k) {
             const sim::WheelMarks& m = k.GetWheelMarks();
             return m.turnSteps == 600 && m.width == 5 && m.marks.size() == 3 && m.marks[1] == 30 &&
                    m.offset == 10;
         }},
        {"fail RelioRelayRead port=2 index=5 times=3",
         [](sim::Controller& k) {
             return k.Failures().size() == 1 && k.Failures()[0].port == 2 &&
                    k.Failures()[0].index == 5 && k.Failures()[0].times == 3;
         }},
        {"clear", [](sim::Controller& k) { return k.Failures().empty(); }},
    };
    for (const auto& tc : cases) {
        const CtlResult r = Run(tc.line);
        EXPECT_EQ(r.status, 0) << tc.line << ": " << r.text;
        EXPECT_TRUE(tc.check(c)) << tc.line;
    }
}

TEST_F(CtlTest, BadCommandsAreRefusedAndChangeNothing) {
    const char* lines[] = {
        "",
        "bogus",
        "language 7",
        "language",
        "firmware x",
        "temperature mid 10",
        "analog 0 8 10",
        "analog 0 0 1024",
        "analog 3 0 1",
        "relay 0 0 ajar",
        "relay 0 9 open",
        "instant maybe",
        "speed 0",
        "speed -1",
        "speed fast",
        "fail NoSuchOp",
        "fail StepperGoto port=x",
        "fail StepperGoto times=0",
        "fail StepperGoto colour=red",
        "clear NoSuchOp",
        "stepper 4 position=1",
        "stepper 0 pos=1",
        "wheel marks=0,1200",
        "wheel width=0",
        "wheel marks=",
        "wheel spin=3",
    };
    for (const char* line : lines) {
        const CtlResult r = Run(line);
        EXPECT_EQ(r.status, 1) << "'" << line << "' gave: " << r.text;
        EXPECT_FALSE(r.text.empty());
    }
    EXPECT_EQ(c.Language(), 9);
    EXPECT_TRUE(c.Failures().empty());
    EXPECT_EQ(c.GetWheelMarks().turnSteps, 1200);
    EXPECT_EQ(c.SpeedScale(), 1.0);
}

TEST_F(CtlTest, StateDocumentShowsWhatWasSet) {
    c.InjectFailure(sim::Op::StepperGoto, 1);
    c.SetInstantMoves(true);
    ASSERT_EQ(c.StepperGotoODB(0, 55, 7), 0);
    ASSERT_EQ(c.WriteDigital(2, 8, 1), 0);
    const CtlResult r = Run("state");
    ASSERT_EQ(r.status, 0);
    for (const char* part : {
             "\"instance\":\"KorvexMutex\"",
             "\"position\":55,\"target\":55,\"moving\":false,\"lastCommand\":\"odb\","
             "\"lastBacklash\":7",
             "\"digitalOutputs\":[[0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,1]]",
             "\"failures\":[{\"op\":\"StepperGoto\",\"port\":1,\"index\":-1,\"times\":-1}]",
             "\"clients\":[{\"pid\":1234,\"port\":2,\"kind\":6,\"open\":true}]",
             "\"sensor\":120",
         }) {
        EXPECT_NE(r.text.find(part), std::string::npos) << part << "\n" << r.text;
    }
}

TEST_F(CtlTest, EveryVerbInTheHelpIsKnown) {
    const std::string help = HelpText();
    const size_t verbs = help.find("Verbs:\n");
    ASSERT_NE(verbs, std::string::npos);
    std::istringstream lines(help.substr(verbs + 7));
    int seen = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  ", 0) != 0 || line.size() < 3 || line[2] == ' ') continue;
        std::string verb = line.substr(2, line.find_first_of(" |", 2) - 2);
        const CtlResult r = Run(verb);
        EXPECT_EQ(r.text.find("unknown verb"), std::string::npos) << verb;
        ++seen;
    }
    EXPECT_GT(seen, 0);
}

}  // namespace
}  // namespace korvex::hub
