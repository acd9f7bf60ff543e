// A test client of the object server with its own bus connection (its own unique name).
#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QString>
#include <QVariant>
#include <optional>

#include "framework/core/KorvexError.h"
#include "korvex/testing/WaitFor.h"

namespace korvex::com::testing {

using korvex::testing::WaitFor;

struct CallResult {
    bool ok = false;
    QVariant value;  // decoded result; QVariant() for no value
    QString errorName;
    QString errorMessage;
    std::optional<KorvexError> error;  // set for org.korvex.Error
};

class BusClient {
  public:
    // `busAddress` empty: the session bus.
    explicit BusClient(const QString& name, const QString& busAddress = {});
    ~BusClient();

    QDBusConnection& Connection() { return connection_; }
    bool Connected() const { return connection_.isConnected(); }
    QString UniqueName() const { return connection_.baseService(); }

    // The object path, or nullopt with the error in *failure.
    std::optional<QString> Create(const QString& progId, CallResult* failure = nullptr);
    QDBusPendingCall InvokeAsync(const QString& progId, const QString& path, const QString& kind,
                                 const QString& member, const QVariantList& args = {});
    CallResult Invoke(const QString& progId, const QString& path, const QString& kind,
                      const QString& member, const QVariantList& args = {});
    CallResult Release(const QString& progId, const QString& path);
    // Any method call, waited for while the event loop runs.
    CallResult Call(const QDBusMessage& message);

    // Leaves the bus as a client program that exits would.
    void Disconnect();

    static CallResult ResultOf(const QDBusMessage& reply);

  private:
    QString name_;
    QDBusConnection connection_;
    bool connected_ = true;
};

}  // namespace korvex::com::testing
