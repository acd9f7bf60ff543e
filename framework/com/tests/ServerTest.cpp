// The object server in this process, its clients on their own connections to the session bus.
#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

#include "framework/com/ComError.h"
#include "framework/com/ObjectServer.h"
#include "framework/com/tests/BusClient.h"
#include "framework/com/tests/MinimalDriver.h"
#include "framework/core/KorvexError.h"

namespace korvex::com {
namespace {

using testing::BusClient;
using testing::CallResult;
using testing::MinimalState;
using testing::WaitFor;

const QString kDevice = QString::fromLatin1(testing::kDeviceProgId);
const QString kHelper = QString::fromLatin1(testing::kHelperProgId);

class ServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state.clientCount = [this] { return int(server->ClientCount()); };
        QString error;
        ASSERT_TRUE(server->Serve(testing::MakeMinimalDevice(state), &error))
            << error.toStdString();
        ASSERT_TRUE(server->Serve(testing::MakeMinimalHelper(state), &error))
            << error.toStdString();
        ASSERT_TRUE(a.Connected());
    }

    QString Create(BusClient& client, const QString& progId = kDevice) {
        CallResult failure;
        const auto path = client.Create(progId, &failure);
        EXPECT_TRUE(path.has_value()) << failure.errorMessage.toStdString();
        return path.value_or(QString());
    }

    MinimalState state;
    std::unique_ptr<ObjectServer> server = std::make_unique<ObjectServer>();
    QSignalSpy zeroSpy{server.get(), &ObjectServer::ClientCountReachedZero};
    BusClient a{QStringLiteral("client-a")};
    BusClient b{QStringLiteral("client-b")};
};

TEST_F(ServerTest, ObjectsCountUpAndDownAcrossClassesAndZeroIsSignalledOnce) {
    const QString one = Create(a);
    const QString two = Create(b);
    const QString helper = Create(a, kHelper);
    EXPECT_NE(one, two);
    EXPECT_EQ(server->ClientCount(), 3);
    EXPECT_EQ(state.created, 3);
    EXPECT_EQ(a.Invoke(kHelper, helper, "get", "ClientCount").value,
              QVariant::fromValue<int16_t>(3));

    EXPECT_TRUE(a.Release(kDevice, one).ok);
    EXPECT_TRUE(b.Release(kDevice, two).ok);
    EXPECT_EQ(server->ClientCount(), 1);
    EXPECT_EQ(zeroSpy.count(), 0);
    EXPECT_TRUE(a.Release(kHelper, helper).ok);
    EXPECT_EQ(server->ClientCount(), 0);
    EXPECT_EQ(state.destroyed, 3);
    EXPECT_EQ(zeroSpy.count(), 1);
}

TEST_F(ServerTest, ReleasingTwiceOrAnotherClientsObjectIsAClearError) {
    const QString path = Create(a);
    const CallResult foreign = b.Release(kDevice, path);
    EXPECT_FALSE(foreign.ok);
    EXPECT_EQ(foreign.errorName, QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
    EXPECT_EQ(server->ClientCount(), 1);

    EXPECT_TRUE(a.Release(kDevice, path).ok);
    const CallResult again = a.Release(kDevice, path);
    EXPECT_FALSE(again.ok);
    EXPECT_EQ(again.errorName, QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"));
    EXPECT_TRUE(again.errorMessage.contains(QStringLiteral("released or never created")));
    const CallResult invoke = a.Invoke(kDevice, QStringLiteral("/obj/999999"), "get", "Position");
    EXPECT_EQ(invoke.errorName, QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"));
    EXPECT_EQ(server->ClientCount(), 0);
    EXPECT_EQ(zeroSpy.count(), 1);
}

TEST_F(ServerTest, AClientLeavingTheBusReleasesAllItsObjects) {
    Create(a);
    Create(a);
    Create(a, kHelper);
    const QString kept = Create(b);
    EXPECT_EQ(server->ClientCount(), 4);
    a.Disconnect();
    EXPECT_TRUE(WaitFor([&] { return server->ClientCount() == 1; }));
    EXPECT_EQ(state.destroyed, 3);
    EXPECT_EQ(zeroSpy.count(), 0);
    EXPECT_TRUE(b.Invoke(kDevice, kept, "get", "Position").ok);
    b.Disconnect();
    EXPECT_TRUE(WaitFor([&] { return zeroSpy.count() == 1; }));
    EXPECT_EQ(server->ClientCount(), 0);
}

TEST_F(ServerTest, CreationPastTheSixteenBitLimitIsRefusedAndNotCounted) {
    server->PreloadClientCountForTesting(32766);
    const QString last = Create(a);
    EXPECT_EQ(server->ClientCount(), 32767);
    CallResult failure;
    EXPECT_FALSE(a.Create(kDevice, &failure).has_value());
    ASSERT_TRUE(failure.error.has_value()) << failure.errorName.toStdString();
    EXPECT_EQ(failure.error->Number(), dispatch_err::Overflow);
    EXPECT_EQ(failure.error->Description(),
              QStringLiteral("Cannot create another object: ClientCount is at its limit of 32767"));
    EXPECT_EQ(server->ClientCount(), 32767);
    EXPECT_EQ(state.created, 1);
    EXPECT_TRUE(a.Release(kDevice, last).ok);
    EXPECT_EQ(server->ClientCount(), 32766);
    EXPECT_TRUE(a.Create(kDevice).has_value());
}

TEST_F(ServerTest, ValuesOfEveryTypeCrossTheBus) {
    const QString path = Create(a);
    EXPECT_EQ(a.Invoke(kDevice, path, "get", "Description").value,
              QStringLiteral("Korvex minimal test device"));
    const CallResult moved = a.Invoke(kDevice, path, "call", "MoveAbsolute", {90});
    EXPECT_TRUE(moved.ok);
    EXPECT_FALSE(moved.value.isValid());  // no value
    EXPECT_EQ(a.Invoke(kDevice, path, "get", "Position").value, 90.0);
    EXPECT_TRUE(a.Invoke(kDevice, path, "let", "reverse", {true}).ok);
    EXPECT_EQ(a.Invoke(kDevice, path, "get", "Reverse").value, true);
    EXPECT_TRUE(a.Invoke(kDevice, path, "let", "timer", {QVariant::fromValue<uchar>(2), -5}).ok);
    EXPECT_EQ(a.Invoke(kDevice, path, "get", "timer", {2}).value, -5);
    EXPECT_EQ(a.Invoke(kDevice, path, "get", "InterfaceVersion").value,
              QVariant::fromValue<int16_t>(1));
    EXPECT_EQ(
        a.Invoke(kDevice, path, "get", "Names").value,
        (QVariantList{QStringLiteral("Red"), QStringLiteral("Green"), QStringLiteral("Blue")}));
    EXPECT_EQ(a.Invoke(kDevice, path, "get", "FocusOffsets").value, (QVariantList{0, 10, -5}));
    state.offsets.clear();  // an empty typed array is still a value, not "no value"
    const CallResult empty = a.Invoke(kDevice, path, "get", "FocusOffsets");
    EXPECT_TRUE(empty.value.isValid());
    EXPECT_TRUE(empty.value.toList().isEmpty());
    EXPECT_EQ(a.Invoke(kDevice, path, "call", "Sum",
                       {
                           QVariant::fromValue(QList<double>{1.5, 2}),
                       })
                  .value,
              3.5);
    const CallResult sum =
        a.Invoke(kDevice, path, "call", "Sum", {QVariant(QVariantList{1, 2.25})});
    EXPECT_EQ(sum.value, 3.25) << sum.errorMessage.toStdString();
    EXPECT_EQ(a.Invoke(kDevice, path, "call", "Flags",
                       {QVariant::fromValue(QList<bool>{true, false, true})})
                  .value,
              QVariant::fromValue<int16_t>(2));
    EXPECT_EQ(a.Invoke(kDevice, path, "call", "Echo", {QStringLiteral("tab\there")}).value,
              QStringLiteral("tab\there"));
}

TEST_F(ServerTest, MalformedInvokeGetsAClearErrorAndTheServerGoesOn) {
    const QString path = Create(a);
    struct Case {
        const char* kind;
        const char* member;
        QVariantList args;
        uint32_t number;
    };
    const Case cases[] = {
        {"get", "NoSuchMember", {}, dispatch_err::UnknownMember},
        {"let", "Description", {QStringLiteral("x")}, dispatch_err::UnknownMember},
        {"call", "MoveAbsolute", {}, dispatch_err::BadParamCount},
        {"call", "MoveAbsolute", {QStringLiteral("abc")}, dispatch_err::TypeMismatch},
        {"let", "timer", {40000, 1}, dispatch_err::Overflow},
        {"frob", "Position", {}, dispatch_err::InvalidArg},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.member);
        const CallResult r = a.Invoke(kDevice, path, c.kind, c.member, c.args);
        EXPECT_FALSE(r.ok);
        ASSERT_TRUE(r.error.has_value()) << r.errorName.toStdString();
        EXPECT_EQ(r.error->Number(), c.number);
        EXPECT_EQ(r.error->Source(), kDevice);
        EXPECT_FALSE(r.error->Description().isEmpty());
    }
    // A call that does not even have Invoke's signature.
    QDBusMessage bare =
        QDBusMessage::createMethodCall(kDevice, path, "org.korvex.Dispatch", "Invoke");
    bare << QStringLiteral("get") << QStringLiteral("Position");
    const CallResult wrongSignature = a.Call(bare);
    EXPECT_EQ(wrongSignature.errorName, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    const CallResult unknownMethod =
        a.Call(QDBusMessage::createMethodCall(kDevice, path, "org.korvex.Dispatch", "Frobnicate"));
    EXPECT_EQ(unknownMethod.errorName, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));

    EXPECT_TRUE(a.Invoke(kDevice, path, "get", "Position").ok);
    EXPECT_EQ(server->ClientCount(), 1);
}

TEST_F(ServerTest, HandlerErrorsReachTheClientWithNumberSourceAndDescription) {
    const QString path = Create(a);
    const CallResult fail = a.Invoke(kDevice, path, "call", "Fail");
    EXPECT_EQ(fail.errorName, QStringLiteral("org.korvex.Error"));
    EXPECT_EQ(fail.errorMessage,
              QStringLiteral("0x80040402\tKorvex Test Control\tThe test device is not connected"));
    const CallResult crash = a.Invoke(kDevice, path, "call", "Crash");
    ASSERT_TRUE(crash.error.has_value());
    EXPECT_EQ(crash.error->Number(), dispatch_err::Unexpected);
    EXPECT_EQ(crash.error->Description(), QStringLiteral("Crash failed: wiring fault"));
    EXPECT_TRUE(a.Invoke(kDevice, path, "get", "Position").ok);
}

TEST_F(ServerTest, CallsThatArriveWithAModalCallAreServedWhileItWaits) {
    const QString pa = Create(a);
    const QString pb = Create(b);
    QDBusPendingCall waiting = a.InvokeAsync(kDevice, pa, "call", "ModalWait");
    QDBusPendingCall early = b.InvokeAsync(kDevice, pb, "get", "Description");
    // No events run meanwhile: both calls are queued for this thread before either is handled,
    // B's behind A's when the bus delivers them in that order.
    QThread::msleep(300);
    QTimer check;  // runs inside the nested loop
    check.callOnTimeout([&] {
        if (state.modal != nullptr && early.isFinished()) state.modal->exit(1);
    });
    check.start(10);
    ASSERT_TRUE(WaitFor([&] { return waiting.isFinished(); }, 30000));
    EXPECT_EQ(BusClient::ResultOf(waiting.reply()).value, 1) << "B's call waited for A's";
    EXPECT_EQ(BusClient::ResultOf(early.reply()).value,
              QStringLiteral("Korvex minimal test device"));
}

TEST_F(ServerTest, ACreationHookThatRefusesCountsNothing) {
    auto refusing = std::make_shared<DeviceClass>();
    refusing->progId = QStringLiteral("KorvexTest.Refusing");
    refusing->create = []() -> std::unique_ptr<DeviceObject> {
        throw KorvexError(0x80040405, QStringLiteral("Korvex Test Control"),
                          QStringLiteral("Component or DLL missing"));
    };
    ASSERT_TRUE(server->Serve(refusing));
    CallResult failure;
    EXPECT_FALSE(a.Create(refusing->progId, &failure).has_value());
    ASSERT_TRUE(failure.error.has_value());
    EXPECT_EQ(failure.error->Number(), 0x80040405u);
    EXPECT_EQ(failure.error->Description(), QStringLiteral("Component or DLL missing"));
    EXPECT_EQ(server->ClientCount(), 0);
    EXPECT_EQ(zeroSpy.count(), 0);
}

TEST_F(ServerTest, ASecondServerCannotTakeAServedProgId) {
    ObjectServer other;
    MinimalState otherState;
    QString error;
    EXPECT_FALSE(other.Serve(testing::MakeMinimalDevice(otherState), &error));
    EXPECT_TRUE(error.contains(kDevice)) << error.toStdString();
}

TEST_F(ServerTest, StoppingTheServerGivesTheNamesBack) {
    server.reset();
    QDBusConnectionInterface* bus = a.Connection().interface();
    EXPECT_TRUE(WaitFor([&] { return !bus->isServiceRegistered(kDevice).value(); }));
    EXPECT_FALSE(bus->isServiceRegistered(kHelper).value());
}

}  // namespace
}  // namespace korvex::com
