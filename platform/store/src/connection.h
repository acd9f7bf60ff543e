// The process's one SQLite connection to the settings store (internal to korvex_store).
#pragma once

#include <sqlite3.h>

#include <mutex>
#include <string>

namespace korvex::store::detail {

// Prepared statements kept for the life of a connection.
enum class Sql {
    Get,
    Upsert,
    Delete,
    DeleteKey,
    Keys,
    Values,
    All,
    Begin,
    Commit,
    Rollback,
    Count_
};

// Holds the process-wide mutex for as long as it lives; opens the connection on demand.
class Session {
  public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // False when the store cannot be opened; LastError says why.
    bool Ok() const { return db_ != nullptr; }
    sqlite3* Db() const { return db_; }

    // The cached statement, reset and unbound; null on failure (LastError set).
    sqlite3_stmt* Statement(Sql which);

    // Records a failed SQLite result: sets LastError and, when the file looks damaged or gone,
    // closes the connection so that the next call opens it afresh.
    void Fail(int rc, const char* what);

  private:
    std::unique_lock<std::mutex> lock_;
    sqlite3* db_ = nullptr;
};

void SetLastError(std::string text);

// Runs `step` with retries while SQLite reports the store busy, up to the busy timeout.
int StepWithRetry(sqlite3_stmt* stmt);

}  // namespace korvex::store::detail
