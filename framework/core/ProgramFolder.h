// The program folder: where the driver programs, libtkl.so, korvex-hub and the tools live.
#pragma once

#include <QString>

namespace korvex {

// Folder of the running executable (/proc/self/exe), without a trailing slash; the override
// when one is set.
QString ProgramFolder();

// Makes ProgramFolder() answer `folder` (tests). An empty text restores the real folder.
void SetProgramFolderOverride(const QString& folder);

}  // namespace korvex
