#include "framework/com/ServerEndpoint.h"

#include <QAbstractEventDispatcher>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <atomic>
#include <exception>

#include "framework/com/ComError.h"
#include "framework/com/Dispatch.h"
#include "framework/com/ObjectServer.h"
#include "framework/com/WireValue.h"
#include "framework/core/KorvexError.h"

namespace korvex::com {
namespace {

constexpr QLatin1StringView kFactoryInterface("org.korvex.ClassFactory");
constexpr QLatin1StringView kDispatchInterface("org.korvex.Dispatch");
constexpr QLatin1StringView kIntrospectable("org.freedesktop.DBus.Introspectable");

std::atomic<quint64> nextConnection{1};
std::atomic<quint64> nextObject{1};

const char kFactoryXml[] =
    "  <interface name=\"org.korvex.ClassFactory\">\n"
    "    <method name=\"CreateObject\"><arg name=\"object\" type=\"o\" "
    "direction=\"out\"/></method>\n"
    "  </interface>\n";
const char kDispatchXml[] =
    "  <interface name=\"org.korvex.Dispatch\">\n"
    "    <method name=\"Invoke\">\n"
    "      <arg name=\"kind\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"member\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"args\" type=\"av\" direction=\"in\"/>\n"
    "      <arg name=\"result\" type=\"v\" direction=\"out\"/>\n"
    "    </method>\n"
    "    <method name=\"Release\"/>\n"
    "  </interface>\n";

bool IsInterface(const QString& actual, QLatin1StringView expected) {
    return actual.isEmpty() || actual == expected;
}

}  // namespace

ServerEndpoint::ServerEndpoint(ObjectServer& server, std::shared_ptr<const DeviceClass> cls,
                               const QString& busAddress)
    : server_(server),
      cls_(std::move(cls)),
      connectionName_(QStringLiteral("korvex-com-%1-%2").arg(nextConnection++).arg(cls_->progId)),
      connection_(busAddress.isEmpty()
                      ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_)
                      : QDBusConnection::connectToBus(busAddress, connectionName_)) {}

ServerEndpoint::~ServerEndpoint() {
    if (registered_) {
        connection_.unregisterService(cls_->progId);
        connection_.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
    }
    delete watcher_;
    objects_.clear();
    QDBusConnection::disconnectFromBus(connectionName_);
}

bool ServerEndpoint::Start(QString* error) {
    if (!connection_.isConnected()) {
        if (error) {
            *error = QStringLiteral("Cannot reach the session bus: %1")
                         .arg(connection_.lastError().message());
        }
        return false;
    }
    if (!connection_.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath)) {
        if (error) *error = QStringLiteral("Cannot register the objects of %1").arg(cls_->progId);
        return false;
    }
    registered_ = true;
    if (!connection_.registerService(cls_->progId)) {
        if (error) {
            const QString reason = connection_.lastError().message();
            *error = QStringLiteral("Cannot take the bus name %1 (another program serves it?)%2")
                         .arg(cls_->progId,
                              reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
        }
        connection_.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
        registered_ = false;
        return false;
    }
    watcher_ = new QDBusServiceWatcher(this);
    watcher_->setConnection(connection_);
    watcher_->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
                     [this](const QString& owner) { OnClientGone(owner); });
    return true;
}

QString ServerEndpoint::introspect(const QString& path) const {
    // The interfaces at `path`; Handle() wraps them in the full Introspect answer.
    if (path == QLatin1String("/")) return QString::fromLatin1(kFactoryXml);
    return objects_.contains(path) ? QString::fromLatin1(kDispatchXml) : QString();
}

bool ServerEndpoint::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    if (message.type() != QDBusMessage::MethodCallMessage) return false;
    // Every call is answered here, with its own reply or error; QtDBus adds nothing for a
    // virtual object. The answer goes out when the handler returns, even after a nested loop.
    Handle(message);
    return true;
}

void ServerEndpoint::Handle(const QDBusMessage& message) {
    // Events posted before this one (other clients' calls) must still be delivered if the
    // handler below runs a nested loop. The glib event dispatcher only looks at posted events
    // again after a new post or wake-up, so wake it now: the nested loop then serves them.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->wakeUp();
    }
    const QString& path = message.path();
    const QString& member = message.member();
    const QString& iface = message.interface();

    if (iface == kIntrospectable) {
        QString xml = QStringLiteral(
            "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n");
        xml += QLatin1String(
            "  <interface name=\"org.freedesktop.DBus.Introspectable\">\n"
            "    <method name=\"Introspect\"><arg type=\"s\" direction=\"out\"/></method>\n"
            "  </interface>\n");
        xml += introspect(path);
        xml += QLatin1String("</node>\n");
        Send(message.createReply(xml));
        return;
    }

    if (path == QLatin1String("/")) {
        if (member == QLatin1String("CreateObject") && IsInterface(iface, kFactoryInterface)) {
            CreateObject(message);
        } else {
            Send(message.createErrorReply(
                QDBusError::UnknownMethod,
                QStringLiteral("No method %1.%2 on the class factory").arg(iface, member)));
        }
        return;
    }

    const auto it = objects_.constFind(path);
    if (it == objects_.constEnd()) {
        Send(message.createErrorReply(
            QDBusError::UnknownObject,
            QStringLiteral("No object %1 of %2: it was released or never created")
                .arg(path, cls_->progId)));
        return;
    }
    if (IsInterface(iface, kDispatchInterface)) {
        if (member == QLatin1String("Invoke")) {
            InvokeObject(message, it->object);
            return;
        }
        if (member == QLatin1String("Release")) {
            ReleaseObject(message);
            return;
        }
    }
    Send(message.createErrorReply(
        QDBusError::UnknownMethod,
        QStringLiteral("No method %1.%2 on a %3 object").arg(iface, member, cls_->progId)));
}

void ServerEndpoint::CreateObject(const QDBusMessage& message) {
    if (server_.AtLimit()) {
        Send(ErrorReply(message, KorvexError(dispatch_err::Overflow, cls_->progId,
                                             QStringLiteral("Cannot create another object: "
                                                            "ClientCount is at its limit of %1")
                                                 .arg(ObjectServer::kMaxClientCount))));
        return;
    }
    std::shared_ptr<DeviceObject> object;
    try {
        object = cls_->create ? std::shared_ptr<DeviceObject>(cls_->create())
                              : std::make_shared<DeviceObject>();
    } catch (const KorvexError& e) {
        Send(ErrorReply(message, e));
        return;
    } catch (const std::exception& e) {
        Send(ErrorReply(message, KorvexError(dispatch_err::Unexpected, cls_->progId,
                                             QStringLiteral("Creating the object failed: %1")
                                                 .arg(QString::fromUtf8(e.what())))));
        return;
    }
    if (!object || server_.AtLimit()) {  // the creation hook may have run a nested loop
        Send(ErrorReply(message, KorvexError(dispatch_err::Unexpected, cls_->progId,
                                             QStringLiteral("Creating the object failed"))));
        return;
    }
    const QString path = QStringLiteral("/obj/%1").arg(nextObject++);
    const QString owner = message.service();
    objects_.insert(path, LiveObject{owner, std::move(object)});
    WatchOwner(owner);
    server_.AddClient();
    Send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
}

void ServerEndpoint::InvokeObject(const QDBusMessage& message,
                                  std::shared_ptr<DeviceObject> object) {
    const QList<QVariant> arguments = message.arguments();
    QList<QVariant> args;
    if (arguments.size() != 3 || message.signature() != QLatin1String("ssav") ||
        !DecodeArgs(arguments[2], args)) {
        Send(message.createErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("Invoke takes (s kind, s member, av args), got (%1)")
                .arg(message.signature())));
        return;
    }
    // `object` keeps the device object alive even if it is released during a nested loop.
    QDBusMessage reply;
    try {
        const QVariant result =
            Invoke(*cls_, *object, arguments[0].toString(), arguments[1].toString(), args);
        reply = message.createReply(EncodeResult(result));
    } catch (const KorvexError& e) {
        reply = ErrorReply(message, e);
    }
    Send(reply);
}

void ServerEndpoint::ReleaseObject(const QDBusMessage& message) {
    const auto it = objects_.find(message.path());
    if (it == objects_.end()) return;  // handleMessage found it; nothing ran in between
    if (it->owner != message.service()) {
        Send(message.createErrorReply(
            QDBusError::AccessDenied,
            QStringLiteral("Object %1 belongs to another client").arg(message.path())));
        return;
    }
    std::shared_ptr<DeviceObject> object = std::move(it->object);
    const QString owner = it->owner;
    objects_.erase(it);
    ForgetOwnerObject(owner);
    Send(message.createReply());
    object.reset();  // the release hook, unless a call of this object is still running
    server_.RemoveClient();
}

void ServerEndpoint::WatchOwner(const QString& owner) {
    if (objectsPerOwner_[owner]++ > 0) return;
    watcher_->addWatchedService(owner);
    // A client that left before the watch was in place would never be seen leaving: ask the
    // bus once, after the match rule, whether it is still there.
    QDBusMessage query = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    query << owner;
    auto* pending = new QDBusPendingCallWatcher(connection_.asyncCall(query), this);
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, this,
                     [this, owner](QDBusPendingCallWatcher* call) {
                         const QDBusPendingReply<bool> reply = *call;
                         call->deleteLater();
                         if (reply.isValid() && !reply.value()) OnClientGone(owner);
                     });
}

void ServerEndpoint::ForgetOwnerObject(const QString& owner) {
    const auto it = objectsPerOwner_.find(owner);
    if (it == objectsPerOwner_.end()) return;
    if (--it.value() <= 0) {
        objectsPerOwner_.erase(it);
        watcher_->removeWatchedService(owner);
    }
}

void ServerEndpoint::OnClientGone(const QString& owner) {
    if (!objectsPerOwner_.contains(owner)) return;
    std::vector<std::shared_ptr<DeviceObject>> gone;
    for (auto it = objects_.begin(); it != objects_.end();) {
        if (it->owner == owner) {
            gone.push_back(std::move(it->object));
            it = objects_.erase(it);
        } else {
            ++it;
        }
    }
    objectsPerOwner_.remove(owner);
    watcher_->removeWatchedService(owner);
    for (auto& object : gone) {
        object.reset();
        server_.RemoveClient();
    }
}

void ServerEndpoint::Send(const QDBusMessage& reply) { connection_.send(reply); }

}  // namespace korvex::com
