// A message bus of the test's own whose activation folder is a temporary one: the programs a
// test starts, and the ones the bus starts, see only this bus and this folder.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace korvex::com::testing {

class PrivateBus {
  public:
    PrivateBus() = default;
    ~PrivateBus();

    bool Start(QString* error);

    QString Address() const { return address_; }
    // XDG_DATA_HOME of the programs on this bus; the bus reads <it>/dbus-1/services.
    QString DataHome() const;
    // Environment for programs started by the test (the bus starts its own with the same).
    QProcessEnvironment Environment() const { return env_; }

  private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QProcessEnvironment env_;
};

}  // namespace korvex::com::testing
