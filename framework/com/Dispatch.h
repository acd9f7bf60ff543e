// One Invoke on one device object, independent of the bus.
#pragma once

#include <QStringView>
#include <QVariant>
#include <span>

#include "framework/com/DeviceClass.h"

namespace korvex::com {

// Finds `member` of kind `kind` ("get", "let" or "call", any case) in `cls`, checks the
// argument count, converts `wireArgs` (decoded wire values) to the parameter types, runs the
// handler and converts its result to the declared type (QVariant() for Empty).
// Throws korvex::KorvexError for every failure a client sees: the handler's own errors as
// they are, dispatch faults with the numbers of dispatch_err and the ProgID as source, and any
// other exception of the handler as dispatch_err::Unexpected.
QVariant Invoke(const DeviceClass& cls, DeviceObject& object, QStringView kind, QStringView member,
                std::span<const QVariant> wireArgs);

}  // namespace korvex::com
