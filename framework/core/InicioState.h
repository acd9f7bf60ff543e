// Process state owned by start-up (Inicio): one instance per driver process, created in Main
// and passed to whatever needs it.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace korvex {

inline constexpr auto kMutexName = "KorvexMutex";
inline constexpr auto kSecondMutexName = "Korvex2ndMutex";

struct InicioState {
    bool StartedByUser = true;  // false when started by the bus (com::StartedByCom)
    int16_t ClientCount = 0;    // live device objects
    bool ClosingDown = false;   // the hand box is being unloaded for good
    QString InstancePrefix;     // "" or "2 ", in front of the hand box caption
    QString MutexName = kMutexName;
    QString VersionText;  // "major.minor.revision"
    bool AlwaysOnTop = false;
    double LastShownPosition = -999;  // -999: the first poll always refreshes the display
    QString ProgramFolder;

    // Instance flavour of `folder`: a file "second" or "Second.txt" there gives
    // "Korvex2ndMutex" and the prefix "2 "; otherwise "KorvexMutex" and no prefix.
    void ApplyInstanceFlavour(const QString& folder);
};

// The program version, "4.7.0" for this release.
QString ProgramVersionText();

}  // namespace korvex
