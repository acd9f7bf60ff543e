#include "framework/com/Coercion.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QLocale>
#include <cmath>
#include <limits>

#include "framework/com/WireValue.h"

namespace korvex::com {
namespace {

constexpr double kExactIntegerLimit = 9007199254740992.0;  // 2^53

enum class IntStatus { NotInteger, Ok, TooLarge };

// Integers of every D-Bus width, and doubles with a whole value.
IntStatus AsInteger(const QVariant& in, int64_t& out) {
    switch (in.metaType().id()) {
        case QMetaType::UChar:
            out = in.value<uchar>();
            return IntStatus::Ok;
        case QMetaType::Short:
            out = in.value<short>();
            return IntStatus::Ok;
        case QMetaType::UShort:
            out = in.value<ushort>();
            return IntStatus::Ok;
        case QMetaType::Int:
            out = in.toInt();
            return IntStatus::Ok;
        case QMetaType::UInt:
            out = in.toUInt();
            return IntStatus::Ok;
        case QMetaType::LongLong:
            out = in.toLongLong();
            return IntStatus::Ok;
        case QMetaType::ULongLong: {
            const qulonglong v = in.toULongLong();
            if (v > static_cast<qulonglong>(std::numeric_limits<int64_t>::max())) {
                return IntStatus::TooLarge;
            }
            out = static_cast<int64_t>(v);
            return IntStatus::Ok;
        }
        case QMetaType::Double: {
            const double d = in.toDouble();
            if (!std::isfinite(d) || std::trunc(d) != d) return IntStatus::NotInteger;
            if (std::fabs(d) >= 9.2e18) return IntStatus::TooLarge;
            out = static_cast<int64_t>(d);
            return IntStatus::Ok;
        }
        default:
            return IntStatus::NotInteger;
    }
}

bool IsIntegerType(const QVariant& in) {
    switch (in.metaType().id()) {
        case QMetaType::UChar:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return true;
        default:
            return false;
    }
}

CoerceStatus ToInteger(const QVariant& in, int64_t lo, int64_t hi, int64_t& out) {
    switch (AsInteger(in, out)) {
        case IntStatus::NotInteger:
            return CoerceStatus::Mismatch;
        case IntStatus::TooLarge:
            return CoerceStatus::Overflow;
        case IntStatus::Ok:
            return (out < lo || out > hi) ? CoerceStatus::Overflow : CoerceStatus::Ok;
    }
    return CoerceStatus::Mismatch;
}

CoerceStatus CoerceScalar(const QVariant& in, ValueType type, QVariant& out) {
    const int id = in.metaType().id();
    switch (type) {
        case ValueType::Bool: {
            if (id == QMetaType::Bool) {
                out = QVariant(in.toBool());
                return CoerceStatus::Ok;
            }
            int64_t v = 0;
            if (IsIntegerType(in) && AsInteger(in, v) == IntStatus::Ok &&
                (v == 0 || v == 1 || v == -1)) {
                out = QVariant(v != 0);
                return CoerceStatus::Ok;
            }
            return CoerceStatus::Mismatch;
        }
        case ValueType::Int16: {
            int64_t v = 0;
            const CoerceStatus s = ToInteger(in, std::numeric_limits<int16_t>::min(),
                                             std::numeric_limits<int16_t>::max(), v);
            if (s == CoerceStatus::Ok) out = QVariant::fromValue(static_cast<int16_t>(v));
            return s;
        }
        case ValueType::Int32: {
            int64_t v = 0;
            const CoerceStatus s = ToInteger(in, std::numeric_limits<int32_t>::min(),
                                             std::numeric_limits<int32_t>::max(), v);
            if (s == CoerceStatus::Ok) out = QVariant(static_cast<int32_t>(v));
            return s;
        }
        case ValueType::Double: {
            if (id == QMetaType::Double) {
                out = in;
                return CoerceStatus::Ok;
            }
            if (id == QMetaType::Float) {
                out = QVariant(static_cast<double>(in.toFloat()));
                return CoerceStatus::Ok;
            }
            int64_t v = 0;
            if (!IsIntegerType(in)) return CoerceStatus::Mismatch;
            if (AsInteger(in, v) != IntStatus::Ok ||
                std::fabs(static_cast<double>(v)) > kExactIntegerLimit) {
                return CoerceStatus::Overflow;
            }
            out = QVariant(static_cast<double>(v));
            return CoerceStatus::Ok;
        }
        case ValueType::String: {
            if (id == QMetaType::QString) {
                out = in;
                return CoerceStatus::Ok;
            }
            if (id == QMetaType::Bool) {
                out = QVariant(in.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
                return CoerceStatus::Ok;
            }
            if (id == QMetaType::Double) {
                out = QVariant(QString::number(in.toDouble(), 'g', QLocale::FloatingPointShortest));
                return CoerceStatus::Ok;
            }
            if (IsIntegerType(in)) {
                out = QVariant(in.toString());
                return CoerceStatus::Ok;
            }
            return CoerceStatus::Mismatch;
        }
        default:
            return CoerceStatus::Mismatch;
    }
}

// The elements of any list-like value; false for scalars.
bool Elements(const QVariant& in, QVariantList& out) {
    switch (in.metaType().id()) {
        case QMetaType::QVariantList:
            out = in.toList();
            return true;
        case QMetaType::QStringList:
            out.clear();
            for (const QString& s : in.toStringList()) out.push_back(s);
            return true;
        default:
            break;
    }
    const QMetaType type = in.metaType();
    if (type == QMetaType::fromType<QList<bool>>() || type == QMetaType::fromType<QList<short>>() ||
        type == QMetaType::fromType<QList<int>>() || type == QMetaType::fromType<QList<double>>() ||
        type == QMetaType::fromType<QList<qlonglong>>() ||
        type == QMetaType::fromType<QList<uint>>()) {
        out = in.value<QVariantList>();
        return true;
    }
    return false;
}

template <class T>
QVariant ListOf(const QVariantList& typed) {
    QList<T> list;
    list.reserve(typed.size());
    for (const QVariant& v : typed) list.push_back(v.value<T>());
    return QVariant::fromValue(list);
}

}  // namespace

CoerceStatus Coerce(const QVariant& in, ValueType type, QVariant& out) {
    if (type == ValueType::Empty) {
        out = QVariant();
        return CoerceStatus::Ok;
    }
    if (!IsArray(type)) return CoerceScalar(in, type, out);

    QVariantList elements;
    if (!Elements(in, elements)) return CoerceStatus::Mismatch;
    const ValueType element = ElementType(type);
    QVariantList typed;
    typed.reserve(elements.size());
    for (const QVariant& e : elements) {
        QVariant converted;
        const CoerceStatus s = CoerceScalar(e, element, converted);
        if (s != CoerceStatus::Ok) return s;
        typed.push_back(std::move(converted));
    }
    switch (element) {
        case ValueType::Bool:
            out = ListOf<bool>(typed);
            break;
        case ValueType::Int16:
            out = ListOf<int16_t>(typed);
            break;
        case ValueType::Int32:
            out = ListOf<int32_t>(typed);
            break;
        case ValueType::Double:
            out = ListOf<double>(typed);
            break;
        default: {
            QStringList list;
            list.reserve(typed.size());
            for (const QVariant& v : typed) list.push_back(v.toString());
            out = QVariant(list);
        }
    }
    return CoerceStatus::Ok;
}

QString DescribeValue(const QVariant& value) {
    const int id = value.metaType().id();
    if (!value.isValid()) return QStringLiteral("nothing");
    if (id == QMetaType::QString) return QStringLiteral("\"%1\" (string)").arg(value.toString());
    if (id == QMetaType::Bool) {
        return value.toBool() ? QStringLiteral("True (boolean)")
                              : QStringLiteral("False (boolean)");
    }
    if (id == QMetaType::Double) {
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest) +
               QStringLiteral(" (double)");
    }
    if (IsIntegerType(value)) return value.toString() + QStringLiteral(" (integer)");
    QVariantList elements;
    if (Elements(value, elements)) return QStringLiteral("an array of %1").arg(elements.size());
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        return QStringLiteral("a D-Bus value of type %1")
            .arg(value.value<QDBusArgument>().currentSignature());
    }
    if (value.metaType() == QMetaType::fromType<OpaqueWireValue>()) {
        return QStringLiteral("a D-Bus value of type %1")
            .arg(value.value<OpaqueWireValue>().signature);
    }
    if (id == qMetaTypeId<QDBusObjectPath>()) return QStringLiteral("an object path");
    if (id == qMetaTypeId<QDBusSignature>()) return QStringLiteral("a type signature");
    return QStringLiteral("a value of type %1").arg(QLatin1String(value.typeName()));
}

}  // namespace korvex::com
