// Where the link library, the hub and the tools keep their files.
//
// KORVEX_HOME, when set, holds everything: registry.sqlite3, tkl.log and run/ (sockets).
// Unset: $XDG_CONFIG_HOME/vantaro/registry.sqlite3, $XDG_STATE_HOME/vantaro/tkl.log and
// $XDG_RUNTIME_DIR/vantaro/ (or a private 0700 folder in /tmp). Folders are created on demand.
#pragma once

#include <string>

namespace korvex::paths {

std::string RegistryFile();
std::string LogFile();
std::string RunDir();

// Socket of the hub instance `instance` ("KorvexMutex", "Korvex2ndMutex", ...).
std::string HubSocket(const std::string& instance);
// Lock file held by the hub serving `instance` for as long as it runs.
std::string HubLock(const std::string& instance);

// Creates `dir` and its parents (mode 0700 for the last one); true when it exists afterwards.
bool EnsureDir(const std::string& dir);

// Folder of the file that holds `address` (a function of the caller's module), "" if unknown.
std::string ModuleFolder(const void* address);

// The hub instance named by the marker rule: "Korvex2ndMutex" when a file "second" or
// "Second.txt" exists in `folder`, otherwise "KorvexMutex".
std::string InstanceForFolder(const std::string& folder);

}  // namespace korvex::paths
