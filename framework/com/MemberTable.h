// The members of a device class: name, kind, typed parameters, typed result and handler.
#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>
#include <functional>
#include <span>
#include <unordered_map>
#include <vector>

#include "framework/com/DeviceObject.h"
#include "framework/com/ValueType.h"

namespace korvex::com {

// Arguments already converted to the member's declared parameter types, in order. For a let
// the new value is the last one, after any index arguments.
using Args = std::span<const QVariant>;

// Runs a member on `self`. Returns the result (any QVariant convertible without loss to the
// declared result type; ignored when the result type is Empty). Throws korvex::KorvexError for
// failures the client should see with number, source and description.
using Handler = std::function<QVariant(DeviceObject& self, Args args)>;

struct Member {
    QString name;
    MemberKind kind = MemberKind::Call;
    std::vector<ValueType> params;
    ValueType result = ValueType::Empty;
    Handler handler;
};

// Adapts a handler written for the concrete device object type T.
template <class T, class F>
Handler For(F f) {
    return [f = std::move(f)](DeviceObject& self, Args args) -> QVariant {
        return f(static_cast<T&>(self), args);
    };
}

// Members are looked up case-insensitively, as dispatch by name does for COM clients.
// One name may have a get, a let and a call entry.
class MemberTable {
  public:
    // Throws std::logic_error when the name already has an entry of that kind, or for a let
    // without a value parameter.
    MemberTable& Add(Member member);

    MemberTable& Get(QString name, ValueType result, Handler handler);
    MemberTable& Get(QString name, std::vector<ValueType> indexParams, ValueType result,
                     Handler handler);
    // `params` lists the index parameters, if any, then the value.
    MemberTable& Let(QString name, std::vector<ValueType> params, Handler handler);
    MemberTable& Call(QString name, std::vector<ValueType> params, ValueType result,
                      Handler handler);

    struct Entry {
        const Member* byKind[3] = {nullptr, nullptr, nullptr};
        const Member* Of(MemberKind kind) const { return byKind[static_cast<int>(kind)]; }
    };

    // nullptr when no member has that name (in any case).
    const Entry* Find(QStringView name) const;

    size_t size() const { return members_.size(); }

  private:
    struct FoldedHash {
        using is_transparent = void;
        size_t operator()(QStringView s) const noexcept;
        size_t operator()(const QString& s) const noexcept { return (*this)(QStringView(s)); }
    };
    struct FoldedEqual {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept;
    };

    std::vector<std::unique_ptr<Member>> members_;
    std::unordered_map<QString, Entry, FoldedHash, FoldedEqual> byName_;
};

}  // namespace korvex::com
