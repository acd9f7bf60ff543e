// The Invoke arguments and results in libdbus messages, in the same Qt forms as WireValue.h
// gives them for QtDBus messages.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

struct DBusMessage;

namespace korvex::com {

// Reads the (s kind, s member, av args) of an Invoke call; the args decoded as DecodeArgs
// does. False when the message has another signature.
bool ReadInvokeArgs(DBusMessage* call, QString& kind, QString& member, QList<QVariant>& args);

// Appends the `v` of an Invoke reply for a typed result (QVariant() for no value: an empty
// `av`). False for a value of no wire type.
bool AppendResult(DBusMessage* reply, const QVariant& typedResult);

}  // namespace korvex::com
