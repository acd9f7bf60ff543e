#include "framework/com/tests/PrivateBus.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

namespace korvex::com::testing {

PrivateBus::~PrivateBus() {
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) daemon_.kill();
        daemon_.waitForFinished(5000);
    }
}

QString PrivateBus::DataHome() const { return dir_.path() + QStringLiteral("/data"); }

bool PrivateBus::Start(QString* error) {
    if (!dir_.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString services = DataHome() + QStringLiteral("/dbus-1/services");
    QDir().mkpath(services);
    QDir().mkpath(dir_.path() + QStringLiteral("/home"));
    const QString config = dir_.path() + QStringLiteral("/bus.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    file.write(
        QStringLiteral(
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig>\n"
            "  <type>session</type>\n"
            "  <listen>unix:dir=%1</listen>\n"
            "  <auth>EXTERNAL</auth>\n"
            "  <servicedir>%2</servicedir>\n"
            "  <policy context=\"default\">\n"
            "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
            "    <allow eavesdrop=\"true\"/>\n"
            "    <allow own=\"*\"/>\n"
            "  </policy>\n"
            "</busconfig>\n")
            .arg(dir_.path(), services)
            .toUtf8());
    file.close();

    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert(QStringLiteral("XDG_DATA_HOME"), DataHome());
    env_.insert(QStringLiteral("KORVEX_HOME"), dir_.path() + QStringLiteral("/home"));
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    daemon_.setProcessEnvironment(env_);
    daemon_.setProcessChannelMode(QProcess::SeparateChannels);
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(10000)) {
        *error = QStringLiteral("dbus-daemon did not start: %1").arg(daemon_.errorString());
        return false;
    }
    QDeadlineTimer deadline(10000);
    while (!daemon_.canReadLine() && !deadline.hasExpired()) {
        daemon_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address_.isEmpty()) {
        *error = QStringLiteral("dbus-daemon gave no address: %1")
                     .arg(QString::fromUtf8(daemon_.readAllStandardError()));
        return false;
    }
    env_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    return true;
}

}  // namespace korvex::com::testing
