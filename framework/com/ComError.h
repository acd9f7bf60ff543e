// How a korvex::KorvexError travels over D-Bus, and the errors the server itself raises.
#pragma once

#include <QDBusMessage>
#include <QString>
#include <cstdint>
#include <optional>

#include "framework/core/KorvexError.h"

namespace korvex::com {

// D-Bus error name of every error with number, source and description.
inline constexpr char kErrorName[] = "org.korvex.Error";

// Numbers of the errors raised by dispatch itself, those a COM client gets from a dispatch
// interface for the same faults.
namespace dispatch_err {
inline constexpr uint32_t UnknownMember = 0x80020003;  // no such member, or not of that kind
inline constexpr uint32_t TypeMismatch = 0x80020005;   // an argument cannot become its type
inline constexpr uint32_t Overflow = 0x8002000A;       // a number out of its type's range
inline constexpr uint32_t BadParamCount = 0x8002000E;  // wrong number of arguments
inline constexpr uint32_t InvalidArg = 0x80070057;     // kind other than get, let or call
inline constexpr uint32_t Unexpected = 0x80004005;     // a handler failed with another exception
}  // namespace dispatch_err

// "0x%08X<TAB>source<TAB>description". Tabs inside the source become spaces, so that the
// message always splits back into the same three parts.
QString FormatErrorMessage(const KorvexError& error);

// The error reply to `call` for `error`: the one place where a KorvexError becomes a D-Bus
// error.
QDBusMessage ErrorReply(const QDBusMessage& call, const KorvexError& error);

// Reads back an error sent by ErrorReply; nullopt for any other error name or a message that
// does not have the three parts.
std::optional<KorvexError> ParseError(const QString& errorName, const QString& message);

// "0x80040402 source: description", the form tools print.
QString ToDisplayText(const KorvexError& error);

}  // namespace korvex::com
