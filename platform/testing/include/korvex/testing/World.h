// The surroundings of driver programs in end-to-end tests: the private bus, and on it a hub with
// its simulated controller serving the default instance, under the bus's KORVEX_HOME. Everything
// is reached through the public tools (korvex-hub ctl, korvex-call, korvex-reg) and the trace
// file.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "korvex/testing/PrivateBus.h"

namespace korvex::testing {

class World : public PrivateBus {
  public:
    World() = default;
    ~World() override;

    // Starts the bus and the hub; false with the reason in *why.
    bool Start(QString* why);

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
    // The hub's sub-client entry of process `pid` ({pid, port, kind, open}), empty when it holds
    // no connection.
    QJsonObject HubClientOf(qint64 pid) const;

    // The whole trace file as it stands.
    QByteArray Log() const;
    // Trace lines written by process `pid` that contain `text`.
    int LogLines(qint64 pid, const QByteArray& text) const;

  private:
    QProcess hub_;
};

}  // namespace korvex::testing
