#include "korvex/testing/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <atomic>

#include "korvex/testing/Processes.h"
#include "korvex/testing/WaitFor.h"

namespace korvex::testing {
namespace {

constexpr auto kBusConfig =
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
    "<busconfig>\n"
    "  <type>session</type>\n"
    "  <listen>%1</listen>\n"
    "  <auth>EXTERNAL</auth>\n"
    "  <servicedir>%2</servicedir>\n"
    "  <policy context=\"default\">\n"
    "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
    "    <allow eavesdrop=\"true\"/>\n"
    "    <allow own=\"*\"/>\n"
    "  </policy>\n"
    "</busconfig>\n";

bool Fail(QString* why, const QString& text) {
    *why = text;
    return false;
}

}  // namespace

PrivateBus::~PrivateBus() {
    EndPrograms();
    if (!connectionName_.isEmpty()) QDBusConnection::disconnectFromBus(connectionName_);
    EndChild(daemon_);
}

bool PrivateBus::Start(QString* why) {
    static std::atomic<int> buses{0};
    if (!dir_.isValid()) return Fail(why, QStringLiteral("no temporary folder"));
    const QString runtime = dir_.path() + QStringLiteral("/runtime");
    for (const QString& folder : {Home(), ServicesDir(), runtime}) {
        if (!QDir().mkpath(folder)) return Fail(why, QStringLiteral("cannot make ") + folder);
    }
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A socket path known before the bus starts, so that the bus and every program it starts
    // get the address in their environment.
    address_ = QStringLiteral("unix:path=") + dir_.path() + QStringLiteral("/bus");
    QFile config(dir_.path() + QStringLiteral("/bus.conf"));
    if (!config.open(QIODevice::WriteOnly)) return Fail(why, QStringLiteral("no bus config"));
    config.write(QString::fromLatin1(kBusConfig).arg(address_, ServicesDir()).toUtf8());
    config.close();

    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    env_.insert(QStringLiteral("XDG_DATA_HOME"), DataHome());
    env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env_.insert(QStringLiteral("KORVEX_HOME"), Home());
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env_.remove(QStringLiteral("KORVEX_START_MINIMIZED"));

    daemon_.setProcessEnvironment(env_);
    daemon_.setStandardOutputFile(QProcess::nullDevice());
    daemon_.setStandardErrorFile(QProcess::nullDevice());
    daemon_.start(
        QStringLiteral("dbus-daemon"),
        {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork")});
    if (!daemon_.waitForStarted(10000)) {
        return Fail(why, QStringLiteral("dbus-daemon did not start: ") + daemon_.errorString());
    }
    connectionName_ = QStringLiteral("korvex-private-bus-%1").arg(++buses);
    if (!WaitFor([this] { return Bus().isConnected(); }, 10000)) {
        return Fail(why, QStringLiteral("cannot connect to the test's bus"));
    }
    return true;
}

QDBusConnection PrivateBus::Bus() {
    QDBusConnection bus(connectionName_);
    if (bus.isConnected()) return bus;
    // A failed attempt stays registered under the name: drop it before trying again.
    QDBusConnection::disconnectFromBus(connectionName_);
    return QDBusConnection::connectToBus(address_, connectionName_);
}

ToolRun PrivateBus::Run(const QString& program, const QStringList& args, int timeoutMs,
                        const QByteArray& input) const {
    QProcess process;
    process.setProcessEnvironment(env_);
    process.start(BinDir() + QLatin1Char('/') + program, args);
    ToolRun run;
    if (!process.waitForStarted(10000)) return run;
    if (!input.isEmpty()) process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit) run.status = process.exitCode();
    return run;
}

bool PrivateBus::HasOwner(const QString& name) {
    const QDBusReply<bool> reply = Bus().interface()->isServiceRegistered(name);
    return reply.isValid() && reply.value();
}

qint64 PrivateBus::OwnerPid(const QString& name) {
    const QDBusReply<uint> reply = Bus().interface()->servicePid(name);
    return reply.isValid() ? qint64(reply.value()) : 0;
}

void PrivateBus::Adopt(qint64 pid) {
    if (pid > 0) adopted_.push_back(pid);
}

void PrivateBus::EndAdopted() {
    for (const qint64 pid : adopted_) EndProcess(pid);
    adopted_.clear();
}

void PrivateBus::EndPrograms() {
    EndAdopted();
    if (connectionName_.isEmpty() || !Bus().isConnected()) return;
    const QDBusReply<QStringList> names = Bus().interface()->registeredServiceNames();
    for (const QString& name : names.value()) {
        if (name.startsWith(QLatin1Char(':')) ||
            name.startsWith(QLatin1String("org.freedesktop."))) {
            continue;
        }
        const qint64 pid = OwnerPid(name);
        if (pid != QCoreApplication::applicationPid()) EndProcess(pid);  // never the test itself
    }
}

}  // namespace korvex::testing
