#include "framework/com/ValueType.h"

namespace korvex::com {

bool IsArray(ValueType type) { return ElementType(type) != ValueType::Empty; }

ValueType ElementType(ValueType arrayType) {
    switch (arrayType) {
        case ValueType::BoolArray:
            return ValueType::Bool;
        case ValueType::Int16Array:
            return ValueType::Int16;
        case ValueType::Int32Array:
            return ValueType::Int32;
        case ValueType::DoubleArray:
            return ValueType::Double;
        case ValueType::StringArray:
            return ValueType::String;
        default:
            return ValueType::Empty;
    }
}

QLatin1StringView TypeName(ValueType type) {
    switch (type) {
        case ValueType::Empty:
            return QLatin1StringView("nothing");
        case ValueType::Bool:
            return QLatin1StringView("boolean");
        case ValueType::Int16:
            return QLatin1StringView("16-bit integer");
        case ValueType::Int32:
            return QLatin1StringView("32-bit integer");
        case ValueType::Double:
            return QLatin1StringView("double");
        case ValueType::String:
            return QLatin1StringView("string");
        case ValueType::BoolArray:
            return QLatin1StringView("boolean array");
        case ValueType::Int16Array:
            return QLatin1StringView("16-bit integer array");
        case ValueType::Int32Array:
            return QLatin1StringView("32-bit integer array");
        case ValueType::DoubleArray:
            return QLatin1StringView("double array");
        case ValueType::StringArray:
            return QLatin1StringView("string array");
    }
    return QLatin1StringView("?");
}

QLatin1StringView KindName(MemberKind kind) {
    switch (kind) {
        case MemberKind::Get:
            return QLatin1StringView("get");
        case MemberKind::Let:
            return QLatin1StringView("let");
        case MemberKind::Call:
            return QLatin1StringView("call");
    }
    return QLatin1StringView("?");
}

}  // namespace korvex::com
