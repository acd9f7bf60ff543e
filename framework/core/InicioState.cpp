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

void InicioState::ClientArrived() {
    if (ClientCount < std::numeric_limits<int16_t>::max()) ++ClientCount;
}

bool InicioState::ClientLeft() {
    if (ClientCount > 0) --ClientCount;
    return ClientCount == 0 && !StartedByUser;
}

bool StartedByBus(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument.compare(QLatin1String("-Embedding"), Qt::CaseInsensitive) == 0 ||
            argument.compare(QLatin1String("/Embedding"), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

QString ProgramVersionText() { return QStringLiteral(KORVEX_VERSION_TEXT); }

}  // namespace korvex
