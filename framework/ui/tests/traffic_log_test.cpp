#include <gtest/gtest.h>

#include <vector>

#include "framework/ui/TrafficLog.h"

namespace korvex::ui {
namespace {

enum class Op { Start, Line, Char, End, Erase };

struct Write {
    Op op;
    const char* text;
};

void Apply(TrafficLog& log, const Write& write) {
    const QString text = QString::fromUtf8(write.text);
    switch (write.op) {
        case Op::Start:
            log.TrafficStart(text);
            break;
        case Op::Line:
            log.TrafficLine(text);
            break;
        case Op::Char:
            log.TrafficChar(text);
            break;
        case Op::End:
            log.TrafficEnd(text);
            break;
        case Op::Erase:
            log.Erase();
            break;
    }
}

struct LineCase {
    const char* name;
    std::vector<Write> writes;
    const char* expected;
    bool atLineStart;
};

TEST(TrafficLogTest, LineRules) {
    const LineCase cases[] = {
        {"start and end make one line",
         {{Op::Start, "SetupDialog"}, {Op::End, " (done)"}},
         "SetupDialog (done)\r\n",
         true},
        {"polls run along one line, separated by spaces",
         {{Op::Char, "IsMoving: True"},
          {Op::Char, "IsMoving: True"},
          {Op::Char, "IsMoving: False"}},
         "IsMoving: True IsMoving: True IsMoving: False",
         false},
        {"a whole line between start and end breaks the line",
         {{Op::Start, "Halt"}, {Op::Line, "RotatorHalt "}, {Op::End, " (done)"}},
         "Halt\r\nRotatorHalt \r\n (done)\r\n",
         true},
        {"whole lines follow each other",
         {{Op::Line, "Position: 10"}, {Op::Line, "StepSize: 0.1"}},
         "Position: 10\r\nStepSize: 0.1\r\n",
         true},
        {"a start ends the polls' line first",
         {{Op::Char, "IsMoving: False"}, {Op::Start, "MoveAbsolute: 90"}},
         "IsMoving: False\r\nMoveAbsolute: 90",
         false},
        {"a poll after a finished line starts without a space",
         {{Op::Start, "Move: 5"}, {Op::Line, "RotatorGoto: 95"}, {Op::Char, "IsMoving: True"}},
         "Move: 5\r\nRotatorGoto: 95\r\nIsMoving: True",
         false},
        {"a start left open is ended by the next end",
         {{Op::Start, "CanReverse: True"}, {Op::Start, "Halt"}, {Op::End, " (done)"}},
         "CanReverse: True\r\nHalt (done)\r\n",
         true},
        {"erasing starts a fresh line",
         {{Op::Char, "IsMoving: True"}, {Op::Erase, ""}, {Op::Char, "IsMoving: False"}},
         "IsMoving: False",
         false},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        TrafficLog log;
        for (const Write& write : c.writes) Apply(log, write);
        EXPECT_EQ(log.Text().toStdString(), c.expected);
        EXPECT_EQ(log.AtLineStart(), c.atLineStart);
    }
}

// 100 lines "Line 000 ..........." of 20 characters + CR LF: 2200 characters written.
TrafficLog HundredLines() {
    TrafficLog log;
    for (int i = 0; i < 100; ++i) {
        log.TrafficLine(QStringLiteral("Line %1 ...........").arg(i, 3, 10, QLatin1Char('0')));
    }
    return log;
}

TEST(TrafficLogTest, KeepsTheLast2000CharactersCuttingTheOldestLine) {
    const TrafficLog log = HundredLines();
    ASSERT_EQ(log.Text().size(), 2000);
    // 200 characters scrolled away: lines 000 to 008 (198) and "Li" of line 009.
    EXPECT_TRUE(log.Text().startsWith(QStringLiteral("ne 009 ...........\r\nLine 010")))
        << log.Text().left(40).toStdString();
    EXPECT_TRUE(log.Text().endsWith(QStringLiteral("Line 099 ...........\r\n")));
}

TEST(TrafficLogTest, ALongWordKeepsOnlyItsEnd) {
    TrafficLog log;
    log.TrafficChar(QString(1500, QLatin1Char('a')));
    log.TrafficChar(QString(1500, QLatin1Char('b')));
    ASSERT_EQ(log.Text().size(), 2000);
    EXPECT_EQ(log.Text(),
              QString(499, QLatin1Char('a')) + QLatin1Char(' ') + QString(1500, QLatin1Char('b')));
}

TEST(TrafficLogTest, DisabledDropsWritesAndEnablingDoesNotBringThemBack) {
    TrafficLog log;
    log.TrafficStart(QStringLiteral("Move: 5"));
    log.SetDisabled(true);
    EXPECT_FALSE(log.TrafficEnd(QStringLiteral(" (done)")));
    EXPECT_FALSE(log.TrafficLine(QStringLiteral("RotatorHalt ")));
    EXPECT_FALSE(log.TrafficChar(QStringLiteral("IsMoving: False")));
    EXPECT_FALSE(log.TrafficStart(QStringLiteral("Halt")));
    EXPECT_EQ(log.Text(), QStringLiteral("Move: 5"));

    log.SetDisabled(false);
    EXPECT_TRUE(log.TrafficLine(QStringLiteral("Position: 5")));
    // The line state is the one before disabling: the open line is broken first.
    EXPECT_EQ(log.Text(), QStringLiteral("Move: 5\r\nPosition: 5\r\n"));
}

}  // namespace
}  // namespace korvex::ui
