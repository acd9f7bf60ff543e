// One served ProgID: its own bus connection, bus name, class factory and live objects.
#pragma once

#include <QHash>
#include <QString>
#include <memory>

#include "framework/com/BusConnection.h"
#include "framework/com/DeviceClass.h"

namespace korvex {
class KorvexError;
}

namespace korvex::com {

class ObjectServer;

class ServerEndpoint {
  public:
    ServerEndpoint(ObjectServer& server, std::shared_ptr<const DeviceClass> cls,
                   QString busAddress);
    ~ServerEndpoint();

    // Connects, takes the bus name and serves the objects.
    bool Start(QString* error);

    const DeviceClass& Class() const { return *cls_; }

    // Asks the bus to read its configuration and activation files again (no answer awaited).
    void AskBusToReload();

  private:
    struct LiveObject {
        QString owner;  // unique bus name of the client that created it
        std::shared_ptr<DeviceObject> object;
    };

    void Handle(DBusMessage* message);
    void HandleSignal(DBusMessage* message);
    QString Introspect(const QString& path) const;
    void CreateObject(DBusMessage* message);
    void InvokeObject(DBusMessage* message, std::shared_ptr<DeviceObject> object);
    void ReleaseObject(DBusMessage* message, const QString& path);
    void WatchOwner(const QString& owner);
    void ForgetOwnerObject(const QString& owner);
    void OnClientGone(const QString& owner);
    void SendError(DBusMessage* call, const char* name, const QString& text);
    void SendError(DBusMessage* call, const KorvexError& error);

    ObjectServer& server_;
    std::shared_ptr<const DeviceClass> cls_;
    QString busAddress_;
    BusConnection connection_;
    bool named_ = false;
    QHash<QString, LiveObject> objects_;  // by object path
    QHash<QString, int> objectsPerOwner_;
};

}  // namespace korvex::com
