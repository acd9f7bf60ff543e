#include "framework/com/tests/BusClient.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

#include "framework/com/ComError.h"
#include "framework/com/WireValue.h"

namespace korvex::com::testing {

BusClient::BusClient(const QString& name, const QString& busAddress)
    : name_(name),
      connection_(busAddress.isEmpty()
                      ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)
                      : QDBusConnection::connectToBus(busAddress, name)) {
    RegisterWireTypes();
}

BusClient::~BusClient() { Disconnect(); }

void BusClient::Disconnect() {
    if (!connected_) return;
    connected_ = false;
    // The connection closes only when no QDBusConnection refers to it any more.
    connection_ = QDBusConnection(QStringLiteral("korvex-test-closed"));
    QDBusConnection::disconnectFromBus(name_);
}

CallResult BusClient::ResultOf(const QDBusMessage& reply) {
    CallResult result;
    if (reply.type() == QDBusMessage::ReplyMessage) {
        result.ok = true;
        if (!reply.arguments().isEmpty()) result.value = DecodeResult(reply.arguments().first());
        return result;
    }
    result.errorName = reply.errorName();
    result.errorMessage = reply.errorMessage();
    result.error = ParseError(result.errorName, result.errorMessage);
    return result;
}

CallResult BusClient::Call(const QDBusMessage& message) {
    QDBusPendingCall pending = connection_.asyncCall(message, 20000);
    WaitFor([&pending] { return pending.isFinished(); }, 25000);
    if (!pending.isFinished()) {
        CallResult timeout;
        timeout.errorName = QStringLiteral("test.Timeout");
        return timeout;
    }
    return ResultOf(pending.reply());
}

std::optional<QString> BusClient::Create(const QString& progId, CallResult* failure) {
    const QDBusMessage message = QDBusMessage::createMethodCall(
        progId, QStringLiteral("/"), QStringLiteral("org.korvex.ClassFactory"),
        QStringLiteral("CreateObject"));
    QDBusPendingCall pending = connection_.asyncCall(message, 20000);
    WaitFor([&pending] { return pending.isFinished(); }, 25000);
    const QDBusMessage reply = pending.reply();
    if (pending.isFinished() && reply.type() == QDBusMessage::ReplyMessage &&
        reply.arguments().size() == 1) {
        return reply.arguments().first().value<QDBusObjectPath>().path();
    }
    if (failure) *failure = ResultOf(reply);
    return std::nullopt;
}

QDBusPendingCall BusClient::InvokeAsync(const QString& progId, const QString& path,
                                        const QString& kind, const QString& member,
                                        const QVariantList& args) {
    QDBusMessage message = QDBusMessage::createMethodCall(
        progId, path, QStringLiteral("org.korvex.Dispatch"), QStringLiteral("Invoke"));
    message << kind << member << QVariant(args);
    return connection_.asyncCall(message, 30000);
}

CallResult BusClient::Invoke(const QString& progId, const QString& path, const QString& kind,
                             const QString& member, const QVariantList& args) {
    QDBusPendingCall pending = InvokeAsync(progId, path, kind, member, args);
    WaitFor([&pending] { return pending.isFinished(); }, 25000);
    return ResultOf(pending.reply());
}

CallResult BusClient::Release(const QString& progId, const QString& path) {
    return Call(QDBusMessage::createMethodCall(progId, path, QStringLiteral("org.korvex.Dispatch"),
                                               QStringLiteral("Release")));
}

}  // namespace korvex::com::testing
