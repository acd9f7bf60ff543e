#include "framework/com/WireValue.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QStringList>

namespace korvex::com {
namespace {

QVariant DecodeCurrent(const QDBusArgument& arg);

QVariantList DecodeArray(const QDBusArgument& arg) {
    QVariantList list;
    arg.beginArray();
    while (!arg.atEnd()) list.push_back(DecodeCurrent(arg));
    arg.endArray();
    return list;
}

// Decodes the element at the read position of `arg` and moves past it.
QVariant DecodeCurrent(const QDBusArgument& arg) {
    switch (arg.currentType()) {
        case QDBusArgument::ArrayType:
            // Strings and bytes come out of asVariant() as QStringList / QByteArray.
            if (arg.currentSignature() == QLatin1String("as") ||
                arg.currentSignature() == QLatin1String("ay")) {
                return DecodeWire(arg.asVariant());
            }
            return DecodeArray(arg);
        case QDBusArgument::BasicType:
        case QDBusArgument::VariantType:
            return DecodeWire(arg.asVariant());
        default:
            return arg.asVariant();  // structure or map: kept as QDBusArgument
    }
}

}  // namespace

QVariant DecodeWire(const QVariant& value) {
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<QDBusVariant>()) {
        return DecodeWire(value.value<QDBusVariant>().variant());
    }
    if (type == QMetaType::fromType<QDBusArgument>()) {
        const QDBusArgument arg = value.value<QDBusArgument>();
        if (arg.currentType() == QDBusArgument::ArrayType) return DecodeCurrent(arg);
        return value;
    }
    if (type == QMetaType::fromType<QStringList>()) {
        QVariantList list;
        for (const QString& s : value.toStringList()) list.push_back(s);
        return list;
    }
    if (type == QMetaType::fromType<QByteArray>()) {
        QVariantList list;
        for (const char c : value.toByteArray())
            list.push_back(QVariant::fromValue<uchar>(uchar(c)));
        return list;
    }
    return value;
}

bool DecodeArgs(const QVariant& value, QList<QVariant>& out) {
    out.clear();
    if (value.metaType() != QMetaType::fromType<QDBusArgument>()) return false;
    const QDBusArgument arg = value.value<QDBusArgument>();
    if (arg.currentType() != QDBusArgument::ArrayType) return false;
    arg.beginArray();
    while (!arg.atEnd()) out.push_back(DecodeCurrent(arg));
    arg.endArray();
    return true;
}

QVariant EncodeResult(const QVariant& typedResult) {
    if (!typedResult.isValid()) return QVariant::fromValue(QDBusVariant(QVariant(QVariantList())));
    return QVariant::fromValue(QDBusVariant(typedResult));
}

QVariant DecodeResult(const QVariant& replyArgument) {
    QVariant inner = replyArgument;
    if (inner.metaType() == QMetaType::fromType<QDBusVariant>()) {
        inner = inner.value<QDBusVariant>().variant();
    }
    if (inner.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const QDBusArgument arg = inner.value<QDBusArgument>();
        if (arg.currentSignature() == QLatin1String("av")) {
            const QVariantList list = DecodeWire(inner).toList();
            if (list.isEmpty()) return QVariant();
            return list;
        }
    }
    return DecodeWire(inner);
}

void RegisterWireTypes() {
    static const bool done = [] {
        qDBusRegisterMetaType<QList<bool>>();
        qDBusRegisterMetaType<QList<short>>();
        qDBusRegisterMetaType<QList<int>>();
        qDBusRegisterMetaType<QList<double>>();
        return true;
    }();
    (void)done;
}

}  // namespace korvex::com
