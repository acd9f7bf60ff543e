#include "framework/core/InicioState.h"

#include <limits>

#include "korvex/paths.h"

#ifndef KORVEX_VERSION_TEXT
#error "KORVEX_VERSION_TEXT is set by the build"
#endif

namespace korvex {

void InicioState::ApplyInstanceFlavour(const QString& folder) {
    // One rule for drivers and hub: both must pick the same instance from the same folder.
    MutexName = QString::fromStdString(paths::InstanceForFolder(folder.toStdString()));
    InstancePrefix =
        MutexName == QLatin1String(kSecondMutexName) ? QStringLiteral("2 ") : QString();
}

QString ProgramVersionText() { return QStringLiteral(KORVEX_VERSION_TEXT); }

}  // namespace korvex
