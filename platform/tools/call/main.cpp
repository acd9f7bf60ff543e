// korvex-call PROGID get|let|call MEMBER [ARG...]
//   Creates one object of PROGID (the bus starts the program if needed), does one operation,
//   releases the object and prints the value: booleans True/False, numbers in plain text, text
//   as it is, arrays one element per line, nothing for no value.
// korvex-call PROGID
//   Reads operations from standard input, one per line ("get Position", "call MoveAbsolute 90",
//   "let Reverse True"), all on one object, and answers each line at once with
//   "ok <json>" or "error 0x........ source: description". Empty lines and lines starting
//   with # are skipped. Double quotes group words into one text argument.
// Arguments are typed from their text (True/False, integers, decimals, else text); the server
// converts them to the member's parameter types.
// Exit status: 0 done; 1 the server raised an error (one-shot mode; on standard error as
// "0x80040402 source: description"); 2 anything else (usage, no such ProgID, bus failure).
#include <QCoreApplication>
#include <QDBusConnection>
#include <cstdio>
#include <iostream>
#include <string>

#include "framework/com/ComError.h"
#include "platform/tools/call/CallText.h"
#include "platform/tools/call/ComClient.h"

using korvex::KorvexError;
using korvex::call::ComClient;
using korvex::call::Failure;

namespace {

constexpr int kOk = 0;
constexpr int kComError = 1;
constexpr int kOtherFailure = 2;
constexpr uint32_t kBadLine = 0x80070057;     // E_INVALIDARG
constexpr uint32_t kBusFailure = 0x80004005;  // E_FAIL

void Write(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

bool IsKind(const QString& kind) {
    return kind == QLatin1String("get") || kind == QLatin1String("let") ||
           kind == QLatin1String("call");
}

int Usage() {
    Write(stderr, QStringLiteral("usage: korvex-call PROGID get|let|call MEMBER [ARG...]\n"
                                 "       korvex-call PROGID   (operations from standard input)\n"));
    return kOtherFailure;
}

int OneShot(ComClient& client, const QString& progId, const QStringList& op) {
    const QString kind = op[0].toLower();
    if (!IsKind(kind) || op.size() < 2) return Usage();
    QVariantList args;
    for (qsizetype i = 2; i < op.size(); ++i) args << korvex::call::TypedArgument(op[i]);

    Failure failure;
    if (!client.Create(progId, &failure)) {
        if (failure.com) {
            Write(stderr, korvex::com::ToDisplayText(*failure.com) + QLatin1Char('\n'));
            return kComError;
        }
        Write(stderr, QStringLiteral("korvex-call: %1\n").arg(failure.message));
        return kOtherFailure;
    }
    QVariant result;
    int status = kOk;
    if (client.Invoke(kind, op[1], args, &result, &failure)) {
        Write(stdout, korvex::call::PlainText(result));
    } else if (failure.com) {
        Write(stderr, korvex::com::ToDisplayText(*failure.com) + QLatin1Char('\n'));
        status = kComError;
    } else {
        Write(stderr, QStringLiteral("korvex-call: %1\n").arg(failure.message));
        status = kOtherFailure;
    }
    Failure releaseFailure;
    if (!client.Release(&releaseFailure) && status == kOk) {
        Write(stderr, QStringLiteral("korvex-call: release failed: %1\n")
                          .arg(releaseFailure.com ? korvex::com::ToDisplayText(*releaseFailure.com)
                                                  : releaseFailure.message));
        status = kOtherFailure;
    }
    return status;
}

QString ErrorLine(uint32_t number, const QString& source, const QString& text) {
    return QStringLiteral("error ") +
           korvex::com::ToDisplayText(KorvexError(number, source, text)) + QLatin1Char('\n');
}

QString Answer(ComClient& client, const QString& line) {
    QList<korvex::call::Token> tokens;
    QString error;
    const QString source = QStringLiteral("korvex-call");
    if (!korvex::call::SplitLine(line, tokens, &error)) return ErrorLine(kBadLine, source, error);
    const QString kind = tokens.isEmpty() ? QString() : tokens[0].text.toLower();
    if (tokens.size() < 2 || tokens[0].quoted || !IsKind(kind)) {
        return ErrorLine(
            kBadLine, source,
            QStringLiteral("expected get|let|call MEMBER [ARG...], got: %1").arg(line));
    }
    QVariantList args;
    for (qsizetype i = 2; i < tokens.size(); ++i) {
        args << (tokens[i].quoted ? QVariant(tokens[i].text)
                                  : korvex::call::TypedArgument(tokens[i].text));
    }
    QVariant result;
    Failure failure;
    if (client.Invoke(kind, tokens[1].text, args, &result, &failure)) {
        return QStringLiteral("ok ") + korvex::call::JsonText(result) + QLatin1Char('\n');
    }
    if (failure.com) {
        return QStringLiteral("error ") + korvex::com::ToDisplayText(*failure.com) +
               QLatin1Char('\n');
    }
    return ErrorLine(kBusFailure, source, failure.message);
}

int FromStandardInput(ComClient& client, const QString& progId) {
    Failure failure;
    if (!client.Create(progId, &failure)) {
        Write(stderr,
              QStringLiteral("korvex-call: %1\n")
                  .arg(failure.com ? korvex::com::ToDisplayText(*failure.com) : failure.message));
        return failure.com ? kComError : kOtherFailure;
    }
    std::string raw;
    while (std::getline(std::cin, raw)) {
        const QString line = QString::fromUtf8(raw.data(), qsizetype(raw.size())).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        Write(stdout, Answer(client, line));
    }
    if (!client.Release(&failure)) {
        Write(stderr,
              QStringLiteral("korvex-call: release failed: %1\n")
                  .arg(failure.com ? korvex::com::ToDisplayText(*failure.com) : failure.message));
        return kOtherFailure;
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args[0].startsWith(QLatin1Char('-'))) return Usage();
    ComClient client(QDBusConnection::sessionBus());
    if (args.size() == 1) return FromStandardInput(client, args[0]);
    return OneShot(client, args[0], args.mid(1));
}
