// The per-driver constants that start-up, registration and the poll timer depend on, and the
// record of each of the eight programs.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "framework/core/Errores.h"

namespace korvex {

enum class Deliverable {
    Rotator,
    Wexmoor,
    Hallowby,
    Brantley,
    Corrindale,
    Ashgrove,
    Dunmere,
    Pellworth
};

// Port index and device kind handed to the link library.
namespace port {
inline constexpr int32_t Main = 0;
inline constexpr int32_t Exp = 1;
inline constexpr int32_t Third = 2;
}  // namespace port
namespace kind {
inline constexpr int32_t Focuser = 1;
inline constexpr int32_t FilterWheel = 2;
inline constexpr int32_t Rotator = 3;
inline constexpr int32_t RelayBox = 6;
inline constexpr int32_t PinByPin = 7;
}  // namespace kind

// First state of the hand box.
enum class FirstWindowRule {
    A,       // started by the user: as asked (StartedMinimized); started by the bus: minimized
    B,       // always as asked
    Normal,  // always normal
};

// One ASCOM Profile registration: device type and ProgID. Start-up sets the type and registers
// the ProgID for each entry in order, all with the record's description.
struct AscomRegistration {
    QString deviceType;
    QString progId;
};

struct DriverConstants {
    Deliverable deliverable;
    int32_t port;
    int32_t kind;
    QStringList progIds;  // every class the program serves on the bus, main class first
    QString settingsKey;  // key under "Software\Vantaro\Korvex"
    QList<AscomRegistration> registrations;  // empty: no Profile steps, no failures A and B
    QString registrationDescription;
    QString refusalTrace;  // traced when the port slot is refused
    // Hand box timer interval in ms; 0: the stored refresh period (RefreshPeriodInterval).
    int timerIntervalMs;
    FirstWindowRule firstWindow;
    QString ascomMissingText;  // English of text 124
    bool readsAlwaysOnTop;
    int32_t initialLanguage;  // CurrentLanguage before the first language event: 0 or 9
    ReportErrorStyle reportError;

    bool RegistersWithAscom() const { return !registrations.isEmpty(); }
};

const DriverConstants& ConstantsFor(Deliverable deliverable);

// The relay box timer: the stored period when it is 10 to 60000 ms, else 50 ms.
int RefreshPeriodInterval(int storedMs);

// Timer interval of a driver; `storedRefreshMs` is used only by the refresh-period rule.
int TimerInterval(const DriverConstants& constants, int storedRefreshMs = 1000);

// True when the hand box is first shown minimized.
bool FirstWindowMinimized(FirstWindowRule rule, bool startedByUser, bool startedMinimized);

}  // namespace korvex
