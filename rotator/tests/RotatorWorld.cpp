#include "RotatorWorld.h"

#include <signal.h>
#include <sys/types.h>

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <atomic>

namespace korvex::rotator::e2e {
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

// Ends a child process: SIGTERM, then SIGKILL after the grace time.
void EndChild(QProcess& process, int graceMs = 5000) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(graceMs)) {
        process.kill();
        process.waitForFinished(graceMs);
    }
}

}  // namespace

QString BinDir() {
    const QByteArray fromEnv = qgetenv("KORVEX_BIN_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(KORVEX_BIN_DIR) : QString::fromLocal8Bit(fromEnv);
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return done();
        QThread::msleep(15);
    }
    return true;
}

bool ProcessEnded(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray text = stat.readAll();
    // The state letter follows the command name, which is in parentheses.
    const qsizetype close = text.lastIndexOf(')');
    return close < 0 || text.mid(close + 2, 1) == "Z";
}

void EndProcess(qint64 pid, int graceMs) {
    if (pid <= 0 || ProcessEnded(pid)) return;
    ::kill(pid_t(pid), SIGTERM);
    if (WaitFor([pid] { return ProcessEnded(pid); }, graceMs)) return;
    ::kill(pid_t(pid), SIGKILL);
    WaitFor([pid] { return ProcessEnded(pid); }, graceMs);
}

RotatorWorld::~RotatorWorld() {
    EndAdopted();
    // Anything still serving a name on the bus (a program the bus started for a test that
    // stopped before adopting it) would outlive the bus.
    if (!connectionName_.isEmpty() && Bus().isConnected()) {
        const QDBusReply<QStringList> names = Bus().interface()->registeredServiceNames();
        for (const QString& name : names.value()) {
            if (name.startsWith(QLatin1Char(':')) ||
                name.startsWith(QLatin1String("org.freedesktop."))) {
                continue;
            }
            EndProcess(OwnerPid(name));
        }
    }
    EndChild(hub_);
    if (!connectionName_.isEmpty()) QDBusConnection::disconnectFromBus(connectionName_);
    EndChild(bus_);
}

bool RotatorWorld::Start(QString* why) {
    static std::atomic<int> worlds{0};
    if (!dir_.isValid()) return Fail(why, QStringLiteral("no temporary folder"));
    const QString runtime = dir_.path() + QStringLiteral("/runtime");
    for (const QString& folder : {Home(), ServicesDir(), runtime}) {
        if (!QDir().mkpath(folder)) return Fail(why, QStringLiteral("cannot make ") + folder);
    }
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A socket path known before the bus starts, so that the bus and every program it starts
    // get the address in their environment.
    const QString socket = dir_.path() + QStringLiteral("/bus");
    address_ = QStringLiteral("unix:path=") + socket;
    QFile config(dir_.path() + QStringLiteral("/bus.conf"));
    if (!config.open(QIODevice::WriteOnly)) return Fail(why, QStringLiteral("no bus config"));
    config.write(QString::fromLatin1(kBusConfig).arg(address_, ServicesDir()).toUtf8());
    config.close();

    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    env_.insert(QStringLiteral("XDG_DATA_HOME"), dir_.path() + QStringLiteral("/data"));
    env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env_.insert(QStringLiteral("KORVEX_HOME"), Home());
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env_.remove(QStringLiteral("KORVEX_START_MINIMIZED"));

    bus_.setProcessEnvironment(env_);
    bus_.setStandardOutputFile(QProcess::nullDevice());
    bus_.setStandardErrorFile(QProcess::nullDevice());
    bus_.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork")});
    if (!bus_.waitForStarted(10000)) {
        return Fail(why, QStringLiteral("dbus-daemon did not start: ") + bus_.errorString());
    }
    connectionName_ = QStringLiteral("rotator-e2e-%1").arg(++worlds);
    if (!WaitFor([this] { return Bus().isConnected(); }, 10000)) {
        return Fail(why, QStringLiteral("cannot connect to the test's bus"));
    }

    hub_.setProcessEnvironment(env_);
    hub_.setStandardOutputFile(QProcess::nullDevice());
    hub_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    hub_.start(BinDir() + QStringLiteral("/korvex-hub"), {});
    if (!hub_.waitForStarted(10000)) return Fail(why, QStringLiteral("korvex-hub did not start"));
    if (!WaitFor([this] { return Ctl({QStringLiteral("ping")}).status == 0; }, 10000)) {
        return Fail(why, QStringLiteral("korvex-hub does not answer"));
    }
    return true;
}

QDBusConnection RotatorWorld::Bus() {
    QDBusConnection bus(connectionName_);
    if (bus.isConnected()) return bus;
    // A failed attempt stays registered under the name: drop it before trying again.
    QDBusConnection::disconnectFromBus(connectionName_);
    return QDBusConnection::connectToBus(address_, connectionName_);
}

ToolRun RotatorWorld::Run(const QString& program, const QStringList& args, int timeoutMs,
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

ToolRun RotatorWorld::Ctl(const QStringList& words) const {
    return Run(QStringLiteral("korvex-hub"), QStringList{QStringLiteral("ctl")} + words, 10000);
}

ToolRun RotatorWorld::Call(const QString& progId, const QStringList& words) const {
    return Run(QStringLiteral("korvex-call"), QStringList{progId} + words);
}

QString RotatorWorld::Setting(const QString& key, const QString& name) const {
    const ToolRun run = Run(QStringLiteral("korvex-reg"), {QStringLiteral("get"), key, name});
    if (run.status != 0) return {};
    QString value = QString::fromUtf8(run.out);
    if (value.endsWith(QLatin1Char('\n'))) value.chop(1);
    return value;
}

bool RotatorWorld::DeleteSetting(const QString& key, const QString& name) const {
    return Run(QStringLiteral("korvex-reg"), {QStringLiteral("delete"), key, name}).status == 0;
}

QJsonObject RotatorWorld::HubState() const {
    const ToolRun run = Ctl({QStringLiteral("state")});
    if (run.status != 0) return {};
    return QJsonDocument::fromJson(run.out).object();
}

QJsonObject RotatorWorld::Stepper(int port) const {
    for (const QJsonValue& s : HubState().value(QStringLiteral("steppers")).toArray()) {
        if (s.toObject().value(QStringLiteral("port")).toInt(-1) == port) return s.toObject();
    }
    return {};
}

QJsonObject RotatorWorld::HubClientOf(qint64 pid) const {
    for (const QJsonValue& c : HubState().value(QStringLiteral("clients")).toArray()) {
        if (c.toObject().value(QStringLiteral("pid")).toInteger() == pid) return c.toObject();
    }
    return {};
}

QByteArray RotatorWorld::Log() const {
    QFile log(Home() + QStringLiteral("/tkl.log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

int RotatorWorld::LogLines(qint64 pid, const QByteArray& text) const {
    // Lines read "<date> <time> [<pid> <program>] <text>".
    const QByteArray writer = '[' + QByteArray::number(pid) + ' ';
    int count = 0;
    for (const QByteArray& line : Log().split('\n')) {
        if (line.contains(writer) && line.contains(text)) ++count;
    }
    return count;
}

bool RotatorWorld::HasOwner(const QString& name) {
    const QDBusReply<bool> reply = Bus().interface()->isServiceRegistered(name);
    return reply.isValid() && reply.value();
}

qint64 RotatorWorld::OwnerPid(const QString& name) {
    const QDBusReply<uint> reply = Bus().interface()->servicePid(name);
    return reply.isValid() ? qint64(reply.value()) : 0;
}

void RotatorWorld::Adopt(qint64 pid) {
    if (pid > 0) adopted_.push_back(pid);
}

void RotatorWorld::EndAdopted() {
    for (const qint64 pid : adopted_) EndProcess(pid);
    adopted_.clear();
}

UserProgram::UserProgram(const RotatorWorld& world, const QString& program) {
    process_.setProcessEnvironment(world.Environment());
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(BinDir() + QLatin1Char('/') + program, {});
    if (process_.waitForStarted(10000)) pid_ = process_.processId();
}

UserProgram::~UserProgram() { EndChild(process_); }

bool UserProgram::Terminate(int timeoutMs) {
    process_.terminate();
    if (!process_.waitForFinished(timeoutMs)) return false;
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

}  // namespace korvex::rotator::e2e
