#include "platform/tools/call/ComClient.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <climits>

#include "framework/com/ComError.h"
#include "framework/com/WireValue.h"

namespace korvex::call {
namespace {

constexpr int kCreateTimeoutMs = 120000;  // includes starting the program
constexpr int kNoTimeout = INT_MAX;       // a member may open a dialog and wait for the user

}  // namespace

ComClient::ComClient(QDBusConnection bus) : bus_(std::move(bus)) { com::RegisterWireTypes(); }

bool ComClient::Check(const QDBusMessage& reply, Failure* failure) const {
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
    failure->com = com::ParseError(reply.errorName(), reply.errorMessage());
    if (failure->com) return false;
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")) {
        failure->message = QStringLiteral(
                               "no program serves %1 (not running, and not registered "
                               "for activation)")
                               .arg(progId_);
    } else if (reply.errorName().isEmpty()) {
        failure->message = QStringLiteral("no answer from %1").arg(progId_);
    } else {
        failure->message = QStringLiteral("%1: %2").arg(reply.errorName(), reply.errorMessage());
    }
    return false;
}

bool ComClient::Create(const QString& progId, Failure* failure) {
    progId_ = progId;
    if (!bus_.isConnected()) {
        failure->message =
            QStringLiteral("cannot reach the session bus: %1").arg(bus_.lastError().message());
        return false;
    }
    const QDBusMessage reply =
        bus_.call(QDBusMessage::createMethodCall(progId, QStringLiteral("/"),
                                                 QStringLiteral("org.korvex.ClassFactory"),
                                                 QStringLiteral("CreateObject")),
                  QDBus::Block, kCreateTimeoutMs);
    if (!Check(reply, failure)) return false;
    if (reply.arguments().size() != 1 ||
        reply.arguments().first().metaType() != QMetaType::fromType<QDBusObjectPath>()) {
        failure->message =
            QStringLiteral("%1 answered CreateObject without an object path").arg(progId);
        return false;
    }
    path_ = reply.arguments().first().value<QDBusObjectPath>().path();
    // Later calls go to the process that made the object (its unique name): should it exit,
    // they fail instead of starting a new copy that does not know the object.
    server_ = reply.service().isEmpty() ? progId : reply.service();
    return true;
}

bool ComClient::Invoke(const QString& kind, const QString& member, const QVariantList& args,
                       QVariant* result, Failure* failure) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        server_, path_, QStringLiteral("org.korvex.Dispatch"), QStringLiteral("Invoke"));
    call << kind << member << QVariant(args);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kNoTimeout);
    if (!Check(reply, failure)) return false;
    *result =
        reply.arguments().isEmpty() ? QVariant() : com::DecodeResult(reply.arguments().first());
    return true;
}

bool ComClient::Release(Failure* failure) {
    const QDBusMessage reply = bus_.call(
        QDBusMessage::createMethodCall(server_, path_, QStringLiteral("org.korvex.Dispatch"),
                                       QStringLiteral("Release")),
        QDBus::Block, kCreateTimeoutMs);
    return Check(reply, failure);
}

}  // namespace korvex::call
