// Bus activation files: the bus starts a program that is not running when a client addresses
// one of its ProgIDs.
#pragma once

#include <QDBusConnection>
#include <QString>

namespace korvex::com {

// $XDG_DATA_HOME/dbus-1/services, XDG_DATA_HOME defaulting to ~/.local/share.
QString ServicesDir();

// Contents of <progId>.service: Name=<progId>, Exec=<programPath> -Embedding (the path quoted
// for the bus's shell-like parser when it holds anything but plain path characters).
QString ServiceFileText(const QString& progId, const QString& programPath);

// Writes ServicesDir()/<progId>.service, creating the folder; leaves an identical file alone.
bool WriteServiceFile(const QString& progId, const QString& programPath, QString* error = nullptr);

// Asks the bus to read its configuration and service files again. `wait`: block until the
// bus answered (for a program about to exit), otherwise fire and forget.
void AskBusToReload(const QDBusConnection& bus, bool wait = false);

}  // namespace korvex::com
