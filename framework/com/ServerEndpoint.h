// One served ProgID: its own bus connection, bus name, class factory and live objects.
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QHash>
#include <QString>
#include <memory>

#include "framework/com/DeviceClass.h"

namespace korvex::com {

class ObjectServer;

class ServerEndpoint : public QDBusVirtualObject {
  public:
    ServerEndpoint(ObjectServer& server, std::shared_ptr<const DeviceClass> cls,
                   const QString& busAddress);
    ~ServerEndpoint() override;

    // Connects, registers the objects and takes the bus name.
    bool Start(QString* error);

    const DeviceClass& Class() const { return *cls_; }
    QDBusConnection Connection() const { return connection_; }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    struct LiveObject {
        QString owner;  // unique bus name of the client that created it
        std::shared_ptr<DeviceObject> object;
    };

    void Handle(const QDBusMessage& message);
    void CreateObject(const QDBusMessage& message);
    void InvokeObject(const QDBusMessage& message, std::shared_ptr<DeviceObject> object);
    void ReleaseObject(const QDBusMessage& message);
    void WatchOwner(const QString& owner);
    void ForgetOwnerObject(const QString& owner);
    void OnClientGone(const QString& owner);
    void Send(const QDBusMessage& reply);

    ObjectServer& server_;
    std::shared_ptr<const DeviceClass> cls_;
    QString connectionName_;
    QDBusConnection connection_;
    QDBusServiceWatcher* watcher_ = nullptr;
    bool registered_ = false;
    QHash<QString, LiveObject> objects_;  // by object path
    QHash<QString, int> objectsPerOwner_;
};

}  // namespace korvex::com
