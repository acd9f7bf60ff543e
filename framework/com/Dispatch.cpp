#include "framework/com/Dispatch.h"

#include <QStringList>
#include <QVarLengthArray>
#include <exception>

#include "framework/com/Coercion.h"
#include "framework/com/ComError.h"
#include "framework/core/KorvexError.h"

namespace korvex::com {
namespace {

bool ParseKind(QStringView text, MemberKind& kind) {
    if (text.compare(QLatin1StringView("get"), Qt::CaseInsensitive) == 0) {
        kind = MemberKind::Get;
    } else if (text.compare(QLatin1StringView("let"), Qt::CaseInsensitive) == 0) {
        kind = MemberKind::Let;
    } else if (text.compare(QLatin1StringView("call"), Qt::CaseInsensitive) == 0) {
        kind = MemberKind::Call;
    } else {
        return false;
    }
    return true;
}

[[noreturn]] void WrongKind(const DeviceClass& cls, const MemberTable::Entry& entry,
                            MemberKind kind) {
    QStringList supported;
    for (const MemberKind k : {MemberKind::Get, MemberKind::Let, MemberKind::Call}) {
        if (entry.Of(k) != nullptr) supported << KindName(k);
    }
    const Member* any = entry.Of(MemberKind::Get)   ? entry.Of(MemberKind::Get)
                        : entry.Of(MemberKind::Let) ? entry.Of(MemberKind::Let)
                                                    : entry.Of(MemberKind::Call);
    throw KorvexError(dispatch_err::UnknownMember, cls.progId,
                      QStringLiteral("%1 cannot be used with %2 (use %3)")
                          .arg(any->name, KindName(kind), supported.join(QLatin1String(" or "))));
}

QString CountText(qsizetype n) {
    return n == 1 ? QStringLiteral("1 argument") : QStringLiteral("%1 arguments").arg(n);
}

}  // namespace

QVariant Invoke(const DeviceClass& cls, DeviceObject& object, QStringView kindText,
                QStringView memberName, std::span<const QVariant> wireArgs) {
    MemberKind kind;
    if (!ParseKind(kindText, kind)) {
        throw KorvexError(
            dispatch_err::InvalidArg, cls.progId,
            QStringLiteral("Unknown operation \"%1\": use get, let or call").arg(kindText));
    }
    const MemberTable::Entry* entry = cls.members.Find(memberName);
    if (entry == nullptr) {
        throw KorvexError(dispatch_err::UnknownMember, cls.progId,
                          QStringLiteral("%1 is not a member of %2").arg(memberName, cls.progId));
    }
    const Member* member = entry->Of(kind);
    if (member == nullptr) WrongKind(cls, *entry, kind);

    const qsizetype expected = static_cast<qsizetype>(member->params.size());
    if (static_cast<qsizetype>(wireArgs.size()) != expected) {
        throw KorvexError(dispatch_err::BadParamCount, cls.progId,
                          QStringLiteral("%1 (%2) takes %3, %4 given")
                              .arg(member->name, KindName(kind), CountText(expected))
                              .arg(wireArgs.size()));
    }

    QVarLengthArray<QVariant, 4> args(expected);
    for (qsizetype i = 0; i < expected; ++i) {
        const ValueType type = member->params[size_t(i)];
        switch (Coerce(wireArgs[size_t(i)], type, args[i])) {
            case CoerceStatus::Ok:
                break;
            case CoerceStatus::Mismatch:
                throw KorvexError(
                    dispatch_err::TypeMismatch, cls.progId,
                    QStringLiteral("Argument %1 of %2: %3 cannot be converted to %4")
                        .arg(i + 1)
                        .arg(member->name, DescribeValue(wireArgs[size_t(i)]), TypeName(type)));
            case CoerceStatus::Overflow:
                throw KorvexError(
                    dispatch_err::Overflow, cls.progId,
                    QStringLiteral("Argument %1 of %2: %3 is out of range for %4")
                        .arg(i + 1)
                        .arg(member->name, DescribeValue(wireArgs[size_t(i)]), TypeName(type)));
        }
    }

    QVariant raw;
    try {
        raw = member->handler(object, Args(args.data(), size_t(args.size())));
    } catch (const KorvexError&) {
        throw;
    } catch (const std::exception& e) {
        throw KorvexError(
            dispatch_err::Unexpected, cls.progId,
            QStringLiteral("%1 failed: %2").arg(member->name, QString::fromUtf8(e.what())));
    } catch (...) {
        throw KorvexError(dispatch_err::Unexpected, cls.progId,
                          QStringLiteral("%1 failed with an unknown exception").arg(member->name));
    }

    if (member->result == ValueType::Empty) return QVariant();
    QVariant result;
    if (Coerce(raw, member->result, result) != CoerceStatus::Ok) {
        throw KorvexError(dispatch_err::Unexpected, cls.progId,
                          QStringLiteral("%1 returned %2 instead of a %3")
                              .arg(member->name, DescribeValue(raw), TypeName(member->result)));
    }
    return result;
}

}  // namespace korvex::com
