// The current-user settings store (registry stand-in) and the link library's log.
//
// Key = the full path text ("Software\Vantaro\Korvex\KorvexRotator.Rotator\Default"), value name,
// text value, all UTF-8. SQLite in WAL mode with a busy timeout: many processes read and write at
// once, every write is one transaction, and a process killed mid-write never leaves a half-written
// value. Each call opens nothing new after the first: one connection per process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvex::store {

// ReadFromRegHKCU semantics: 0 when the value exists, non-zero otherwise (missing, store
// unreadable, null arguments). Copies at most *length bytes of the value into buffer without
// splitting a UTF-8 character, NUL-terminating when room is left, and sets *length to the value's
// full length in bytes.
int32_t ReadValue(const char* path, const char* name, char* buffer, int32_t* length);

// SaveToRegHKCU semantics: 0 when committed, non-zero on failure (null arguments, store not
// writable).
int32_t SaveValue(const char* path, const char* name, const char* value);

// Plain C++ access for the tools and tests.
std::optional<std::string> Get(const std::string& key, const std::string& name);
bool Set(const std::string& key, const std::string& name, const std::string& value);
bool Delete(const std::string& key, const std::string& name);
std::vector<std::string> ListKeys();
std::vector<std::pair<std::string, std::string>> ListValues(const std::string& key);

// Appends one line "<time> [<pid> <program>] text" to tkl.log with a single write, so that lines
// of concurrent processes never mix.
void AppendTrace(const char* text);

}  // namespace korvex::store
