#include "framework/com/ComError.h"

namespace korvex::com {
namespace {

// Eight upper-case hex digits, as COM error numbers are written.
QString HexNumber(uint32_t number) {
    return QString::number(number, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

}  // namespace

QString FormatErrorMessage(const KorvexError& error) {
    QString source = error.Source();
    source.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return QStringLiteral("0x%1\t%2\t%3")
        .arg(HexNumber(error.Number()), source, error.Description());
}

QDBusMessage ErrorReply(const QDBusMessage& call, const KorvexError& error) {
    return call.createErrorReply(QLatin1String(kErrorName), FormatErrorMessage(error));
}

std::optional<KorvexError> ParseError(const QString& errorName, const QString& message) {
    if (errorName != QLatin1String(kErrorName)) return std::nullopt;
    const qsizetype tab1 = message.indexOf(QLatin1Char('\t'));
    if (tab1 < 0) return std::nullopt;
    const qsizetype tab2 = message.indexOf(QLatin1Char('\t'), tab1 + 1);
    if (tab2 < 0) return std::nullopt;
    const QStringView number = QStringView(message).left(tab1);
    if (!number.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) return std::nullopt;
    bool ok = false;
    const uint32_t value = number.mid(2).toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    return KorvexError(value, message.mid(tab1 + 1, tab2 - tab1 - 1), message.mid(tab2 + 1));
}

QString ToDisplayText(const KorvexError& error) {
    return QStringLiteral("0x%1 %2: %3")
        .arg(HexNumber(error.Number()), error.Source(), error.Description());
}

}  // namespace korvex::com
