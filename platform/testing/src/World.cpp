#include "korvex/testing/World.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include "korvex/testing/Processes.h"
#include "korvex/testing/WaitFor.h"

namespace korvex::testing {

World::~World() {
    // Programs first: they hold connections to the hub and names on the bus.
    EndPrograms();
    EndChild(hub_);
}

bool World::Start(QString* why) {
    if (!PrivateBus::Start(why)) return false;
    hub_.setProcessEnvironment(Environment());
    hub_.setStandardOutputFile(QProcess::nullDevice());
    hub_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    hub_.start(BinDir() + QStringLiteral("/korvex-hub"), {});
    if (!hub_.waitForStarted(10000)) {
        *why = QStringLiteral("korvex-hub did not start");
        return false;
    }
    if (!WaitFor([this] { return Ctl({QStringLiteral("ping")}).status == 0; }, 10000)) {
        *why = QStringLiteral("korvex-hub does not answer");
        return false;
    }
    return true;
}

ToolRun World::Ctl(const QStringList& words) const {
    return Run(QStringLiteral("korvex-hub"), QStringList{QStringLiteral("ctl")} + words, 10000);
}

ToolRun World::Call(const QString& progId, const QStringList& words) const {
    return Run(QStringLiteral("korvex-call"), QStringList{progId} + words);
}

QString World::Setting(const QString& key, const QString& name) const {
    const ToolRun run = Run(QStringLiteral("korvex-reg"), {QStringLiteral("get"), key, name});
    if (run.status != 0) return {};
    QString value = QString::fromUtf8(run.out);
    if (value.endsWith(QLatin1Char('\n'))) value.chop(1);
    return value;
}

bool World::DeleteSetting(const QString& key, const QString& name) const {
    return Run(QStringLiteral("korvex-reg"), {QStringLiteral("delete"), key, name}).status == 0;
}

QJsonObject World::HubState() const {
    const ToolRun run = Ctl({QStringLiteral("state")});
    if (run.status != 0) return {};
    return QJsonDocument::fromJson(run.out).object();
}

QJsonObject World::Stepper(int port) const {
    for (const QJsonValue& s : HubState().value(QStringLiteral("steppers")).toArray()) {
        if (s.toObject().value(QStringLiteral("port")).toInt(-1) == port) return s.toObject();
    }
    return {};
}

QJsonObject World::HubClientOf(qint64 pid) const {
    for (const QJsonValue& c : HubState().value(QStringLiteral("clients")).toArray()) {
        if (c.toObject().value(QStringLiteral("pid")).toInteger() == pid) return c.toObject();
    }
    return {};
}

QByteArray World::Log() const {
    QFile log(Home() + QStringLiteral("/tkl.log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

int World::LogLines(qint64 pid, const QByteArray& text) const {
    // Lines read "<date> <time> [<pid> <program>] <text>".
    const QByteArray writer = '[' + QByteArray::number(pid) + ' ';
    int count = 0;
    for (const QByteArray& line : Log().split('\n')) {
        if (line.contains(writer) && line.contains(text)) ++count;
    }
    return count;
}

}  // namespace korvex::testing
