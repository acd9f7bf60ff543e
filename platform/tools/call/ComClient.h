// One device object of one ProgID, seen from a client program.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariant>
#include <optional>

#include "framework/core/KorvexError.h"

namespace korvex::call {

struct Failure {
    std::optional<KorvexError> com;  // the server's error with number, source, description
    QString message;                 // otherwise: what went wrong on the bus
};

class ComClient {
  public:
    explicit ComClient(QDBusConnection bus);

    // Creates the object; the bus starts the program when it is registered but not running.
    bool Create(const QString& progId, Failure* failure);
    // `result` is QVariant() for no value.
    bool Invoke(const QString& kind, const QString& member, const QVariantList& args,
                QVariant* result, Failure* failure);
    bool Release(Failure* failure);

  private:
    bool Check(const QDBusMessage& reply, Failure* failure) const;

    QDBusConnection bus_;
    QString progId_;
    QString server_;  // unique bus name of the serving process
    QString path_;
};

}  // namespace korvex::call
