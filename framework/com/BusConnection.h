// A private libdbus connection driven by the Qt event loop of the thread that opens it: its
// sockets are watched by QSocketNotifier, its timeouts run as QTimer and incoming messages are
// dispatched from a queued call. Calls are thus read, handled and answered on that thread with
// no hand-over to another one; libdbus itself answers org.freedesktop.DBus.Peer (Ping).
//
// Messages reach the handler one at a time, in order of arrival. The handler may run a nested
// event loop: messages that arrive meanwhile (or were already queued) are handled inside it.
#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <functional>

struct DBusConnection;
struct DBusMessage;

namespace korvex::com {

class BusConnection : public QObject {
  public:
    // Gets every incoming method call and signal; the message is unreferenced after it returns.
    using Handler = std::function<void(DBusMessage*)>;
    // The reply of a CallAsync, nullptr when there is none (timeout, disconnected).
    using ReplyHandler = std::function<void(DBusMessage*)>;

    explicit BusConnection(QObject* parent = nullptr);
    ~BusConnection() override;

    // Connects to the session bus, or to the message bus at `busAddress` when it is not empty,
    // and registers with it.
    bool Open(const QString& busAddress, QString* error);
    bool IsOpen() const { return connection_ != nullptr; }

    // Takes `name` without queueing for it. False, with the reason in *error (empty when the
    // bus simply reports the name as owned), when another connection has it.
    bool RequestName(const QString& name, QString* error);
    void ReleaseName(const QString& name);

    void SetHandler(Handler handler) { handler_ = std::move(handler); }

    // Queues `message` for sending and drops the caller's reference.
    void Send(DBusMessage* message);
    // Sends `call` (dropping the caller's reference) and runs `done` with its reply on this
    // thread, in order with the other incoming messages.
    void CallAsync(DBusMessage* call, ReplyHandler done);

    // Match rules, sent without waiting for the bus's answer. The bus handles messages in
    // order, so a call sent after AddMatch is answered with the rule in place.
    void AddMatch(const QString& rule);
    void RemoveMatch(const QString& rule);

  private:
    void ScheduleDispatch();
    void Dispatch();
    void Enqueue(std::function<void()> work);

    struct Callbacks;  // the libdbus hooks
    friend struct Callbacks;

    DBusConnection* connection_ = nullptr;
    Handler handler_;
    std::deque<std::function<void()>> queue_;
    bool dispatchQueued_ = false;
    bool inLibDispatch_ = false;
    bool inWatchHandle_ = false;
};

}  // namespace korvex::com
