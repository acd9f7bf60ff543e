#include "framework/com/BusConnection.h"

#include <dbus/dbus.h>

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

namespace korvex::com {
namespace {

// A message reference released with its last holder (queued work may be dropped unrun).
using HeldMessage = std::shared_ptr<DBusMessage>;
HeldMessage MessageRef(DBusMessage* message) {
    return HeldMessage(message, [](DBusMessage* m) {
        if (m) dbus_message_unref(m);
    });
}

constexpr int kCallTimeoutMs = 25000;  // the libdbus default for a method call

QString TakeError(DBusError& error) {
    const QString text = dbus_error_is_set(&error) ? QString::fromUtf8(error.message) : QString();
    dbus_error_free(&error);
    return text;
}

// The socket notifiers of one libdbus watch. A watch may ask for reading, writing or both.
struct WatchNotifiers {
    QPointer<QSocketNotifier> read;
    QPointer<QSocketNotifier> write;
};

void Release(QPointer<QSocketNotifier>& notifier) {
    // Deleted later: libdbus may drop a watch from inside that notifier's own signal.
    if (notifier) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    notifier = nullptr;
}

}  // namespace

struct BusConnection::Callbacks {
    static void DispatchStatus(DBusConnection*, DBusDispatchStatus status, void* data) {
        // Called from inside libdbus, possibly while it holds its lock: only note the work,
        // unless the reading watch is about to dispatch anyway.
        auto* self = static_cast<BusConnection*>(data);
        if (status == DBUS_DISPATCH_DATA_REMAINS && !self->inWatchHandle_) self->ScheduleDispatch();
    }

    static DBusHandlerResult Message(DBusConnection*, DBusMessage* message, void* data) {
        auto* self = static_cast<BusConnection*>(data);
        const int type = dbus_message_get_type(message);
        if (type != DBUS_MESSAGE_TYPE_METHOD_CALL && type != DBUS_MESSAGE_TYPE_SIGNAL) {
            return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
        }
        // Handled after dbus_connection_dispatch returns: that call is not reentrant, and a
        // handler may run a nested event loop that has to dispatch again.
        self->Enqueue([self, held = MessageRef(dbus_message_ref(message))] {
            if (self->handler_) self->handler_(held.get());
        });
        return DBUS_HANDLER_RESULT_HANDLED;
    }

    static void PendingReply(DBusPendingCall* pending, void* data) {
        auto* self = static_cast<BusConnection*>(data);
        DBusMessage* reply = dbus_pending_call_steal_reply(pending);
        auto* done = static_cast<ReplyHandler*>(dbus_pending_call_get_data(pending, Slot()));
        ReplyHandler handler = done ? std::move(*done) : ReplyHandler();
        dbus_pending_call_unref(pending);
        self->Enqueue([handler = std::move(handler), held = MessageRef(reply)] {
            if (handler) handler(held.get());
        });
    }

    static dbus_int32_t& Slot() {
        static dbus_int32_t slot = -1;
        return slot;
    }

    static dbus_bool_t AddWatch(DBusWatch* watch, void* data) {
        auto* self = static_cast<BusConnection*>(data);
        auto* notifiers = new WatchNotifiers;
        const int fd = dbus_watch_get_unix_fd(watch);
        const unsigned int flags = dbus_watch_get_flags(watch);
        if (flags & DBUS_WATCH_READABLE) {
            notifiers->read = new QSocketNotifier(fd, QSocketNotifier::Read, self);
            QObject::connect(notifiers->read, &QSocketNotifier::activated, self, [self, watch] {
                // Read and dispatch at once: no posted event, no second pass of the loop.
                self->inWatchHandle_ = true;
                dbus_watch_handle(watch, DBUS_WATCH_READABLE);
                self->inWatchHandle_ = false;
                self->Dispatch();
            });
        }
        if (flags & DBUS_WATCH_WRITABLE) {
            notifiers->write = new QSocketNotifier(fd, QSocketNotifier::Write, self);
            QObject::connect(notifiers->write, &QSocketNotifier::activated, self,
                             [watch] { dbus_watch_handle(watch, DBUS_WATCH_WRITABLE); });
        }
        dbus_watch_set_data(watch, notifiers, [](void* p) {
            auto* n = static_cast<WatchNotifiers*>(p);
            Release(n->read);
            Release(n->write);
            delete n;
        });
        ToggleWatch(watch, data);
        return TRUE;
    }

    static void RemoveWatch(DBusWatch* watch, void*) {
        // Frees the notifiers through the data's free function.
        dbus_watch_set_data(watch, nullptr, nullptr);
    }

    static void ToggleWatch(DBusWatch* watch, void*) {
        auto* notifiers = static_cast<WatchNotifiers*>(dbus_watch_get_data(watch));
        if (!notifiers) return;
        const bool enabled = dbus_watch_get_enabled(watch);
        if (notifiers->read) notifiers->read->setEnabled(enabled);
        if (notifiers->write) notifiers->write->setEnabled(enabled);
    }

    static dbus_bool_t AddTimeout(DBusTimeout* timeout, void* data) {
        auto* self = static_cast<BusConnection*>(data);
        auto* timer = new QTimer(self);
        QObject::connect(timer, &QTimer::timeout, self,
                         [timeout] { dbus_timeout_handle(timeout); });
        dbus_timeout_set_data(timeout, timer, [](void* p) {
            auto* t = static_cast<QTimer*>(p);
            t->stop();
            t->deleteLater();
        });
        ToggleTimeout(timeout, data);
        return TRUE;
    }

    static void RemoveTimeout(DBusTimeout* timeout, void*) {
        dbus_timeout_set_data(timeout, nullptr, nullptr);
    }

    static void ToggleTimeout(DBusTimeout* timeout, void*) {
        auto* timer = static_cast<QTimer*>(dbus_timeout_get_data(timeout));
        if (!timer) return;
        if (dbus_timeout_get_enabled(timeout)) {
            timer->start(dbus_timeout_get_interval(timeout));
        } else {
            timer->stop();
        }
    }
};

BusConnection::BusConnection(QObject* parent) : QObject(parent) {}

BusConnection::~BusConnection() {
    if (connection_) {
        dbus_connection_remove_filter(connection_, &Callbacks::Message, this);
        dbus_connection_set_dispatch_status_function(connection_, nullptr, nullptr, nullptr);
        dbus_connection_close(connection_);
        dbus_connection_set_watch_functions(connection_, nullptr, nullptr, nullptr, nullptr,
                                            nullptr);
        dbus_connection_set_timeout_functions(connection_, nullptr, nullptr, nullptr, nullptr,
                                              nullptr);
        dbus_connection_unref(connection_);
        connection_ = nullptr;
        dbus_pending_call_free_data_slot(&Callbacks::Slot());
    }
    // Queued work holds message references; dropping it releases them without running it.
    handler_ = nullptr;
    queue_.clear();
}

bool BusConnection::Open(const QString& busAddress, QString* error) {
    dbus_threads_init_default();
    DBusError err;
    dbus_error_init(&err);
    DBusConnection* c = nullptr;
    if (busAddress.isEmpty()) {
        c = dbus_bus_get_private(DBUS_BUS_SESSION, &err);
    } else {
        c = dbus_connection_open_private(busAddress.toUtf8().constData(), &err);
        if (c && !dbus_bus_register(c, &err)) {
            dbus_connection_close(c);
            dbus_connection_unref(c);
            c = nullptr;
        }
    }
    if (!c) {
        const QString reason = TakeError(err);
        if (error) *error = reason.isEmpty() ? QStringLiteral("no connection") : reason;
        return false;
    }
    if (!dbus_pending_call_allocate_data_slot(&Callbacks::Slot())) {
        dbus_connection_close(c);
        dbus_connection_unref(c);
        if (error) *error = QStringLiteral("out of memory");
        return false;
    }
    connection_ = c;
    dbus_connection_set_exit_on_disconnect(c, FALSE);
    dbus_connection_add_filter(c, &Callbacks::Message, this, nullptr);
    dbus_connection_set_watch_functions(c, &Callbacks::AddWatch, &Callbacks::RemoveWatch,
                                        &Callbacks::ToggleWatch, this, nullptr);
    dbus_connection_set_timeout_functions(c, &Callbacks::AddTimeout, &Callbacks::RemoveTimeout,
                                          &Callbacks::ToggleTimeout, this, nullptr);
    dbus_connection_set_dispatch_status_function(c, &Callbacks::DispatchStatus, this, nullptr);
    // Messages that came with the registration answer are waiting already.
    ScheduleDispatch();
    return true;
}

bool BusConnection::RequestName(const QString& name, QString* error) {
    DBusError err;
    dbus_error_init(&err);
    const int result = dbus_bus_request_name(connection_, name.toUtf8().constData(),
                                             DBUS_NAME_FLAG_DO_NOT_QUEUE, &err);
    const QString reason = TakeError(err);
    if (result == DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER ||
        result == DBUS_REQUEST_NAME_REPLY_ALREADY_OWNER) {
        return true;
    }
    if (error) *error = reason;
    return false;
}

void BusConnection::ReleaseName(const QString& name) {
    if (!connection_ || !dbus_connection_get_is_connected(connection_)) return;
    DBusError err;
    dbus_error_init(&err);
    dbus_bus_release_name(connection_, name.toUtf8().constData(), &err);
    dbus_error_free(&err);
}

void BusConnection::Send(DBusMessage* message) {
    if (!message) return;
    if (connection_) dbus_connection_send(connection_, message, nullptr);
    dbus_message_unref(message);
}

void BusConnection::CallAsync(DBusMessage* call, ReplyHandler done) {
    DBusPendingCall* pending = nullptr;
    if (connection_ &&
        dbus_connection_send_with_reply(connection_, call, &pending, kCallTimeoutMs) && pending) {
        dbus_pending_call_set_data(pending, Callbacks::Slot(), new ReplyHandler(std::move(done)),
                                   [](void* p) { delete static_cast<ReplyHandler*>(p); });
        if (!dbus_pending_call_set_notify(pending, &Callbacks::PendingReply, this, nullptr)) {
            dbus_pending_call_cancel(pending);
            dbus_pending_call_unref(pending);
        }
    } else {
        Enqueue([done = std::move(done)] {
            if (done) done(nullptr);
        });
    }
    dbus_message_unref(call);
}

void BusConnection::AddMatch(const QString& rule) {
    // A null error: libdbus sends the rule and does not wait for the answer.
    if (connection_) dbus_bus_add_match(connection_, rule.toUtf8().constData(), nullptr);
}

void BusConnection::RemoveMatch(const QString& rule) {
    if (connection_) dbus_bus_remove_match(connection_, rule.toUtf8().constData(), nullptr);
}

void BusConnection::ScheduleDispatch() {
    if (dispatchQueued_) return;
    dispatchQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            dispatchQueued_ = false;
            Dispatch();
        },
        Qt::QueuedConnection);
}

void BusConnection::Enqueue(std::function<void()> work) {
    queue_.push_back(std::move(work));
    if (!inLibDispatch_) ScheduleDispatch();  // else Dispatch() goes on with the queue
}

void BusConnection::Dispatch() {
    if (connection_ && !inLibDispatch_) {
        // Moves the received messages to queue_ (libdbus answers Peer calls on the way).
        inLibDispatch_ = true;
        while (dbus_connection_dispatch(connection_) == DBUS_DISPATCH_DATA_REMAINS) {
        }
        inLibDispatch_ = false;
    }
    while (!queue_.empty()) {
        std::function<void()> work = std::move(queue_.front());
        queue_.pop_front();
        // If `work` runs a nested event loop, the work behind it is done in there.
        if (!queue_.empty()) ScheduleDispatch();
        work();
    }
}

}  // namespace korvex::com
