// The rotator programs with the real hub, libtkl.so and the bus, reached only through the public
// tools: korvex-call for clients, korvex-hub ctl for the controller, korvex-reg for the
// settings store and the trace file.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonObject>
#include <memory>
#include <vector>

#include "korvex/testing/CallSession.h"
#include "korvex/testing/Processes.h"
#include "korvex/testing/UserProgram.h"
#include "korvex/testing/WaitFor.h"
#include "korvex/testing/World.h"

namespace korvex::rotator::e2e {
namespace {

using korvex::testing::Answer;
using korvex::testing::CallSession;
using korvex::testing::ProcessEnded;
using korvex::testing::ToolRun;
using korvex::testing::UserProgram;
using korvex::testing::WaitFor;
using korvex::testing::World;

struct Build {
    const char* program;
    const char* progId;
    int port;
};

constexpr Build kMain{"rotator", "KorvexRotator.Rotator", 0};
constexpr Build kExp{"wexmoor", "KorvexEXPRotator.Rotator", 1};
constexpr Build kThird{"hallowby", "KorvexTHIRDRotator.Rotator", 2};

constexpr double kStepsPerDegree = 40;  // the default "StepsPerDegree"
// Stored step count each program starts from: 1 degree. Position reads 0 until the first poll
// converts the count, which makes that poll visible to clients.
constexpr int kStartCount = 40;
constexpr auto kNotConnected = "0x80040402 Korvex Rotator Control: The Rotator is not connected";
constexpr auto kJustConnected = "Just connected, configuring...";

QString Id(const Build& b) { return QString::fromLatin1(b.progId); }

QString SettingsKey(const Build& b) {
    return QStringLiteral("Software\\Vantaro\\Korvex\\%1\\Default").arg(Id(b));
}

double Number(const Answer& a) {
    bool ok = false;
    const double value = a.text.toDouble(&ok);
    EXPECT_TRUE(a.ok && ok) << a.text.toStdString();
    return value;
}

int StepperPosition(const World& world, int port) {
    return world.Stepper(port).value(QStringLiteral("position")).toInt(-99999);
}

QStringList CommandLine(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList words;
    for (const QByteArray& w : file.readAll().split('\0')) words << QString::fromLocal8Bit(w);
    return words;
}

class RotatorEndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        world = std::make_unique<World>();
        QString why;
        ASSERT_TRUE(world->Start(&why)) << why.toStdString();
    }

    void TearDown() override {
        // Clients and programs of a test are guards that end before the world; programs the bus
        // started end here, the hub and the bus with the world.
        world.reset();
    }

    bool Serving(const Build& b) {
        return WaitFor([&] { return world->HasOwner(Id(b)); }, 20000);
    }

    void StoreStartCount(const Build& b) {
        const ToolRun run = world->Run(QStringLiteral("korvex-reg"),
                                       {QStringLiteral("set"), SettingsKey(b),
                                        QStringLiteral("Position"), QString::number(kStartCount)});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
    }

    // The program has polled the controller at least once (Position shows the start count).
    bool FirstPollDone(const Build& b) {
        return WaitFor([&] {
            const ToolRun run =
                world->Call(Id(b), {QStringLiteral("get"), QStringLiteral("Position")});
            return run.status == 0 && run.out == "1\n";
        });
    }
    bool FirstPollDone(CallSession& client) {
        return WaitFor([&] { return client.Do(QStringLiteral("get Position")).text == "1"; });
    }

    // A user start writes the activation file, as installing the driver would; the stored
    // count is the start count afterwards.
    void Install(const Build& b) {
        ASSERT_NO_FATAL_FAILURE(StoreStartCount(b));
        UserProgram program(*world, QString::fromLatin1(b.program));
        ASSERT_TRUE(Serving(b));
        ASSERT_TRUE(program.Terminate());
        ASSERT_TRUE(QFile::exists(world->ServicesDir() + QLatin1Char('/') + Id(b) +
                                  QStringLiteral(".service")));
        ASSERT_TRUE(WaitFor([&] { return !world->HasOwner(Id(b)); }));
    }

    // Starts the program by activation through `client`'s first operation; its pid, adopted.
    qint64 Activate(const Build& b, CallSession& client, const QString& firstLine) {
        EXPECT_FALSE(world->HasOwner(Id(b)));
        const Answer first = client.Do(firstLine);
        EXPECT_TRUE(first.ok) << first.text.toStdString();
        const qint64 pid = world->OwnerPid(Id(b));
        world->Adopt(pid);
        EXPECT_TRUE(CommandLine(pid).contains(QStringLiteral("-Embedding")))
            << CommandLine(pid).join(' ').toStdString();
        return pid;
    }

    bool Idle(CallSession& client) {
        return WaitFor([&] { return client.Do(QStringLiteral("get IsMoving")).text == "false"; });
    }

    void Ctl(const QStringList& words) {
        const ToolRun run = world->Ctl(words);
        ASSERT_EQ(run.status, 0) << words.join(' ').toStdString() << ": " << run.err.toStdString();
    }

    std::unique_ptr<World> world;
};

TEST_F(RotatorEndToEndTest, ActivatedProgramMovesAroundTheZoneAndClosesWithItsLastClient) {
    ASSERT_NO_FATAL_FAILURE(Install(kMain));
    CallSession client(*world, Id(kMain));
    const qint64 pid = Activate(kMain, client, QStringLiteral("get Connected"));
    ASSERT_GT(pid, 0);
    // A move asked before the first poll is the next test's subject.
    ASSERT_TRUE(FirstPollDone(client));
    Ctl({QStringLiteral("instant"), QStringLiteral("on")});

    ASSERT_TRUE(client.Do(QStringLiteral("call MoveAbsolute 90")).ok);
    // Marked moving when the call returns; the next poll finds the target reached.
    EXPECT_EQ(client.Do(QStringLiteral("get IsMoving")).text, "true");
    ASSERT_TRUE(Idle(client));
    EXPECT_NEAR(Number(client.Do(QStringLiteral("get Position"))), 90, 1e-4);
    EXPECT_EQ(StepperPosition(*world, kMain.port), 90 * kStepsPerDegree);

    // 350 lies on the high side of the default zone at 180: a negative count.
    ASSERT_TRUE(client.Do(QStringLiteral("call MoveAbsolute 350")).ok);
    ASSERT_TRUE(Idle(client));
    EXPECT_NEAR(Number(client.Do(QStringLiteral("get Position"))), 350, 1e-4);
    ASSERT_EQ(StepperPosition(*world, kMain.port), -10 * kStepsPerDegree);

    // Move(30) from 350 ends at 20 through 0: the counter runs from -400 up to 800 and never
    // towards 180 degrees (7200 steps, or -7200 the other way). Watched at a slow speed.
    Ctl({QStringLiteral("instant"), QStringLiteral("off")});
    Ctl({QStringLiteral("speed"), QStringLiteral("8")});
    ASSERT_TRUE(client.Do(QStringLiteral("call Move 30")).ok);
    std::vector<int> counts;
    std::vector<double> angles;
    const bool ended = WaitFor(
        [&] {
            counts.push_back(StepperPosition(*world, kMain.port));
            angles.push_back(Number(client.Do(QStringLiteral("get Position"))));
            return client.Do(QStringLiteral("get IsMoving")).text == "false";
        },
        30000);
    ASSERT_TRUE(ended);
    counts.push_back(StepperPosition(*world, kMain.port));
    bool seenUnderWay = false;
    for (size_t i = 0; i < counts.size(); ++i) {
        EXPECT_GE(counts[i], -400) << "sample " << i;
        EXPECT_LE(counts[i], 800) << "sample " << i;
        if (i > 0) {
            EXPECT_GE(counts[i], counts[i - 1]) << "sample " << i;
        }
        seenUnderWay = seenUnderWay || (counts[i] > -400 && counts[i] < 800);
    }
    EXPECT_TRUE(seenUnderWay) << "no sample caught the move under way";
    for (const double a : angles) EXPECT_TRUE(a >= 350 || a <= 20) << a;
    EXPECT_EQ(counts.back(), 800);
    EXPECT_NEAR(Number(client.Do(QStringLiteral("get Position"))), 20, 1e-4);
    EXPECT_NEAR(Number(client.Do(QStringLiteral("get TargetPosition"))), 20, 1e-4);

    // Two clients: the program stays while one is left and closes with the last release.
    CallSession second(*world, Id(kMain));
    ASSERT_TRUE(second.Do(QStringLiteral("get Connected")).ok);
    ASSERT_TRUE(client.Close());
    EXPECT_NEAR(Number(second.Do(QStringLiteral("get Position"))), 20, 1e-4);
    EXPECT_EQ(world->OwnerPid(Id(kMain)), pid);
    EXPECT_FALSE(ProcessEnded(pid));

    // The end of the move saved the position already; only the shutdown can write it again.
    ASSERT_TRUE(world->DeleteSetting(SettingsKey(kMain), QStringLiteral("Position")));
    ASSERT_TRUE(second.Close());
    EXPECT_TRUE(WaitFor([&] { return ProcessEnded(pid); }, 20000));
    EXPECT_FALSE(world->HasOwner(Id(kMain)));
    EXPECT_EQ(world->Setting(SettingsKey(kMain), QStringLiteral("Position")), "800");
    EXPECT_TRUE(WaitFor([&] { return world->HubClientOf(pid).isEmpty(); }));
}

TEST_F(RotatorEndToEndTest, MoveAskedRightAfterActivationIsNotUndoneByTheFirstPoll) {
    ASSERT_NO_FATAL_FAILURE(Install(kMain));
    Ctl({QStringLiteral("instant"), QStringLiteral("on")});
    // A client's first call after the activation: it reaches the program before its first
    // poll, which must not load the stored count over the move.
    CallSession client(*world, Id(kMain));
    const qint64 pid = Activate(kMain, client, QStringLiteral("call MoveAbsolute 90"));
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(Idle(client));
    EXPECT_NEAR(Number(client.Do(QStringLiteral("get Position"))), 90, 1e-4);
    EXPECT_EQ(StepperPosition(*world, kMain.port), 90 * kStepsPerDegree);
    ASSERT_TRUE(client.Close());
    EXPECT_TRUE(WaitFor([&] { return ProcessEnded(pid); }, 20000));
}

TEST_F(RotatorEndToEndTest, UserStartedProgramStaysOpenWhenAllClientsLeave) {
    UserProgram program(*world, QString::fromLatin1(kMain.program));
    ASSERT_TRUE(Serving(kMain));
    CallSession first(*world, Id(kMain));
    CallSession second(*world, Id(kMain));
    EXPECT_EQ(first.Do(QStringLiteral("get Connected")).text, "true");
    EXPECT_EQ(second.Do(QStringLiteral("get Connected")).text, "true");
    ASSERT_TRUE(first.Close());
    ASSERT_TRUE(second.Close());

    // Still the same program: a closed one would have been started again by the bus.
    const ToolRun call = world->Call(Id(kMain), {QStringLiteral("get"), QStringLiteral("name")});
    EXPECT_EQ(call.status, 0) << call.err.toStdString();
    EXPECT_EQ(call.out, "Korvex Rotator\n");
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(world->OwnerPid(Id(kMain)), program.Pid());
    EXPECT_TRUE(program.Terminate());
}

TEST_F(RotatorEndToEndTest, UnpluggedControllerRaisesNotConnectedAndIsConfiguredAgainOnReturn) {
    ASSERT_NO_FATAL_FAILURE(StoreStartCount(kMain));
    UserProgram program(*world, QString::fromLatin1(kMain.program));
    ASSERT_TRUE(Serving(kMain));
    CallSession client(*world, Id(kMain));
    ASSERT_TRUE(FirstPollDone(client));
    Ctl({QStringLiteral("instant"), QStringLiteral("on")});
    ASSERT_TRUE(client.Do(QStringLiteral("call MoveAbsolute 90")).ok);
    ASSERT_TRUE(Idle(client));

    // A counter changed behind the driver's back reads as a move started elsewhere.
    Ctl({QStringLiteral("stepper"), QStringLiteral("0"), QStringLiteral("position=4000")});
    ASSERT_TRUE(WaitFor([&] { return client.Do(QStringLiteral("get IsMoving")).text == "true"; }));
    EXPECT_NEAR(Number(client.Do(QStringLiteral("get Position"))), 100, 1e-4);

    const int connections = world->LogLines(program.Pid(), kJustConnected);
    Ctl({QStringLiteral("unplug")});
    const Answer moving = client.Do(QStringLiteral("get IsMoving"));
    EXPECT_FALSE(moving.ok);
    EXPECT_EQ(moving.text, kNotConnected);
    const ToolRun oneShot =
        world->Call(Id(kMain), {QStringLiteral("get"), QStringLiteral("IsMoving")});
    EXPECT_EQ(oneShot.status, 1);
    EXPECT_EQ(oneShot.err.trimmed(), kNotConnected);
    for (const char* line : {"call MoveAbsolute 10", "call Move 5"}) {
        const Answer refused = client.Do(QString::fromLatin1(line));
        EXPECT_FALSE(refused.ok) << line;
        EXPECT_EQ(refused.text, kNotConnected) << line;
    }
    // Position keeps its last value; Connected reports the link.
    EXPECT_NEAR(Number(client.Do(QStringLiteral("get Position"))), 100, 1e-4);
    EXPECT_EQ(client.Do(QStringLiteral("get Connected")).text, "false");

    // Back: the next poll reports the connection and configures the controller again, which
    // loads the driver's count and marks the rotator idle.
    Ctl({QStringLiteral("plug")});
    ASSERT_TRUE(
        WaitFor([&] { return world->LogLines(program.Pid(), kJustConnected) == connections + 1; }));
    EXPECT_EQ(client.Do(QStringLiteral("get IsMoving")).text, "false");
    EXPECT_EQ(client.Do(QStringLiteral("get Connected")).text, "true");
    EXPECT_NEAR(Number(client.Do(QStringLiteral("get Position"))), 100, 1e-4);
    EXPECT_EQ(StepperPosition(*world, kMain.port), 4000);
    // And it moves again.
    ASSERT_TRUE(client.Do(QStringLiteral("call MoveAbsolute 45")).ok);
    ASSERT_TRUE(Idle(client));
    EXPECT_EQ(StepperPosition(*world, kMain.port), 45 * kStepsPerDegree);
}

TEST_F(RotatorEndToEndTest, ThePortBuildsRunSideBySideAndASecondCopyIsRefused) {
    struct Case {
        Build build;
        double angle;
    };
    const std::vector<Case> cases = {{kMain, 10}, {kExp, 20}, {kThird, 30}};
    std::vector<std::unique_ptr<UserProgram>> programs;
    for (const Case& c : cases) {
        ASSERT_NO_FATAL_FAILURE(StoreStartCount(c.build));
        programs.push_back(
            std::make_unique<UserProgram>(*world, QString::fromLatin1(c.build.program)));
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        ASSERT_TRUE(Serving(cases[i].build)) << cases[i].build.progId;
        ASSERT_TRUE(FirstPollDone(cases[i].build)) << cases[i].build.progId;
    }
    Ctl({QStringLiteral("instant"), QStringLiteral("on")});
    for (const Case& c : cases) {
        const ToolRun run = world->Call(
            Id(c.build),
            {QStringLiteral("call"), QStringLiteral("MoveAbsolute"), QString::number(c.angle)});
        EXPECT_EQ(run.status, 0) << c.build.progId << ": " << run.err.toStdString();
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        const Build& b = cases[i].build;
        EXPECT_TRUE(WaitFor([&] {
            return world->Call(Id(b), {QStringLiteral("get"), QStringLiteral("IsMoving")}).out ==
                   "False\n";
        })) << b.progId;
        EXPECT_EQ(StepperPosition(*world, b.port), cases[i].angle * kStepsPerDegree) << b.progId;
        const ToolRun position =
            world->Call(Id(b), {QStringLiteral("get"), QStringLiteral("Position")});
        EXPECT_EQ(position.out.trimmed().toDouble(), cases[i].angle) << b.progId;
        const QJsonObject slot = world->HubClientOf(programs[i]->Pid());
        EXPECT_EQ(slot.value(QStringLiteral("port")).toInt(-1), b.port) << b.progId;
        EXPECT_EQ(slot.value(QStringLiteral("kind")).toInt(-1), 3) << b.progId;  // rotator
        EXPECT_TRUE(slot.value(QStringLiteral("open")).toBool()) << b.progId;
    }

    // A second copy of the EXP build: refused by the hub, ends without serving.
    UserProgram copy(*world, QString::fromLatin1(kExp.program));
    ASSERT_TRUE(copy.Process().waitForFinished(20000));
    EXPECT_EQ(copy.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_NE(copy.Process().exitCode(), 0);
    EXPECT_EQ(world->LogLines(copy.Pid(), "Rotator slot not empty!"), 1);
    EXPECT_EQ(world->OwnerPid(Id(kExp)), programs[1]->Pid());
    EXPECT_TRUE(world->HubClientOf(copy.Pid()).isEmpty());
    EXPECT_EQ(StepperPosition(*world, kExp.port), 20 * kStepsPerDegree);

    for (auto& p : programs) EXPECT_TRUE(p->Terminate());
}

}  // namespace
}  // namespace korvex::rotator::e2e
