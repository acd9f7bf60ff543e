// Test doubles and helpers for start-up tests: a link table that notes the calls whose order
// matters, a profile store that can refuse, a bus client on its own connection, and waiting
// for a condition while the event loop runs.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <optional>
#include <utility>

#include "framework/core/AscomProfile.h"
#include "korvex/testing/WaitFor.h"
#include "tkl_table.h"

namespace korvex::apptest {

using korvex::testing::WaitFor;

// Lets the events already posted (zero timers included) run, without waiting for new ones.
void DrainEvents();

// Wraps TKLSubOpen, TKLSubClose, TKLSubExits and SaveToRegHKCU of `table` so that each call is
// noted ("TKLSubOpen", ..., "Save <name>=<value>") before it goes on to the bound operation.
// One wrapped table at a time; Note() adds a line of the test's own.
namespace linklog {
void Wrap(LinkTable& table);
void Note(const QString& line);
QStringList& Calls();
}  // namespace linklog

// In-memory profile store that refuses to open (platform missing) or to write (no rights).
class TestProfileStore final : public ProfileStore {
  public:
    bool CanOpen() const override { return canOpen; }
    bool Write(const QString& key, const QString& name, const QString& value) override;
    std::optional<QString> Read(const QString& key, const QString& name) const override;

    bool canOpen = true;
    bool writable = true;
    std::map<std::pair<QString, QString>, QString> values;
};

struct BusReply {
    bool ok = false;
    QVariant value;
    QString errorName;
    QString errorMessage;
    QString Error() const { return errorName + QStringLiteral(": ") + errorMessage; }
};

// A client with a connection of its own; every call is waited for while the event loop runs,
// so a server in this process answers it.
class TestBusClient {
  public:
    explicit TestBusClient(const QString& name, const QString& address = {});
    ~TestBusClient();

    std::optional<QString> Create(const QString& progId, BusReply* failure = nullptr);
    BusReply Invoke(const QString& progId, const QString& path, const QString& kind,
                    const QString& member, const QVariantList& args = {});
    BusReply Release(const QString& progId, const QString& path);
    bool NameHasOwner(const QString& name);
    // Process id of the owner of `name`, 0 when it has none.
    qint64 OwnerPid(const QString& name);
    QDBusConnection& Connection() { return connection_; }
    // Leaves the bus, as a client program that exits does.
    void Disconnect();

  private:
    BusReply Call(const QDBusMessage& message);

    QString name_;
    QDBusConnection connection_;
    bool connected_ = true;
};

}  // namespace korvex::apptest
