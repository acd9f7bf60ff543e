#include "framework/app/tests/AppTestSupport.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusReply>

#include "framework/com/WireValue.h"

namespace korvex::apptest {

void DrainEvents() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

namespace linklog {
namespace {

LinkTable& Original() {
    static LinkTable table;
    return table;
}

void Open() {
    Note(QStringLiteral("TKLSubOpen"));
    Original().TKLSubOpen();
}
void Close() {
    Note(QStringLiteral("TKLSubClose"));
    Original().TKLSubClose();
}
void Exits() {
    Note(QStringLiteral("TKLSubExits"));
    Original().TKLSubExits();
}
int32_t Save(const char* path, const char* name, const char* value) {
    Note(QStringLiteral("Save %1=%2").arg(QString::fromUtf8(name), QString::fromUtf8(value)));
    return Original().SaveToRegHKCU(path, name, value);
}

}  // namespace

QStringList& Calls() {
    static QStringList calls;
    return calls;
}

void Note(const QString& line) { Calls() << line; }

void Wrap(LinkTable& table) {
    Original() = table;
    Calls().clear();
    table.TKLSubOpen = Open;
    table.TKLSubClose = Close;
    table.TKLSubExits = Exits;
    table.SaveToRegHKCU = Save;
}

}  // namespace linklog

bool TestProfileStore::Write(const QString& key, const QString& name, const QString& value) {
    if (!writable) return false;
    values[{key, name}] = value;
    return true;
}

std::optional<QString> TestProfileStore::Read(const QString& key, const QString& name) const {
    const auto it = values.find({key, name});
    if (it == values.end()) return std::nullopt;
    return it->second;
}

TestBusClient::TestBusClient(const QString& name, const QString& address)
    : name_(name),
      connection_(address.isEmpty()
                      ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)
                      : QDBusConnection::connectToBus(address, name)) {
    com::RegisterWireTypes();
}

TestBusClient::~TestBusClient() { Disconnect(); }

void TestBusClient::Disconnect() {
    if (!connected_) return;
    connected_ = false;
    // The connection closes only when no QDBusConnection refers to it any more.
    connection_ = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(name_);
}

BusReply TestBusClient::Call(const QDBusMessage& message) {
    QDBusPendingCall pending = connection_.asyncCall(message, 30000);
    WaitFor([&pending] { return pending.isFinished(); }, 35000);
    BusReply result;
    if (!pending.isFinished()) {
        result.errorName = QStringLiteral("test.NoAnswer");
        return result;
    }
    const QDBusMessage reply = pending.reply();
    if (reply.type() != QDBusMessage::ReplyMessage) {
        result.errorName = reply.errorName();
        result.errorMessage = reply.errorMessage();
        return result;
    }
    result.ok = true;
    if (!reply.arguments().isEmpty()) result.value = reply.arguments().first();
    return result;
}

std::optional<QString> TestBusClient::Create(const QString& progId, BusReply* failure) {
    const BusReply reply = Call(QDBusMessage::createMethodCall(
        progId, QStringLiteral("/"), QStringLiteral("org.korvex.ClassFactory"),
        QStringLiteral("CreateObject")));
    if (!reply.ok) {
        if (failure) *failure = reply;
        return std::nullopt;
    }
    return reply.value.value<QDBusObjectPath>().path();
}

BusReply TestBusClient::Invoke(const QString& progId, const QString& path, const QString& kind,
                               const QString& member, const QVariantList& args) {
    QDBusMessage message = QDBusMessage::createMethodCall(
        progId, path, QStringLiteral("org.korvex.Dispatch"), QStringLiteral("Invoke"));
    message << kind << member << QVariant(args);
    BusReply reply = Call(message);
    if (reply.ok) reply.value = com::DecodeResult(reply.value);
    return reply;
}

BusReply TestBusClient::Release(const QString& progId, const QString& path) {
    return Call(QDBusMessage::createMethodCall(progId, path, QStringLiteral("org.korvex.Dispatch"),
                                               QStringLiteral("Release")));
}

bool TestBusClient::NameHasOwner(const QString& name) {
    return connection_.interface()->isServiceRegistered(name).value();
}

qint64 TestBusClient::OwnerPid(const QString& name) {
    const QDBusReply<uint> pid = connection_.interface()->servicePid(name);
    return pid.isValid() ? qint64(pid.value()) : 0;
}

}  // namespace korvex::apptest
