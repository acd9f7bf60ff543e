#include "platform/tools/call/CallText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLocale>
#include <QRegularExpression>
#include <limits>

namespace korvex::call {
namespace {

bool IsArrayValue(const QVariant& value) {
    return value.metaType() == QMetaType::fromType<QVariantList>();
}

QString ScalarText(const QVariant& value) {
    switch (value.metaType().id()) {
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::Double:
            return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        default:
            return value.toString();
    }
}

QJsonValue ToJson(const QVariant& value) {
    if (!value.isValid()) return QJsonValue(QJsonValue::Null);
    if (IsArrayValue(value)) {
        QJsonArray array;
        for (const QVariant& element : value.toList()) array.append(ToJson(element));
        return array;
    }
    switch (value.metaType().id()) {
        case QMetaType::Bool:
            return QJsonValue(value.toBool());
        case QMetaType::Double:
            return QJsonValue(value.toDouble());
        case QMetaType::QString:
            return QJsonValue(value.toString());
        case QMetaType::UChar:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
            return QJsonValue(value.toLongLong());
        default:
            return QJsonValue(value.toString());
    }
}

}  // namespace

QVariant TypedArgument(const QString& text) {
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
    static const QRegularExpression decimal(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    if (integer.match(text).hasMatch()) {
        bool ok = false;
        const qlonglong v = text.toLongLong(&ok);
        if (ok) {
            if (v >= std::numeric_limits<int32_t>::min() &&
                v <= std::numeric_limits<int32_t>::max()) {
                return QVariant(static_cast<int32_t>(v));
            }
            return QVariant(v);
        }
        return QVariant(QLocale::c().toDouble(text));
    }
    if (decimal.match(text).hasMatch()) {
        bool ok = false;
        const double d = QLocale::c().toDouble(text, &ok);
        if (ok) return QVariant(d);
    }
    return QVariant(text);
}

bool SplitLine(const QString& line, QList<Token>& tokens, QString* error) {
    tokens.clear();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && line[i].isSpace()) ++i;
        if (i >= n) break;
        Token token;
        if (line[i] == QLatin1Char('"')) {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar c = line[i++];
                if (c == QLatin1Char('"')) {
                    closed = true;
                    break;
                }
                if (c == QLatin1Char('\\') && i < n &&
                    (line[i] == QLatin1Char('"') || line[i] == QLatin1Char('\\'))) {
                    token.text += line[i++];
                } else {
                    token.text += c;
                }
            }
            if (!closed) {
                if (error) *error = QStringLiteral("unterminated quote");
                return false;
            }
        } else {
            while (i < n && !line[i].isSpace()) token.text += line[i++];
        }
        tokens.push_back(token);
    }
    return true;
}

QString PlainText(const QVariant& value) {
    if (!value.isValid()) return QString();
    if (!IsArrayValue(value)) return ScalarText(value) + QLatin1Char('\n');
    QString out;
    for (const QVariant& element : value.toList()) out += ScalarText(element) + QLatin1Char('\n');
    return out;
}

QString JsonText(const QVariant& value) {
    // QJsonDocument writes arrays and objects only: wrap the value and strip the brackets.
    const QJsonArray wrapper{ToJson(value)};
    const QByteArray json = QJsonDocument(wrapper).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

}  // namespace korvex::call
