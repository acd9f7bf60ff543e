#include "korvex/store.h"

#include <climits>
#include <cstring>
#include <string_view>

#include "connection.h"

namespace korvex::store {
namespace {

using detail::Session;
using detail::Sql;

bool Bind(sqlite3_stmt* stmt, int index, std::string_view text) {
    if (text.size() > static_cast<size_t>(INT_MAX)) return false;
    return sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()),
                             SQLITE_STATIC) == SQLITE_OK;
}

std::string Column(sqlite3_stmt* stmt, int index) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
    int bytes = sqlite3_column_bytes(stmt, index);
    return text ? std::string(text, static_cast<size_t>(bytes)) : std::string();
}

// kOk with the value in *out, kMissing, or kStoreFailed.
int32_t Lookup(std::string_view key, std::string_view name, std::string* out) {
    Session session;
    sqlite3_stmt* stmt = session.Statement(Sql::Get);
    if (!stmt) return kStoreFailed;
    if (!Bind(stmt, 1, key) || !Bind(stmt, 2, name)) {
        detail::SetLastError("key or name too long");
        return kStoreFailed;
    }
    int rc = detail::StepWithRetry(stmt);
    if (rc == SQLITE_ROW) {
        *out = Column(stmt, 0);
        sqlite3_reset(stmt);
        return kOk;
    }
    sqlite3_reset(stmt);
    if (rc == SQLITE_DONE) return kMissing;
    session.Fail(rc, "read");
    return kStoreFailed;
}

bool Upsert(Session& session, std::string_view key, std::string_view name, std::string_view value) {
    sqlite3_stmt* stmt = session.Statement(Sql::Upsert);
    if (!stmt) return false;
    if (!Bind(stmt, 1, key) || !Bind(stmt, 2, name) || !Bind(stmt, 3, value)) {
        detail::SetLastError("key, name or value too long");
        return false;
    }
    int rc = detail::StepWithRetry(stmt);
    sqlite3_reset(stmt);
    if (rc == SQLITE_DONE) return true;
    session.Fail(rc, "write");
    return false;
}

// Runs a statement that returns no rows; the number of rows it changed, -1 on failure.
int Change(Sql which, std::string_view key, const std::string_view* name) {
    Session session;
    sqlite3_stmt* stmt = session.Statement(which);
    if (!stmt) return -1;
    if (!Bind(stmt, 1, key) || (name && !Bind(stmt, 2, *name))) {
        detail::SetLastError("key or name too long");
        return -1;
    }
    int rc = detail::StepWithRetry(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE) {
        session.Fail(rc, "delete");
        return -1;
    }
    return sqlite3_changes(session.Db());
}

// Steps a query to its end, handing each row to `row`; false on failure.
template <typename Row>
bool Query(Session& session, sqlite3_stmt* stmt, Row&& row) {
    if (!stmt) return false;
    int rc;
    while ((rc = detail::StepWithRetry(stmt)) == SQLITE_ROW) row(stmt);
    sqlite3_reset(stmt);
    if (rc == SQLITE_DONE) return true;
    session.Fail(rc, "list");
    return false;
}

// Where to cut `value` so that at most `room` bytes are kept and no UTF-8 sequence is split.
size_t CutPoint(std::string_view value, size_t room) {
    if (room >= value.size()) return value.size();
    size_t cut = room;
    // Back over continuation bytes (10xxxxxx) to the start of the character; at most three.
    for (int i = 0; i < 3 && cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80;
         ++i)
        --cut;
    return cut;
}

}  // namespace

int32_t ReadValue(const char* path, const char* name, char* buffer, int32_t* length) {
    if (!path || !name || !buffer || !length) return kBadArgument;
    std::string value;
    int32_t rc = Lookup(path, name, &value);
    if (rc != kOk) return rc;
    size_t room = *length > 0 ? static_cast<size_t>(*length) : 0;
    size_t cut = CutPoint(value, room);
    std::memcpy(buffer, value.data(), cut);
    if (cut < room) buffer[cut] = '\0';
    *length = value.size() > static_cast<size_t>(INT32_MAX) ? INT32_MAX
                                                            : static_cast<int32_t>(value.size());
    return kOk;
}

int32_t SaveValue(const char* path, const char* name, const char* value) {
    if (!path || !name || !value) return kBadArgument;
    return Set(path, name, value) ? kOk : kStoreFailed;
}

std::optional<std::string> Get(const std::string& key, const std::string& name) {
    std::string value;
    if (Lookup(key, name, &value) != kOk) return std::nullopt;
    return value;
}

bool Set(const std::string& key, const std::string& name, const std::string& value) {
    Session session;
    return Upsert(session, key, name, value);
}

bool Delete(const std::string& key, const std::string& name) {
    std::string_view n(name);
    return Change(Sql::Delete, key, &n) > 0;
}

int DeleteKey(const std::string& key) { return Change(Sql::DeleteKey, key, nullptr); }

std::vector<std::string> ListKeys() {
    std::vector<std::string> keys;
    Session session;
    if (!Query(session, session.Statement(Sql::Keys),
               [&](sqlite3_stmt* s) { keys.push_back(Column(s, 0)); }))
        keys.clear();
    return keys;
}

std::vector<std::pair<std::string, std::string>> ListValues(const std::string& key) {
    std::vector<std::pair<std::string, std::string>> values;
    Session session;
    sqlite3_stmt* stmt = session.Statement(Sql::Values);
    if (stmt && !Bind(stmt, 1, key)) return values;
    if (!Query(session, stmt,
               [&](sqlite3_stmt* s) { values.emplace_back(Column(s, 0), Column(s, 1)); }))
        values.clear();
    return values;
}

std::optional<std::vector<Entry>> ListAll() {
    std::vector<Entry> entries;
    Session session;
    if (!Query(session, session.Statement(Sql::All), [&](sqlite3_stmt* s) {
            entries.push_back(Entry{Column(s, 0), Column(s, 1), Column(s, 2)});
        }))
        return std::nullopt;
    return entries;
}

bool SetMany(const std::vector<Entry>& entries) {
    Session session;
    sqlite3_stmt* begin = session.Statement(Sql::Begin);
    if (!begin) return false;
    int rc = detail::StepWithRetry(begin);
    sqlite3_reset(begin);
    if (rc != SQLITE_DONE) {
        session.Fail(rc, "begin");
        return false;
    }
    bool ok = true;
    for (const Entry& e : entries) {
        if (!(ok = Upsert(session, e.key, e.name, e.value))) break;
    }
    if (ok) {
        sqlite3_stmt* commit = session.Statement(Sql::Commit);
        if (commit) {
            rc = detail::StepWithRetry(commit);
            sqlite3_reset(commit);
            if (rc == SQLITE_DONE) return true;
            session.Fail(rc, "commit");
        }
    }
    // The connection may be gone after a damaged-file failure; closing it rolled back already.
    if (session.Ok() && !sqlite3_get_autocommit(session.Db())) {
        std::string error = LastError();
        if (sqlite3_stmt* rollback = session.Statement(Sql::Rollback)) {
            sqlite3_step(rollback);
            sqlite3_reset(rollback);
        }
        detail::SetLastError(error);
    }
    return false;
}

std::string IntegrityCheck() {
    Session session;
    if (!session.Ok()) return LastError();
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(session.Db(), "PRAGMA integrity_check", -1, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        session.Fail(rc, "integrity check");
        return LastError();
    }
    std::string findings;
    while ((rc = detail::StepWithRetry(stmt)) == SQLITE_ROW) {
        if (!findings.empty()) findings += '\n';
        findings += Column(stmt, 0);
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        session.Fail(rc, "integrity check");
        return LastError();
    }
    return findings;
}

}  // namespace korvex::store
