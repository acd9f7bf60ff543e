#include "framework/core/ProgramFolder.h"

#include <QFileInfo>

namespace korvex {
namespace {

QString& Override() {
    static QString folder;
    return folder;
}

}  // namespace

QString ProgramFolder() {
    if (!Override().isEmpty()) return Override();
    // The link of the running executable, resolved once: the file cannot move under us.
    static const QString real =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
    return real;
}

void SetProgramFolderOverride(const QString& folder) {
    QString clean = folder;
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/'))) clean.chop(1);
    Override() = clean;
}

}  // namespace korvex
