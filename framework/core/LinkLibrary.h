// Binding of the link library (libtkl.so) into a LinkTable.
//
// The library is opened by absolute path only (no search path), and every operation of
// TKL_OPERATIONS must resolve: a table with a missing entry is never handed out, so callers
// never meet a null entry in a loaded table. Failure here is the start-up failure "handle -1".
#pragma once

#include <QString>
#include <optional>

#include "tkl_table.h"

namespace korvex {

// dlopen of <ProgramFolder()>/<fileName> and dlsym of every operation. Nothing on failure;
// `why`, when given, receives the loader's reason (for the trace, never shown to the user).
std::optional<LinkTable> LoadLibraryFromAppFolder(const QString& fileName, QString* why = nullptr);

// The same for an absolute path.
std::optional<LinkTable> LoadLinkLibrary(const QString& absolutePath, QString* why = nullptr);

// dlclose of a loaded table and reset of every entry; in-process tables (handle null) are
// only reset. Safe to call twice.
void FreeLinkLibrary(LinkTable& table);

}  // namespace korvex
