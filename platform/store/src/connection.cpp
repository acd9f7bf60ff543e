#include "connection.h"

#include <pthread.h>

#include <array>
#include <chrono>
#include <thread>

#include "korvex/paths.h"
#include "korvex/store.h"

namespace korvex::store::detail {
namespace {

constexpr int kBusyTimeoutMs = 5000;

// WAL with synchronous=NORMAL: a commit is in the log file before the write returns, so it
// survives the writer being killed at any instant; the log is fsynced at checkpoints, so a power
// cut may drop the last commits but never corrupts the file. FULL would fsync every commit, and
// drivers write (the position after every move) on their one UI thread: on a slow SD card that
// stalls the hand box for tens of milliseconds per value.
constexpr const char* kSetup =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=NORMAL;"
    "CREATE TABLE IF NOT EXISTS settings("
    " key TEXT NOT NULL, name TEXT NOT NULL, value TEXT NOT NULL,"
    " PRIMARY KEY(key, name)) WITHOUT ROWID;";

constexpr std::array<const char*, static_cast<size_t>(Sql::Count_)> kSql = {
    "SELECT value FROM settings WHERE key = ?1 AND name = ?2",
    "INSERT INTO settings(key, name, value) VALUES(?1, ?2, ?3)"
    " ON CONFLICT(key, name) DO UPDATE SET value = excluded.value",
    "DELETE FROM settings WHERE key = ?1 AND name = ?2",
    "DELETE FROM settings WHERE key = ?1",
    "SELECT DISTINCT key FROM settings ORDER BY key",
    "SELECT name, value FROM settings WHERE key = ?1 ORDER BY name",
    "SELECT key, name, value FROM settings ORDER BY key, name",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
};

struct Connection {
    sqlite3* db = nullptr;
    std::string file;
    std::array<sqlite3_stmt*, static_cast<size_t>(Sql::Count_)> statements{};

    void Close() {
        for (auto& s : statements) {
            sqlite3_finalize(s);
            s = nullptr;
        }
        // close_v2 never fails for busy statements; all are finalized anyway.
        if (db) sqlite3_close_v2(db);
        db = nullptr;
        file.clear();
    }
};

std::mutex gMutex;
Connection gConnection;
thread_local std::string tLastError;

// The connection must not cross fork(): SQLite's per-process lock bookkeeping would be wrong in
// the child. Close it just before the fork (holding the mutex so no call is in flight); both
// sides open a fresh one on their next call.
void BeforeFork() {
    gMutex.lock();
    gConnection.Close();
}
void AfterFork() { gMutex.unlock(); }

struct CloseAtExit {
    ~CloseAtExit() {
        std::lock_guard<std::mutex> lock(gMutex);
        gConnection.Close();
    }
} gCloseAtExit;

bool IsBusy(int rc) { return (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED; }

// Runs the setup script, retrying while another process holds the lock it needs (switching a new
// file to WAL takes an exclusive lock for a moment).
int RunSetup(sqlite3* db, std::string* error) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    for (;;) {
        char* message = nullptr;
        int rc = sqlite3_exec(db, kSetup, nullptr, nullptr, &message);
        if (message) {
            *error = message;
            sqlite3_free(message);
        }
        if (rc == SQLITE_OK || !IsBusy(rc) || std::chrono::steady_clock::now() > deadline)
            return rc;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Opens (or keeps) the connection to the current RegistryFile(); mutex held.
sqlite3* Open() {
    static std::once_flag atfork;
    std::call_once(atfork, [] { pthread_atfork(BeforeFork, AfterFork, AfterFork); });

    std::string file = paths::RegistryFile();
    if (gConnection.db && gConnection.file == file) return gConnection.db;
    gConnection.Close();

    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        SetLastError("cannot open " + file + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    std::string error;
    rc = RunSetup(db, &error);
    if (rc != SQLITE_OK) {
        SetLastError("cannot use " + file + ": " + (error.empty() ? sqlite3_errstr(rc) : error));
        sqlite3_close_v2(db);
        return nullptr;
    }
    gConnection.db = db;
    gConnection.file = file;
    return db;
}

}  // namespace

void SetLastError(std::string text) { tLastError = std::move(text); }

Session::Session() : lock_(gMutex) {
    tLastError.clear();
    db_ = Open();
}

Session::~Session() = default;

sqlite3_stmt* Session::Statement(Sql which) {
    if (!db_) return nullptr;
    auto& slot = gConnection.statements[static_cast<size_t>(which)];
    if (!slot) {
        int rc = sqlite3_prepare_v3(db_, kSql[static_cast<size_t>(which)], -1,
                                    SQLITE_PREPARE_PERSISTENT, &slot, nullptr);
        if (rc != SQLITE_OK) {
            Fail(rc, "prepare");
            return nullptr;
        }
    }
    sqlite3_reset(slot);
    sqlite3_clear_bindings(slot);
    return slot;
}

void Session::Fail(int rc, const char* what) {
    std::string text = std::string(what) + ": ";
    text += db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    SetLastError(text + " (" + gConnection.file + ")");
    switch (rc & 0xFF) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
        case SQLITE_READONLY:
            gConnection.Close();
            db_ = nullptr;
            break;
        default:
            break;
    }
}

int StepWithRetry(sqlite3_stmt* stmt) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    for (;;) {
        int rc = sqlite3_step(stmt);
        if (!IsBusy(rc) || std::chrono::steady_clock::now() > deadline) return rc;
        sqlite3_reset(stmt);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace korvex::store::detail

namespace korvex::store {

std::string LastError() { return detail::tLastError; }

void Close() {
    std::lock_guard<std::mutex> lock(detail::gMutex);
    detail::gConnection.Close();
}

}  // namespace korvex::store
