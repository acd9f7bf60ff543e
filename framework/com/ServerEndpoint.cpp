#include "framework/com/ServerEndpoint.h"

#include <dbus/dbus.h>

#include <QByteArray>
#include <atomic>
#include <cstring>
#include <exception>

#include "framework/com/ComError.h"
#include "framework/com/Dispatch.h"
#include "framework/com/MessageValues.h"
#include "framework/com/ObjectServer.h"
#include "framework/core/KorvexError.h"

namespace korvex::com {
namespace {

constexpr char kFactoryInterface[] = "org.korvex.ClassFactory";
constexpr char kDispatchInterface[] = "org.korvex.Dispatch";
constexpr char kIntrospectable[] = "org.freedesktop.DBus.Introspectable";
constexpr char kBusName[] = "org.freedesktop.DBus";
constexpr char kBusPath[] = "/org/freedesktop/DBus";

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

QString Field(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

bool Is(const char* actual, const char* expected) {
    return actual && std::strcmp(actual, expected) == 0;
}

// A call without an interface matches every interface.
bool IsInterface(const char* actual, const char* expected) {
    return !actual || std::strcmp(actual, expected) == 0;
}

// The match rule that reports `owner` leaving the bus.
QString OwnerGoneRule(const QString& owner) {
    return QStringLiteral(
               "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
               "member='NameOwnerChanged',path='/org/freedesktop/DBus',arg0='%1'")
        .arg(owner);
}

DBusMessage* BusCall(const char* member) {
    return dbus_message_new_method_call(kBusName, kBusPath, kBusName, member);
}

}  // namespace

ServerEndpoint::ServerEndpoint(ObjectServer& server, std::shared_ptr<const DeviceClass> cls,
                               QString busAddress)
    : server_(server), cls_(std::move(cls)), busAddress_(std::move(busAddress)) {
    connection_.SetHandler([this](DBusMessage* message) { Handle(message); });
}

ServerEndpoint::~ServerEndpoint() {
    if (named_) connection_.ReleaseName(cls_->progId);
    objects_.clear();
}

bool ServerEndpoint::Start(QString* error) {
    QString reason;
    if (!connection_.Open(busAddress_, &reason)) {
        if (error) *error = QStringLiteral("Cannot reach the session bus: %1").arg(reason);
        return false;
    }
    if (!connection_.RequestName(cls_->progId, &reason)) {
        if (error) {
            *error = QStringLiteral("Cannot take the bus name %1 (another program serves it?)%2")
                         .arg(cls_->progId,
                              reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
        }
        return false;
    }
    named_ = true;
    return true;
}

void ServerEndpoint::AskBusToReload() {
    DBusMessage* reload = BusCall("ReloadConfig");
    dbus_message_set_no_reply(reload, TRUE);
    connection_.Send(reload);
}

QString ServerEndpoint::Introspect(const QString& path) const {
    // The interfaces at `path`, wrapped by Handle() in the full Introspect answer.
    if (path == QLatin1String("/")) return QString::fromLatin1(kFactoryXml);
    return objects_.contains(path) ? QString::fromLatin1(kDispatchXml) : QString();
}

void ServerEndpoint::Handle(DBusMessage* message) {
    if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_SIGNAL) {
        HandleSignal(message);
        return;
    }
    // Every call is answered here, with its own reply or error. The answer goes out when the
    // handler returns, even after a nested loop.
    const QString path = Field(dbus_message_get_path(message));
    const char* member = dbus_message_get_member(message);
    const char* iface = dbus_message_get_interface(message);

    if (Is(iface, kIntrospectable)) {
        QString xml = QStringLiteral(
            "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n");
        xml += QLatin1String(
            "  <interface name=\"org.freedesktop.DBus.Introspectable\">\n"
            "    <method name=\"Introspect\"><arg type=\"s\" direction=\"out\"/></method>\n"
            "  </interface>\n");
        xml += Introspect(path);
        xml += QLatin1String("</node>\n");
        const QByteArray utf8 = xml.toUtf8();
        const char* data = utf8.constData();
        DBusMessage* reply = dbus_message_new_method_return(message);
        dbus_message_append_args(reply, DBUS_TYPE_STRING, &data, DBUS_TYPE_INVALID);
        connection_.Send(reply);
        return;
    }

    if (path == QLatin1String("/")) {
        if (Is(member, "CreateObject") && IsInterface(iface, kFactoryInterface)) {
            CreateObject(message);
        } else {
            SendError(message, DBUS_ERROR_UNKNOWN_METHOD,
                      QStringLiteral("No method %1.%2 on the class factory")
                          .arg(Field(iface), Field(member)));
        }
        return;
    }

    const auto it = objects_.constFind(path);
    if (it == objects_.constEnd()) {
        SendError(message, DBUS_ERROR_UNKNOWN_OBJECT,
                  QStringLiteral("No object %1 of %2: it was released or never created")
                      .arg(path, cls_->progId));
        return;
    }
    if (IsInterface(iface, kDispatchInterface)) {
        if (Is(member, "Invoke")) {
            InvokeObject(message, it->object);
            return;
        }
        if (Is(member, "Release")) {
            ReleaseObject(message, path);
            return;
        }
    }
    SendError(message, DBUS_ERROR_UNKNOWN_METHOD,
              QStringLiteral("No method %1.%2 on a %3 object")
                  .arg(Field(iface), Field(member), cls_->progId));
}

void ServerEndpoint::HandleSignal(DBusMessage* message) {
    if (!dbus_message_is_signal(message, kBusName, "NameOwnerChanged") ||
        !Is(dbus_message_get_sender(message), kBusName)) {
        return;
    }
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (!dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING,
                               &oldOwner, DBUS_TYPE_STRING, &newOwner, DBUS_TYPE_INVALID)) {
        return;
    }
    if (newOwner[0] == '\0') OnClientGone(QString::fromUtf8(name));
}

void ServerEndpoint::CreateObject(DBusMessage* message) {
    if (server_.AtLimit()) {
        SendError(message, KorvexError(dispatch_err::Overflow, cls_->progId,
                                       QStringLiteral("Cannot create another object: "
                                                      "ClientCount is at its limit of %1")
                                           .arg(ObjectServer::kMaxClientCount)));
        return;
    }
    std::shared_ptr<DeviceObject> object;
    try {
        object = cls_->create ? std::shared_ptr<DeviceObject>(cls_->create())
                              : std::make_shared<DeviceObject>();
    } catch (const KorvexError& e) {
        SendError(message, e);
        return;
    } catch (const std::exception& e) {
        SendError(
            message,
            KorvexError(
                dispatch_err::Unexpected, cls_->progId,
                QStringLiteral("Creating the object failed: %1").arg(QString::fromUtf8(e.what()))));
        return;
    }
    if (!object || server_.AtLimit()) {  // the creation hook may have run a nested loop
        SendError(message, KorvexError(dispatch_err::Unexpected, cls_->progId,
                                       QStringLiteral("Creating the object failed")));
        return;
    }
    const QString path = QStringLiteral("/obj/%1").arg(nextObject++);
    const QString owner = Field(dbus_message_get_sender(message));
    objects_.insert(path, LiveObject{owner, std::move(object)});
    WatchOwner(owner);
    server_.AddClient();
    const QByteArray utf8 = path.toUtf8();
    const char* data = utf8.constData();
    DBusMessage* reply = dbus_message_new_method_return(message);
    dbus_message_append_args(reply, DBUS_TYPE_OBJECT_PATH, &data, DBUS_TYPE_INVALID);
    connection_.Send(reply);
}

void ServerEndpoint::InvokeObject(DBusMessage* message, std::shared_ptr<DeviceObject> object) {
    QString kind;
    QString member;
    QList<QVariant> args;
    if (!ReadInvokeArgs(message, kind, member, args)) {
        SendError(message, DBUS_ERROR_INVALID_ARGS,
                  QStringLiteral("Invoke takes (s kind, s member, av args), got (%1)")
                      .arg(Field(dbus_message_get_signature(message))));
        return;
    }
    // `object` keeps the device object alive even if it is released during a nested loop.
    try {
        const QVariant result = Invoke(*cls_, *object, kind, member, args);
        DBusMessage* reply = dbus_message_new_method_return(message);
        if (!AppendResult(reply, result)) {
            dbus_message_unref(reply);
            throw KorvexError(dispatch_err::Unexpected, cls_->progId,
                              QStringLiteral("%1 returned a value of type %2")
                                  .arg(member, QLatin1String(result.typeName())));
        }
        connection_.Send(reply);
    } catch (const KorvexError& e) {
        SendError(message, e);
    }
}

void ServerEndpoint::ReleaseObject(DBusMessage* message, const QString& path) {
    const auto it = objects_.find(path);
    if (it == objects_.end()) return;  // Handle() found it; nothing ran in between
    if (it->owner != Field(dbus_message_get_sender(message))) {
        SendError(message, DBUS_ERROR_ACCESS_DENIED,
                  QStringLiteral("Object %1 belongs to another client").arg(path));
        return;
    }
    std::shared_ptr<DeviceObject> object = std::move(it->object);
    const QString owner = it->owner;
    objects_.erase(it);
    ForgetOwnerObject(owner);
    connection_.Send(dbus_message_new_method_return(message));
    object.reset();  // the release hook, unless a call of this object is still running
    server_.RemoveClient();
}

void ServerEndpoint::WatchOwner(const QString& owner) {
    if (objectsPerOwner_[owner]++ > 0) return;
    connection_.AddMatch(OwnerGoneRule(owner));
    // A client that left before the rule was in place would never be seen leaving: ask the
    // bus once, after the match rule, whether it is still there.
    DBusMessage* query = BusCall("NameHasOwner");
    const QByteArray utf8 = owner.toUtf8();
    const char* data = utf8.constData();
    dbus_message_append_args(query, DBUS_TYPE_STRING, &data, DBUS_TYPE_INVALID);
    connection_.CallAsync(query, [this, owner](DBusMessage* reply) {
        dbus_bool_t has = TRUE;
        if (reply && dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_METHOD_RETURN &&
            dbus_message_get_args(reply, nullptr, DBUS_TYPE_BOOLEAN, &has, DBUS_TYPE_INVALID) &&
            !has) {
            OnClientGone(owner);
        }
    });
}

void ServerEndpoint::ForgetOwnerObject(const QString& owner) {
    const auto it = objectsPerOwner_.find(owner);
    if (it == objectsPerOwner_.end()) return;
    if (--it.value() <= 0) {
        objectsPerOwner_.erase(it);
        connection_.RemoveMatch(OwnerGoneRule(owner));
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
    connection_.RemoveMatch(OwnerGoneRule(owner));
    for (auto& object : gone) {
        object.reset();
        server_.RemoveClient();
    }
}

void ServerEndpoint::SendError(DBusMessage* call, const char* name, const QString& text) {
    connection_.Send(dbus_message_new_error(call, name, text.toUtf8().constData()));
}

void ServerEndpoint::SendError(DBusMessage* call, const KorvexError& error) {
    SendError(call, kErrorName, FormatErrorMessage(error));
}

}  // namespace korvex::com
