// Conversion of decoded wire values to the declared parameter and result types.
//
// Accepted without loss, besides values of the exact type:
//  - any integer width, and a double with a whole value, for Int16 and Int32 when in range;
//  - any integer for Double when it is exactly representable (|v| <= 2^53);
//  - the integers 0 (false), 1 and -1 (true, the COM value) for Bool: scripts and shell
//    callers often write booleans as numbers;
//  - booleans ("True"/"False") and numbers (shortest round-trip text) for String, because
//    text-typed callers such as korvex-call send "42" as a number;
//  - for arrays, any array whose elements each convert by the rules above.
// Text is never parsed as a number: "abc", and also "1", for a Double is a mismatch.
#pragma once

#include <QString>
#include <QVariant>

#include "framework/com/ValueType.h"

namespace korvex::com {

enum class CoerceStatus { Ok, Mismatch, Overflow };

// On Ok, `out` holds the value in the representation handlers receive (see ValueType).
CoerceStatus Coerce(const QVariant& in, ValueType type, QVariant& out);

// Short description of a value for error texts: "\"abc\" (string)", "40000 (integer)".
QString DescribeValue(const QVariant& value);

}  // namespace korvex::com
