#include "framework/com/MessageValues.h"

#include <dbus/dbus.h>
#include <unistd.h>

#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QStringList>

#include "framework/com/WireValue.h"

namespace korvex::com {
namespace {

template <class T>
T Basic(DBusMessageIter* it) {
    T value{};
    dbus_message_iter_get_basic(it, &value);
    return value;
}

QString Text(DBusMessageIter* it) { return QString::fromUtf8(Basic<const char*>(it)); }

QVariant Opaque(DBusMessageIter* it) {
    char* signature = dbus_message_iter_get_signature(it);
    const QVariant value = QVariant::fromValue(OpaqueWireValue{QString::fromUtf8(signature)});
    dbus_free(signature);
    return value;
}

// Decodes the value at `it`: variants unwrapped, arrays as QVariantList of decoded elements.
QVariant ReadValue(DBusMessageIter* it) {
    switch (dbus_message_iter_get_arg_type(it)) {
        case DBUS_TYPE_BYTE:
            return QVariant::fromValue<uchar>(Basic<unsigned char>(it));
        case DBUS_TYPE_BOOLEAN:
            return QVariant(Basic<dbus_bool_t>(it) != 0);
        case DBUS_TYPE_INT16:
            return QVariant::fromValue<short>(Basic<dbus_int16_t>(it));
        case DBUS_TYPE_UINT16:
            return QVariant::fromValue<ushort>(Basic<dbus_uint16_t>(it));
        case DBUS_TYPE_INT32:
            return QVariant::fromValue<int>(Basic<dbus_int32_t>(it));
        case DBUS_TYPE_UINT32:
            return QVariant::fromValue<uint>(Basic<dbus_uint32_t>(it));
        case DBUS_TYPE_INT64:
            return QVariant::fromValue<qlonglong>(Basic<dbus_int64_t>(it));
        case DBUS_TYPE_UINT64:
            return QVariant::fromValue<qulonglong>(Basic<dbus_uint64_t>(it));
        case DBUS_TYPE_DOUBLE:
            return QVariant(Basic<double>(it));
        case DBUS_TYPE_STRING:
            return QVariant(Text(it));
        case DBUS_TYPE_OBJECT_PATH:
            return QVariant::fromValue(QDBusObjectPath(Text(it)));
        case DBUS_TYPE_SIGNATURE:
            return QVariant::fromValue(QDBusSignature(Text(it)));
        case DBUS_TYPE_UNIX_FD: {
            const int fd = Basic<int>(it);  // a duplicate owned by the reader
            if (fd >= 0) ::close(fd);
            return Opaque(it);
        }
        case DBUS_TYPE_VARIANT: {
            DBusMessageIter inner;
            dbus_message_iter_recurse(it, &inner);
            return ReadValue(&inner);
        }
        case DBUS_TYPE_ARRAY: {
            if (dbus_message_iter_get_element_type(it) == DBUS_TYPE_DICT_ENTRY) return Opaque(it);
            DBusMessageIter element;
            dbus_message_iter_recurse(it, &element);
            QVariantList list;
            while (dbus_message_iter_get_arg_type(&element) != DBUS_TYPE_INVALID) {
                list.push_back(ReadValue(&element));
                dbus_message_iter_next(&element);
            }
            return list;
        }
        default:
            return Opaque(it);
    }
}

void AppendBasic(DBusMessageIter* it, int type, const void* value) {
    dbus_message_iter_append_basic(it, type, value);
}

void AppendString(DBusMessageIter* it, const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    const char* data = utf8.constData();
    AppendBasic(it, DBUS_TYPE_STRING, &data);
}

template <class T, class Wire>
void AppendArray(DBusMessageIter* it, const char* elementSig, int elementType, const QVariant& v) {
    DBusMessageIter array;
    dbus_message_iter_open_container(it, DBUS_TYPE_ARRAY, elementSig, &array);
    for (const T& e : v.value<QList<T>>()) {
        const Wire w = static_cast<Wire>(e);
        AppendBasic(&array, elementType, &w);
    }
    dbus_message_iter_close_container(it, &array);
}

// Opens a variant of `signature` in `it`, runs `fill` on its content and closes it.
template <class Fill>
void InVariant(DBusMessageIter* it, const char* signature, Fill fill) {
    DBusMessageIter variant;
    dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, signature, &variant);
    fill(&variant);
    dbus_message_iter_close_container(it, &variant);
}

}  // namespace

bool ReadInvokeArgs(DBusMessage* call, QString& kind, QString& member, QList<QVariant>& args) {
    args.clear();
    if (!dbus_message_has_signature(call, "ssav")) return false;
    DBusMessageIter it;
    dbus_message_iter_init(call, &it);
    kind = Text(&it);
    dbus_message_iter_next(&it);
    member = Text(&it);
    dbus_message_iter_next(&it);
    DBusMessageIter element;
    dbus_message_iter_recurse(&it, &element);
    while (dbus_message_iter_get_arg_type(&element) != DBUS_TYPE_INVALID) {
        args.push_back(ReadValue(&element));
        dbus_message_iter_next(&element);
    }
    return true;
}

bool AppendResult(DBusMessage* reply, const QVariant& typedResult) {
    DBusMessageIter it;
    dbus_message_iter_init_append(reply, &it);
    const QMetaType type = typedResult.metaType();
    if (!typedResult.isValid()) {
        InVariant(&it, "av", [](DBusMessageIter* v) {
            DBusMessageIter array;
            dbus_message_iter_open_container(v, DBUS_TYPE_ARRAY, "v", &array);
            dbus_message_iter_close_container(v, &array);
        });
        return true;
    }
    switch (type.id()) {
        case QMetaType::Bool: {
            const dbus_bool_t b = typedResult.toBool() ? TRUE : FALSE;
            InVariant(&it, "b", [&](DBusMessageIter* v) { AppendBasic(v, DBUS_TYPE_BOOLEAN, &b); });
            return true;
        }
        case QMetaType::Short: {
            const dbus_int16_t n = typedResult.value<short>();
            InVariant(&it, "n", [&](DBusMessageIter* v) { AppendBasic(v, DBUS_TYPE_INT16, &n); });
            return true;
        }
        case QMetaType::Int: {
            const dbus_int32_t n = typedResult.toInt();
            InVariant(&it, "i", [&](DBusMessageIter* v) { AppendBasic(v, DBUS_TYPE_INT32, &n); });
            return true;
        }
        case QMetaType::Double: {
            const double d = typedResult.toDouble();
            InVariant(&it, "d", [&](DBusMessageIter* v) { AppendBasic(v, DBUS_TYPE_DOUBLE, &d); });
            return true;
        }
        case QMetaType::QString:
            InVariant(&it, "s",
                      [&](DBusMessageIter* v) { AppendString(v, typedResult.toString()); });
            return true;
        case QMetaType::QStringList:
            InVariant(&it, "as", [&](DBusMessageIter* v) {
                DBusMessageIter array;
                dbus_message_iter_open_container(v, DBUS_TYPE_ARRAY, "s", &array);
                for (const QString& s : typedResult.toStringList()) AppendString(&array, s);
                dbus_message_iter_close_container(v, &array);
            });
            return true;
        default:
            break;
    }
    if (type == QMetaType::fromType<QList<bool>>()) {
        InVariant(&it, "ab", [&](DBusMessageIter* v) {
            AppendArray<bool, dbus_bool_t>(v, "b", DBUS_TYPE_BOOLEAN, typedResult);
        });
    } else if (type == QMetaType::fromType<QList<short>>()) {
        InVariant(&it, "an", [&](DBusMessageIter* v) {
            AppendArray<short, dbus_int16_t>(v, "n", DBUS_TYPE_INT16, typedResult);
        });
    } else if (type == QMetaType::fromType<QList<int>>()) {
        InVariant(&it, "ai", [&](DBusMessageIter* v) {
            AppendArray<int, dbus_int32_t>(v, "i", DBUS_TYPE_INT32, typedResult);
        });
    } else if (type == QMetaType::fromType<QList<double>>()) {
        InVariant(&it, "ad", [&](DBusMessageIter* v) {
            AppendArray<double, double>(v, "d", DBUS_TYPE_DOUBLE, typedResult);
        });
    } else {
        return false;
    }
    return true;
}

}  // namespace korvex::com
