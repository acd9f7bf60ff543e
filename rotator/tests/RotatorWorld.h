// The surroundings of the rotator programs in end-to-end tests: a message bus of the test's own
// (its activation folder a temporary one), a hub with its simulated controller, and one
// temporary KORVEX_HOME, all ended with the world. Everything is reached through the public
// tools (korvex-hub ctl, korvex-call, korvex-reg) and the trace file.
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <vector>

namespace korvex::rotator::e2e {

// The program folder: build/bin, or KORVEX_BIN_DIR from the environment when set.
QString BinDir();

// Polls `done` every few milliseconds until it holds or `timeoutMs` passes; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000);

// True when process `pid` has ended (gone, or a zombie not reaped yet).
bool ProcessEnded(qint64 pid);

// Ends process `pid`: SIGTERM, then SIGKILL when it has not ended within `graceMs`.
void EndProcess(qint64 pid, int graceMs = 5000);

struct ToolRun {
    int status = -1;  // exit status; -1 when it crashed or did not finish in time
    QByteArray out;
    QByteArray err;
};

class RotatorWorld {
  public:
    RotatorWorld() = default;
    ~RotatorWorld();
    RotatorWorld(const RotatorWorld&) = delete;
    RotatorWorld& operator=(const RotatorWorld&) = delete;

    // Starts the bus and the hub; false with the reason in *why.
    bool Start(QString* why);

    QString Home() const { return dir_.path() + QStringLiteral("/home"); }
    QString ServicesDir() const { return dir_.path() + QStringLiteral("/data/dbus-1/services"); }
    QProcessEnvironment Environment() const { return env_; }

    // A program of the program folder with the world's environment; waits `timeoutMs`.
    ToolRun Run(const QString& program, const QStringList& args, int timeoutMs = 20000,
                const QByteArray& input = {}) const;
    // `korvex-hub ctl words...`.
    ToolRun Ctl(const QStringList& words) const;
    // `korvex-call progId words...` (one object, one operation).
    ToolRun Call(const QString& progId, const QStringList& words) const;
    // The value `name` under `key` in the settings store (`korvex-reg get`); a null text when
    // there is none.
    QString Setting(const QString& key, const QString& name) const;
    bool DeleteSetting(const QString& key, const QString& name) const;

    // The hub's state document, empty when the hub does not answer.
    QJsonObject HubState() const;
    // The stepper record of `port` in the hub's state.
    QJsonObject Stepper(int port) const;
    // The hub's sub-client entry of process `pid`, empty when it holds no connection.
    QJsonObject HubClientOf(qint64 pid) const;

    // The whole trace file as it stands.
    QByteArray Log() const;
    // Trace lines written by process `pid` that contain `text`.
    int LogLines(qint64 pid, const QByteArray& text) const;

    // Bus queries on the test's own connection.
    bool HasOwner(const QString& name);
    qint64 OwnerPid(const QString& name);

    // A program not started by the test (the bus started it) is ended with the world.
    void Adopt(qint64 pid);
    // Ends every adopted program now.
    void EndAdopted();

  private:
    QDBusConnection Bus();

    QTemporaryDir dir_;
    QProcess bus_;
    QProcess hub_;
    QString address_;
    QString connectionName_;
    QProcessEnvironment env_;
    std::vector<qint64> adopted_;
};

// A program started by the test as the user would start it; ended when the guard goes.
class UserProgram {
  public:
    UserProgram(const RotatorWorld& world, const QString& program);
    ~UserProgram();
    UserProgram(const UserProgram&) = delete;
    UserProgram& operator=(const UserProgram&) = delete;

    QProcess& Process() { return process_; }
    qint64 Pid() const { return pid_; }
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    // SIGTERM and wait for the end; true when it ended by itself with status 0.
    bool Terminate(int timeoutMs = 20000);

  private:
    QProcess process_;
    qint64 pid_ = 0;
};

}  // namespace korvex::rotator::e2e
