#include "framework/com/MemberTable.h"

#include <stdexcept>

namespace korvex::com {
namespace {

inline char16_t Fold(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return QChar(c).toCaseFolded().unicode();
}

}  // namespace

size_t MemberTable::FoldedHash::operator()(QStringView s) const noexcept {
    // FNV-1a over case-folded UTF-16 units: no folded copy of the name is made per lookup.
    uint64_t h = 1469598103934665603ull;
    for (const QChar c : s) {
        h ^= Fold(c.unicode());
        h *= 1099511628211ull;
    }
    return static_cast<size_t>(h);
}

bool MemberTable::FoldedEqual::operator()(QStringView a, QStringView b) const noexcept {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (Fold(a[i].unicode()) != Fold(b[i].unicode())) return false;
    }
    return true;
}

MemberTable& MemberTable::Add(Member member) {
    if (member.kind == MemberKind::Let && member.params.empty()) {
        throw std::logic_error("let member without a value parameter: " +
                               member.name.toStdString());
    }
    if (!member.handler)
        throw std::logic_error("member without handler: " + member.name.toStdString());
    Entry& entry = byName_[member.name];
    const Member*& slot = entry.byKind[static_cast<int>(member.kind)];
    if (slot != nullptr) {
        throw std::logic_error("duplicate member: " + member.name.toStdString());
    }
    members_.push_back(std::make_unique<Member>(std::move(member)));
    slot = members_.back().get();
    return *this;
}

MemberTable& MemberTable::Get(QString name, ValueType result, Handler handler) {
    return Get(std::move(name), {}, result, std::move(handler));
}

MemberTable& MemberTable::Get(QString name, std::vector<ValueType> indexParams, ValueType result,
                              Handler handler) {
    return Add(
        {std::move(name), MemberKind::Get, std::move(indexParams), result, std::move(handler)});
}

MemberTable& MemberTable::Let(QString name, std::vector<ValueType> params, Handler handler) {
    return Add({std::move(name), MemberKind::Let, std::move(params), ValueType::Empty,
                std::move(handler)});
}

MemberTable& MemberTable::Call(QString name, std::vector<ValueType> params, ValueType result,
                               Handler handler) {
    return Add({std::move(name), MemberKind::Call, std::move(params), result, std::move(handler)});
}

const MemberTable::Entry* MemberTable::Find(QStringView name) const {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &it->second;
}

}  // namespace korvex::com
