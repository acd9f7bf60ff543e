// The test program as a separate process on a private bus: activation, how it was started,
// closing by itself, and a modal call that waits while other clients are served.
#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>

#include "framework/com/tests/BusClient.h"
#include "framework/com/tests/MinimalDriver.h"
#include "framework/com/tests/ProcessFixture.h"

namespace korvex::com::testing {
namespace {

const QString kDevice = QString::fromLatin1(kDeviceProgId);
const QString kHelper = QString::fromLatin1(kHelperProgId);

using ActivationTest = ProcessFixture;

TEST_F(ActivationTest, TheBusStartsTheProgramWithEmbeddingAndItClosesAfterTheLastRelease) {
    QProcess reg;
    reg.setProcessEnvironment(bus->Environment());
    reg.start(QStringLiteral(KORVEX_COM_TESTSERVER), {QStringLiteral("--register-only")});
    ASSERT_TRUE(reg.waitForFinished(20000));
    ASSERT_EQ(reg.exitCode(), 0) << reg.readAllStandardError().toStdString();
    QFile file(bus->DataHome() + QStringLiteral("/dbus-1/services/KorvexTest.Device.service"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        file.readAll().contains(QByteArray("Exec=") + KORVEX_COM_TESTSERVER + " -Embedding\n"));
    ASSERT_FALSE(Registered(kDevice));

    BusClient client(QStringLiteral("activation-client"), bus->Address());
    CallResult failure;
    const auto device = client.Create(kDevice, &failure);
    ASSERT_TRUE(device.has_value())
        << failure.errorName.toStdString() << " " << failure.errorMessage.toStdString();
    EXPECT_EQ(client.Invoke(kDevice, *device, "get", "StartedByUser").value, false);
    // The same process serves the program's other ProgID.
    const auto helper = client.Create(kHelper);
    ASSERT_TRUE(helper.has_value());
    EXPECT_EQ(client.Invoke(kHelper, *helper, "get", "ClientCount").value,
              QVariant::fromValue<int16_t>(2));

    EXPECT_TRUE(client.Release(kDevice, *device).ok);
    EXPECT_TRUE(Registered(kDevice));  // one object left
    EXPECT_TRUE(client.Release(kHelper, *helper).ok);
    EXPECT_TRUE(WaitFor([&] { return !Registered(kDevice); }, 20000))
        << "a program started by the bus closes when its last object is released";
}

TEST_F(ActivationTest, StartedWithEmbeddingTheProgramIsNotStartedByUser) {
    for (const char* flag : {"-Embedding", "/Embedding"}) {
        SCOPED_TRACE(flag);
        ASSERT_TRUE(StartServer({QString::fromLatin1(flag)}));
        BusClient client(QStringLiteral("embedding-client"), bus->Address());
        const auto path = client.Create(kDevice);
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(client.Invoke(kDevice, *path, "get", "StartedByUser").value, false);
        client.Disconnect();  // leaving the bus releases the object: the program closes
        EXPECT_TRUE(server->waitForFinished(20000));
        EXPECT_EQ(server->exitCode(), 0);
    }
}

TEST_F(ActivationTest, AProgramStartedByTheUserStaysWhenTheLastObjectIsReleased) {
    ASSERT_TRUE(StartServer({}));
    BusClient client(QStringLiteral("user-client"), bus->Address());
    const auto path = client.Create(kDevice);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(client.Invoke(kDevice, *path, "get", "StartedByUser").value, true);
    EXPECT_TRUE(client.Release(kDevice, *path).ok);
    const auto again = client.Create(kDevice);  // answered by the same process
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(client.Invoke(kDevice, *again, "get", "ClientCount").value,
              QVariant::fromValue<int16_t>(1));
    EXPECT_EQ(server->state(), QProcess::Running);
}

using ModalTest = ProcessFixture;

TEST_F(ModalTest, OtherClientsAndTimersAreServedWhileACallWaitsInANestedLoop) {
    ASSERT_TRUE(StartServer({}));
    BusClient a(QStringLiteral("modal-a"), bus->Address());
    BusClient b(QStringLiteral("modal-b"), bus->Address());
    const auto pa = a.Create(kDevice);
    const auto pb = b.Create(kDevice);
    ASSERT_TRUE(pa && pb);

    QDBusPendingCall waiting = a.InvokeAsync(kDevice, *pa, "call", "ModalWait");
    // Sent at once: it may reach the server together with A's call, queued behind it.
    QDBusPendingCall early = b.InvokeAsync(kDevice, *pb, "get", "Description");
    ASSERT_TRUE(WaitFor([&] { return early.isFinished(); }))
        << "a call that arrived with the modal one waited for it";
    ASSERT_TRUE(WaitFor([&] {
        return b.Invoke(kDevice, *pb, "get", "ModalDepth").value == QVariant(1);
    })) << "A's call did not reach the nested loop";

    // B is answered while A waits, and the program's timer keeps running.
    const int ticks = b.Invoke(kDevice, *pb, "get", "Ticks").value.toInt();
    EXPECT_TRUE(
        WaitFor([&] { return b.Invoke(kDevice, *pb, "get", "Ticks").value.toInt() > ticks + 2; }));
    EXPECT_TRUE(b.Invoke(kDevice, *pb, "call", "MoveAbsolute", {45}).ok);
    EXPECT_EQ(b.Invoke(kDevice, *pb, "get", "Position").value, 45.0);
    // A new client connects meanwhile (the server starts watching it), and leaves again.
    {
        BusClient c(QStringLiteral("modal-c"), bus->Address());
        const auto pc = c.Create(kDevice);
        ASSERT_TRUE(pc.has_value());
        EXPECT_EQ(c.Invoke(kDevice, *pc, "get", "ClientCount").value,
                  QVariant::fromValue<int16_t>(3));
    }
    EXPECT_TRUE(WaitFor([&] {
        return b.Invoke(kDevice, *pb, "get", "ClientCount").value ==
               QVariant::fromValue<int16_t>(2);
    }));
    EXPECT_FALSE(waiting.isFinished());

    // B ends the modal loop; only then is A answered, with what B passed.
    const CallResult end = b.Invoke(kDevice, *pb, "call", "EndModal", {7});
    EXPECT_EQ(end.value, true);
    ASSERT_TRUE(WaitFor([&] { return waiting.isFinished(); }));
    const CallResult answer = BusClient::ResultOf(waiting.reply());
    EXPECT_TRUE(answer.ok) << answer.errorMessage.toStdString();
    EXPECT_EQ(answer.value, 7);
    EXPECT_EQ(a.Invoke(kDevice, *pa, "get", "ModalDepth").value, 0);
}

TEST_F(ModalTest, AnObjectReleasedDuringItsOwnModalCallStillAnswersIt) {
    ASSERT_TRUE(StartServer({}));
    BusClient a(QStringLiteral("modal-a"), bus->Address());
    BusClient b(QStringLiteral("modal-b"), bus->Address());
    const auto pa = a.Create(kDevice);
    const auto pb = b.Create(kDevice);
    ASSERT_TRUE(pa && pb);
    QDBusPendingCall waiting = a.InvokeAsync(kDevice, *pa, "call", "ModalWait");
    ASSERT_TRUE(
        WaitFor([&] { return b.Invoke(kDevice, *pb, "get", "ModalDepth").value == QVariant(1); }));
    EXPECT_TRUE(a.Release(kDevice, *pa).ok);
    EXPECT_EQ(b.Invoke(kDevice, *pb, "get", "ClientCount").value, QVariant::fromValue<int16_t>(1));
    EXPECT_TRUE(b.Invoke(kDevice, *pb, "call", "EndModal", {3}).ok);
    ASSERT_TRUE(WaitFor([&] { return waiting.isFinished(); }));
    EXPECT_EQ(BusClient::ResultOf(waiting.reply()).value, 3);
    EXPECT_EQ(a.Invoke(kDevice, *pa, "get", "Position").errorName,
              QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"));
}

}  // namespace
}  // namespace korvex::com::testing
