#include "framework/com/ServiceFiles.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace korvex::com {
namespace {

QString QuoteForExec(const QString& path) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
    if (plain.match(path).hasMatch()) return path;
    QString quoted = path;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

}  // namespace

QString ServicesDir() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return base + QStringLiteral("/dbus-1/services");
}

QString ServiceFileText(const QString& progId, const QString& programPath) {
    return QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2 -Embedding\n")
        .arg(progId, QuoteForExec(programPath));
}

bool WriteServiceFile(const QString& progId, const QString& programPath, QString* error) {
    const QString dir = ServicesDir();
    if (!QDir().mkpath(dir)) {
        if (error) *error = QStringLiteral("Cannot create %1").arg(dir);
        return false;
    }
    const QString fileName = dir + QLatin1Char('/') + progId + QStringLiteral(".service");
    const QByteArray text = ServiceFileText(progId, programPath).toUtf8();
    QFile existing(fileName);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == text) return true;
    existing.close();

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error) *error = QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

void AskBusToReload(const QDBusConnection& bus, bool wait) {
    const QDBusMessage reload = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig"));
    if (wait) {
        bus.call(reload, QDBus::Block, 5000);
    } else {
        bus.asyncCall(reload);
    }
}

}  // namespace korvex::com
