// Values as they cross the bus: the `av` arguments of Invoke and its `v` result.
//
// A result that is no value (a let, a call returning nothing) travels as a variant holding an
// empty `av`; typed results never use `av` (an empty int32 array result is an empty `ai`).
#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

namespace korvex::com {

// A structure, dictionary or file descriptor as the server receives it: no member type accepts
// one, so only its D-Bus signature is kept, for the error that says so.
struct OpaqueWireValue {
    QString signature;
};

// Plain Qt form of a received value: variants unwrapped, arrays as QVariantList of decoded
// elements (also for `as` and `ay`). Structures and maps stay QDBusArgument (no member type
// accepts them).
QVariant DecodeWire(const QVariant& value);

// Decodes the `av` argument of Invoke into `out`. False when `value` is not an array.
bool DecodeArgs(const QVariant& value, QList<QVariant>& out);

// The `v` of a reply for a typed result (QVariant() for no value), ready for createReply.
QVariant EncodeResult(const QVariant& typedResult);

// Client side: the decoded result of a reply's `v`; QVariant() when the member returned no
// value.
QVariant DecodeResult(const QVariant& replyArgument);

// Makes QtDBus able to send the typed array results (QList<bool>, QList<short>, ...). Called
// by the server and by clients before their first call; cheap after the first time.
void RegisterWireTypes();

}  // namespace korvex::com

Q_DECLARE_METATYPE(korvex::com::OpaqueWireValue)
