// The helpers themselves: waiting runs this thread's events and honours its deadline, ending a
// process escalates when SIGTERM is ignored, and the private bus is the one its programs see.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTimer>
#include <memory>

#include "korvex/testing/PrivateBus.h"
#include "korvex/testing/Processes.h"
#include "korvex/testing/WaitFor.h"

namespace korvex::testing {
namespace {

TEST(WaitForTest, RunsEventsOfThisThreadUntilTheConditionHolds) {
    bool fired = false;
    QTimer::singleShot(30, [&fired] { fired = true; });
    EXPECT_TRUE(WaitFor([&fired] { return fired; }, 10000));
}

TEST(WaitForTest, GivesUpAtTheDeadline) {
    int checks = 0;
    EXPECT_FALSE(WaitFor(
        [&checks] {
            ++checks;
            return false;
        },
        100));
    // Checked more than once, but not in a spin: the wait sleeps between events.
    EXPECT_GT(checks, 1);
    EXPECT_LT(checks, 1000);
}

TEST(EndProcessTest, KillsAProcessThatIgnoresSigterm) {
    QProcess stubborn;
    stubborn.start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("trap '' TERM; echo ready; exec sleep 60")});
    ASSERT_TRUE(stubborn.waitForReadyRead(10000));  // the trap is set
    const qint64 pid = stubborn.processId();
    EXPECT_FALSE(ProcessEnded(pid));
    EndProcess(pid, 200);
    EXPECT_TRUE(ProcessEnded(pid));
    // Reaped either here or already while EndProcess let events run.
    ASSERT_TRUE(WaitFor([&stubborn] { return stubborn.state() == QProcess::NotRunning; }));
    EXPECT_EQ(stubborn.exitStatus(), QProcess::CrashExit);
}

TEST(PrivateBusTest, ProgramsGetItsAddressAndHomeAndTheTestOwningANameSurvivesItsEnd) {
    auto bus = std::make_unique<PrivateBus>();
    QString why;
    ASSERT_TRUE(bus->Start(&why)) << why.toStdString();
    const QProcessEnvironment env = bus->Environment();
    EXPECT_EQ(env.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")), bus->Address());
    EXPECT_EQ(env.value(QStringLiteral("KORVEX_HOME")), bus->Home());
    EXPECT_EQ(env.value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/dbus-1/services"),
              bus->ServicesDir());

    const QString name = QStringLiteral("org.korvex.SupportTest");
    {
        QDBusConnection own = QDBusConnection::connectToBus(bus->Address(), QStringLiteral("own"));
        ASSERT_TRUE(own.isConnected());
        ASSERT_TRUE(own.registerService(name));
        EXPECT_TRUE(bus->HasOwner(name));
        EXPECT_EQ(bus->OwnerPid(name), QCoreApplication::applicationPid());
    }
    EXPECT_FALSE(bus->HasOwner(QStringLiteral("org.korvex.Nobody")));
    EXPECT_EQ(bus->Run(QStringLiteral("no-such-program"), {}).status, -1);
    bus.reset();  // ends what owns names on it, never this process
    QDBusConnection::disconnectFromBus(QStringLiteral("own"));
}

}  // namespace
}  // namespace korvex::testing

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
