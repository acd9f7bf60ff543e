// The current-user settings store (registry stand-in) and the link library's log.
//
// Key = the full path text ("Software\Vantaro\Korvex\KorvexRotator.Rotator\Default"), value name,
// text value, all UTF-8. Keys and names are compared exactly, byte for byte (case-sensitive).
//
// SQLite at paths::RegistryFile() in WAL mode with a 5 s busy timeout: many processes read and
// write at once, every write is one transaction, and a process killed mid-write never leaves a
// half-written value; a value whose write returned success survives a SIGKILL of the writer (a
// power cut may drop the last few commits, never corrupt the file).
// A damaged or unopenable database never crashes a caller: reads fail and writes fail, and the
// file is left as it is.
//
// One connection per process, opened lazily by the first call and guarded by a mutex (calls are
// thread-safe). It is reopened when paths::RegistryFile() names another file than the open one
// (tests switch KORVEX_HOME), and it never crosses fork(): it is closed just before a fork and
// opened again by the next call on either side.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvex::store {

// Results of ReadValue and SaveValue.
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kMissing = 1;       // no such value (ReadValue only)
inline constexpr int32_t kBadArgument = -1;  // a null pointer
inline constexpr int32_t kStoreFailed = -2;  // store unreadable, damaged or not writable

// ReadFromRegHKCU semantics: 0 when the value exists, non-zero otherwise (missing, store
// unreadable, null arguments). Copies at most *length bytes of the value into buffer without
// splitting a UTF-8 character, NUL-terminating when room is left, and sets *length to the value's
// full length in bytes. A negative *length counts as 0. On failure buffer and *length are left
// as they were.
int32_t ReadValue(const char* path, const char* name, char* buffer, int32_t* length);

// SaveToRegHKCU semantics: 0 when committed, non-zero on failure (null arguments, store not
// writable).
int32_t SaveValue(const char* path, const char* name, const char* value);

// Plain C++ access for the tools and tests. Values may hold any bytes, NUL included.
// Get: nullopt when the value is missing or the store cannot be read (LastError tells which).
std::optional<std::string> Get(const std::string& key, const std::string& name);
// Set: true when committed.
bool Set(const std::string& key, const std::string& name, const std::string& value);
// Delete: true when a value was removed; false when there was none or the store failed.
bool Delete(const std::string& key, const std::string& name);
// Removes every value under exactly `key` (not under longer keys that start with it). Number
// removed, -1 on failure.
int DeleteKey(const std::string& key);
// Sorted by byte order; empty when the store cannot be read.
std::vector<std::string> ListKeys();
std::vector<std::pair<std::string, std::string>> ListValues(const std::string& key);

struct Entry {
    std::string key;
    std::string name;
    std::string value;
    bool operator==(const Entry&) const = default;
};
// Every value, sorted by key then name; nullopt when the store cannot be read.
std::optional<std::vector<Entry>> ListAll();
// Writes every entry in one transaction: all of them or none. True when committed.
bool SetMany(const std::vector<Entry>& entries);

// "ok" when SQLite's integrity check passes, else its findings or the reason it could not run.
std::string IntegrityCheck();

// Why the last call of this thread failed, "" after a success (a missing value is not a failure).
std::string LastError();

// Closes the connection; the next call opens it again. Used by tests between temporary homes.
void Close();
inline void ResetForTests() { Close(); }

// Appends one line "YYYY-MM-DD HH:MM:SS.mmm [pid program] text" (local time) to paths::LogFile()
// with a single append write, so that lines of concurrent processes never mix. Line breaks in
// `text` become spaces. A null text writes nothing; failures are ignored.
void AppendTrace(const char* text);

}  // namespace korvex::store
