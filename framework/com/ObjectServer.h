// The D-Bus object server of a driver program: one bus name per ProgID, its class factory, the
// device objects clients create, and ClientCount over all of them.
//
// On the bus, for each served ProgID:
//   object "/"  interface org.korvex.ClassFactory   CreateObject() -> o
//   object path returned (unique per object), interface org.korvex.Dispatch
//               Invoke(s kind, s member, av args) -> v   kind "get", "let" or "call"; for a let
//                                                        the value is the last argument
//               Release()
// Results travel as described in WireValue.h; errors as described in ComError.h.
//
// Everything runs on the thread that owns the server (the program's one thread). A handler may
// run a nested event loop (a modal dialog): other clients' calls and timers are served
// meanwhile and the caller gets its answer when the handler returns. An object released while
// one of its calls is still running lives on until that call returns.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/com/DeviceClass.h"

namespace korvex::com {

class ServerEndpoint;

class ObjectServer : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMaxClientCount = 32767;  // ClientCount is 16-bit signed

    // Serves on the session bus, or on the message bus at `busAddress` when it is not empty.
    explicit ObjectServer(QString busAddress = {}, QObject* parent = nullptr);
    ~ObjectServer() override;

    // Takes the bus name cls->progId on a connection of its own and serves its class factory.
    // False, with the reason in *error, when the bus cannot be reached or the name is taken
    // (another process serves that ProgID).
    bool Serve(std::shared_ptr<const DeviceClass> cls, QString* error = nullptr);

    // Writes the activation file of every served ProgID, starting `programPath -Embedding`,
    // and asks the bus to reload its configuration so that the files count at once.
    bool RegisterActivation(const QString& programPath, QString* error = nullptr);

    QStringList ProgIds() const;

    // Live objects of all served classes.
    int16_t ClientCount() const { return static_cast<int16_t>(count_); }

    // Test hook: counts `count` objects that do not exist, so that the limit can be reached
    // without creating 32767 bus objects.
    void PreloadClientCountForTesting(int16_t count);

  signals:
    void ClientCountChanged(int count);
    // The last live object went away (released, or its client left the bus). A program
    // started by COM closes itself on this; one started by the user stays.
    void ClientCountReachedZero();

  private:
    friend class ServerEndpoint;
    bool AtLimit() const { return count_ >= kMaxClientCount; }
    void AddClient();
    void RemoveClient();

    QString busAddress_;
    int count_ = 0;
    std::vector<std::unique_ptr<ServerEndpoint>> endpoints_;
};

}  // namespace korvex::com
