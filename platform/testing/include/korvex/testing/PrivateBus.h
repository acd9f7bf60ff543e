// A message bus of the test's own: a dbus-daemon on a socket path known before it starts, whose
// activation folder and KORVEX_HOME are temporary ones. The programs a test starts, and the ones
// the bus starts, see only this bus, this folder and this home; whatever still owns a name on the
// bus, or was adopted, is ended with it.
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

namespace korvex::testing {

struct ToolRun {
    int status = -1;  // exit status; -1 when it crashed, did not start or did not finish in time
    QByteArray out;
    QByteArray err;
};

class PrivateBus {
  public:
    PrivateBus() = default;
    virtual ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Starts the daemon and connects the test to it; false with the reason in *why.
    bool Start(QString* why);

    QString Address() const { return address_; }
    // XDG_DATA_HOME of the programs on this bus; the bus reads <it>/dbus-1/services.
    QString DataHome() const { return dir_.path() + QStringLiteral("/data"); }
    QString ServicesDir() const { return DataHome() + QStringLiteral("/dbus-1/services"); }
    // KORVEX_HOME of the programs on this bus (settings store, trace file, sockets).
    QString Home() const { return dir_.path() + QStringLiteral("/home"); }
    // Environment for programs the test starts; the bus starts its own with the same.
    QProcessEnvironment Environment() const { return env_; }

    // A program of the program folder with the bus's environment; waits `timeoutMs`.
    ToolRun Run(const QString& program, const QStringList& args, int timeoutMs = 20000,
                const QByteArray& input = {}) const;

    // Bus queries on the test's own connection.
    bool HasOwner(const QString& name);
    qint64 OwnerPid(const QString& name);

    // A program not started by the test (the bus started it) is ended with the bus.
    void Adopt(qint64 pid);
    // Ends every adopted program now.
    void EndAdopted();

  protected:
    // Ends the adopted programs and whatever still owns a well-known name: a program the bus
    // started for a test that stopped before adopting it would outlive the bus.
    void EndPrograms();
    // The folder everything of this bus lives in.
    QString Root() const { return dir_.path(); }

  private:
    QDBusConnection Bus();

    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QString connectionName_;
    QProcessEnvironment env_;
    std::vector<qint64> adopted_;
};

}  // namespace korvex::testing
