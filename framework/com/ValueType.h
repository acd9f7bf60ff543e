// Types a device member may take or return, and the three kinds of member.
#pragma once

#include <QLatin1StringView>
#include <cstdint>

namespace korvex::com {

// Scalar types and arrays of them. Converted arguments reach handlers as
// bool, int16_t (short), int32_t (int), double, QString, or QList<bool>, QList<int16_t>,
// QList<int32_t>, QList<double>, QStringList for the array types.
enum class ValueType : uint8_t {
    Empty,  // no value: the result of a let and of a call that returns nothing
    Bool,
    Int16,
    Int32,
    Double,
    String,
    BoolArray,
    Int16Array,
    Int32Array,
    DoubleArray,
    StringArray,
};

// get reads a property, let writes one (the value is the last argument), call runs a method.
enum class MemberKind : uint8_t { Get, Let, Call };

bool IsArray(ValueType type);
ValueType ElementType(ValueType arrayType);   // Empty for a scalar type
QLatin1StringView TypeName(ValueType type);   // "double", "int16 array", ...
QLatin1StringView KindName(MemberKind kind);  // "get", "let", "call"

}  // namespace korvex::com
