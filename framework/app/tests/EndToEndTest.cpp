// The real programs together: korvex-minimal-driver from the program folder, the real hub and
// libtkl.so, on a message bus of the suite's own whose activation folder is a temporary one, so
// that a client's CreateObject starts the program through the file the program wrote.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

#include "framework/app/tests/AppTestSupport.h"
#include "framework/app/tests/MinimalDriver.h"
#include "framework/com/ComError.h"
#include "framework/core/VantaroUtils.h"
#include "korvex/paths.h"
#include "korvex/store.h"

namespace korvex::apptest {
namespace {

const QString kProgId = QString::fromLatin1(kMinimalProgId);
const QString kBinDir = QStringLiteral(KORVEX_BIN_DIR);
const QString kDriver = kBinDir + QStringLiteral("/korvex-minimal-driver");
const QString kHub = kBinDir + QStringLiteral("/korvex-hub");

std::string DriverKey() {
    return SettingsPath(QStringLiteral("Korvex"), kProgId, {}).toStdString();
}

// True when process `pid` is gone or a zombie waiting to be reaped.
bool ProcessEnded(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close < 0 || text.mid(close + 2, 1) == "Z";
}

// A dbus-daemon listening on a known socket path, so that the programs it starts can be told
// the address in their environment, and a hub serving the default instance; both under one
// temporary KORVEX_HOME.
class World {
  public:
    ~World() {
        for (QProcess* p : {&hub_, &bus_}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(5000)) p->kill();
            p->waitForFinished(5000);
        }
    }

    bool Start(QString* why) {
        if (!dir_.isValid()) return Fail(why, "no temporary folder");
        QDir().mkpath(Home());
        QDir().mkpath(ServicesDir());
        address_ = QStringLiteral("unix:path=") + dir_.path() + QStringLiteral("/bus");
        QFile config(dir_.path() + QStringLiteral("/bus.conf"));
        if (!config.open(QIODevice::WriteOnly)) return Fail(why, "cannot write the bus config");
        config.write(
            QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                           "Configuration 1.0//EN\"\n"
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
                           "</busconfig>\n")
                .arg(address_, ServicesDir())
                .toUtf8());
        config.close();

        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        env_.insert(QStringLiteral("XDG_DATA_HOME"), dir_.path() + QStringLiteral("/data"));
        env_.insert(QStringLiteral("KORVEX_HOME"), Home());
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env_.remove(QStringLiteral("KORVEX_START_MINIMIZED"));
        // Programs the bus starts get the bus's environment.
        bus_.setProcessEnvironment(env_);
        bus_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config.fileName(),
                    QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!bus_.waitForStarted(10000)) return Fail(why, "dbus-daemon did not start");
        if (!WaitFor([this] { return bus_.canReadLine(); }, 10000)) {
            return Fail(why, "dbus-daemon gave no address");
        }

        hub_.setProcessEnvironment(env_);
        hub_.setProcessChannelMode(QProcess::ForwardedChannels);
        hub_.start(kHub, {});
        if (!hub_.waitForStarted(10000)) return Fail(why, "korvex-hub did not start");
        if (!WaitFor([this] { return Ctl({QStringLiteral("ping")}) == 0; }, 10000)) {
            return Fail(why, "korvex-hub does not answer");
        }
        return true;
    }

    QString Address() const { return address_; }
    QString Home() const { return dir_.path() + QStringLiteral("/home"); }
    QString ServicesDir() const { return dir_.path() + QStringLiteral("/data/dbus-1/services"); }
    QString ServiceFile() const {
        return ServicesDir() + QLatin1Char('/') + kProgId + QStringLiteral(".service");
    }
    QProcessEnvironment Environment() const { return env_; }

    // `korvex-hub ctl words...`: its exit status (2 when no hub answers), its output in *out.
    int Ctl(const QStringList& words, QByteArray* out = nullptr) const {
        QProcess ctl;
        ctl.setProcessEnvironment(env_);
        ctl.start(kHub, QStringList{QStringLiteral("ctl")} + words);
        if (!ctl.waitForFinished(10000)) {
            ctl.kill();
            ctl.waitForFinished(5000);
            return -1;
        }
        if (out) *out = ctl.readAllStandardOutput();
        return ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
    }

    // The hub's sub-clients as {pid, port, kind, open}.
    QJsonArray HubClients() const {
        QByteArray out;
        if (Ctl({QStringLiteral("state")}, &out) != 0) return {};
        return QJsonDocument::fromJson(out).object().value(QStringLiteral("clients")).toArray();
    }

  private:
    static bool Fail(QString* why, const char* text) {
        *why = QString::fromLatin1(text);
        return false;
    }

    QTemporaryDir dir_;
    QProcess bus_;
    QProcess hub_;
    QString address_;
    QProcessEnvironment env_;
};

class EndToEndTest : public ::testing::Test {
  public:
    static void SetUpTestSuite() {
        world = new World;
        QString why;
        if (!world->Start(&why)) {
            startFailure = why.toStdString();
            return;
        }
        // The test's own store and trace reads go to the programs' KORVEX_HOME.
        qputenv("KORVEX_HOME", world->Home().toUtf8());
    }

    static void TearDownTestSuite() {
        QDBusConnection::disconnectFromBus(QStringLiteral("e2e-client"));
        delete world;
        world = nullptr;
        store::Close();
        qunsetenv("KORVEX_HOME");
    }

  protected:
    void SetUp() override {
        ASSERT_TRUE(startFailure.empty()) << startFailure;
        client = std::make_unique<TestBusClient>(QStringLiteral("e2e-client"), world->Address());
        ASSERT_TRUE(client->Connection().isConnected());
    }

    void TearDown() override {
        if (!world || !client) return;
        for (auto& program : programs) {
            if (program->state() == QProcess::NotRunning) continue;
            program->kill();
            program->waitForFinished(10000);
        }
        // A program the bus started is no child of ours: end it through its pid.
        if (const qint64 pid = client->OwnerPid(kProgId)) ::kill(pid_t(pid), SIGKILL);
        EXPECT_TRUE(WaitFor([this] { return !client->NameHasOwner(kProgId); }, 20000));
        world->Ctl({QStringLiteral("language"), QStringLiteral("9")});
        client.reset();
    }

    // Starts the program as the user would (no arguments); not waited for.
    QProcess& StartByUser() {
        programs.push_back(std::make_unique<QProcess>());
        QProcess& p = *programs.back();
        p.setProcessEnvironment(world->Environment());
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(kDriver, {});
        return p;
    }

    bool Serving() {
        return WaitFor([this] { return client->NameHasOwner(kProgId); }, 20000);
    }

    // Serving, and start-up has finished: objects are made only once the program's event loop
    // runs, after Main. A signal sent earlier would meet a program still starting.
    bool Running() {
        if (!Serving()) return false;
        const auto path = client->Create(kProgId);
        return path && client->Release(kProgId, *path).ok;
    }

    // The sub-client entry of process `pid` in the hub, or an empty object.
    QJsonObject HubSlotOf(qint64 pid) {
        for (const QJsonValue& c : world->HubClients()) {
            if (c.toObject().value(QStringLiteral("pid")).toInteger() == pid) return c.toObject();
        }
        return {};
    }

    // A user start has written the activation file, as after installing the driver.
    void InstallByUserStart() {
        if (QFile::exists(world->ServiceFile())) return;
        QProcess& first = StartByUser();
        ASSERT_TRUE(Running());
        first.terminate();
        ASSERT_TRUE(first.waitForFinished(20000));
        ASSERT_TRUE(QFile::exists(world->ServiceFile()));
    }

    QVariant Get(const QString& path, const QString& member) {
        const BusReply reply = client->Invoke(kProgId, path, QStringLiteral("get"), member);
        EXPECT_TRUE(reply.ok) << member.toStdString() << ": " << reply.Error().toStdString();
        return reply.value;
    }

    static World* world;
    static std::string startFailure;
    std::unique_ptr<TestBusClient> client;
    std::vector<std::unique_ptr<QProcess>> programs;
};

World* EndToEndTest::world = nullptr;
std::string EndToEndTest::startFailure;

TEST_F(EndToEndTest, UserStartServesHoldsTheSlotAndEndsCleanlyOnSigterm) {
    store::Delete(DriverKey(), "Left");
    store::Delete(DriverKey(), "Top");
    QProcess& program = StartByUser();
    ASSERT_TRUE(Running());

    QFile service(world->ServiceFile());
    ASSERT_TRUE(service.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(service.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Name=KorvexTest.Minimal\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Exec=") + kDriver + QStringLiteral(" -Embedding\n")))
        << text.toStdString();

    const auto path = client->Create(kProgId);
    ASSERT_TRUE(path);
    EXPECT_EQ(Get(*path, QStringLiteral("StartedByUser")), QVariant(true));
    EXPECT_EQ(Get(*path, QStringLiteral("Connected")), QVariant(true));
    const BusReply ping =
        client->Invoke(kProgId, *path, QStringLiteral("call"), QStringLiteral("Ping"));
    EXPECT_EQ(ping.value.toString(), QStringLiteral("Pong")) << ping.Error().toStdString();
    const QJsonObject slot = HubSlotOf(program.processId());
    EXPECT_EQ(slot.value(QStringLiteral("port")).toInt(-1), port::Exp);
    EXPECT_EQ(slot.value(QStringLiteral("kind")).toInt(-1), kind::Rotator);
    EXPECT_TRUE(slot.value(QStringLiteral("open")).toBool());

    const qint64 pid = program.processId();
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(store::Get(DriverKey(), "Left"), "100");
    EXPECT_EQ(store::Get(DriverKey(), "Top"), "100");
    EXPECT_TRUE(WaitFor([&] { return HubSlotOf(pid).isEmpty(); }, 10000));  // slot given back
    EXPECT_FALSE(client->NameHasOwner(kProgId));
}

TEST_F(EndToEndTest, SecondCopyForTheTakenSlotIsRefusedAndEnds) {
    QProcess& first = StartByUser();
    ASSERT_TRUE(Serving());
    const qint64 logStart = QFileInfo(QString::fromStdString(paths::LogFile())).size();

    QProcess& second = StartByUser();
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);

    QFile log(QString::fromStdString(paths::LogFile()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    log.seek(logStart);
    EXPECT_TRUE(log.readAll().contains(kMinimalRefusal));
    EXPECT_EQ(client->OwnerPid(kProgId), first.processId());
    EXPECT_FALSE(HubSlotOf(first.processId()).isEmpty());
    EXPECT_TRUE(HubSlotOf(second.processId()).isEmpty());
}

TEST_F(EndToEndTest, ClientActivatesTheProgramWhichFollowsTheHubAndEndsWithTheLastRelease) {
    InstallByUserStart();
    ASSERT_FALSE(client->NameHasOwner(kProgId));
    store::Delete(DriverKey(), "Left");
    store::Delete(DriverKey(), "Top");

    BusReply failure;
    const auto path = client->Create(kProgId, &failure);
    ASSERT_TRUE(path) << failure.Error().toStdString();
    const qint64 pid = client->OwnerPid(kProgId);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(Get(*path, QStringLiteral("StartedByUser")), QVariant(false));
    EXPECT_EQ(Get(*path, QStringLiteral("Connected")), QVariant(true));
    EXPECT_EQ(Get(*path, QStringLiteral("ClientCount")).toInt(), 1);
    EXPECT_EQ(Get(*path, QStringLiteral("Language")).toInt(), kLanguageEnglish);
    EXPECT_FALSE(HubSlotOf(pid).isEmpty());

    ASSERT_EQ(world->Ctl({QStringLiteral("language"), QStringLiteral("3082")}), 0);
    EXPECT_TRUE(WaitFor(
        [&] { return Get(*path, QStringLiteral("Language")).toInt() == kLanguageSpanish; }, 10000));
    EXPECT_EQ(Get(*path, QStringLiteral("Title")).toString(),
              QStringLiteral("EXP Prueba mínima Korvex"));

    ASSERT_TRUE(client->Release(kProgId, *path).ok);
    EXPECT_TRUE(WaitFor([&] { return ProcessEnded(pid); }, 20000));
    EXPECT_FALSE(client->NameHasOwner(kProgId));
    EXPECT_EQ(store::Get(DriverKey(), "Left"), "100");
    EXPECT_EQ(store::Get(DriverKey(), "Top"), "100");
    EXPECT_TRUE(WaitFor([&] { return HubSlotOf(pid).isEmpty(); }, 10000));
}

TEST_F(EndToEndTest, ProgramWithoutTheLinkLibraryAnswersTheActivatingClientWithTheError) {
    // A copy of the program in a folder of its own: no libtkl.so beside it.
    QTemporaryDir lonely;
    ASSERT_TRUE(lonely.isValid());
    const QString copy = lonely.path() + QStringLiteral("/korvex-minimal-driver");
    ASSERT_TRUE(QFile::copy(kDriver, copy));
    QFile service(world->ServiceFile());
    ASSERT_TRUE(service.open(QIODevice::WriteOnly));
    service.write(QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2 -Embedding\n")
                      .arg(kProgId, copy)
                      .toUtf8());
    service.close();
    client->Connection().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig")));

    BusReply failure;
    const auto path = client->Create(kProgId, &failure);
    QFile::remove(world->ServiceFile());  // the next user start writes the real one again
    ASSERT_FALSE(path);
    const auto error = com::ParseError(failure.errorName, failure.errorMessage);
    ASSERT_TRUE(error) << failure.Error().toStdString();
    EXPECT_EQ(error->Number(), 0x80040405u);
    EXPECT_EQ(error->Source(), QString::fromLatin1(kMinimalSource));
    EXPECT_EQ(error->Description(),
              QStringLiteral("Component or DLL missing\nFailed to load TKL.DLL"));
    EXPECT_TRUE(WaitFor([this] { return !client->NameHasOwner(kProgId); }, 20000));
}

TEST_F(EndToEndTest, OneShotKorvexCallStartsTheProgramWhichEndsAfterwards) {
    InstallByUserStart();
    QProcess call;
    call.setProcessEnvironment(world->Environment());
    call.start(kBinDir + QStringLiteral("/korvex-call"),
               {kProgId, QStringLiteral("call"), QStringLiteral("Ping")});
    ASSERT_TRUE(call.waitForFinished(30000));
    EXPECT_EQ(call.exitCode(), 0) << call.readAllStandardError().toStdString();
    EXPECT_EQ(call.readAllStandardOutput().trimmed(), QByteArray("Pong"));
    // korvex-call released its only object: the program started for it closes itself.
    EXPECT_TRUE(WaitFor([this] { return !client->NameHasOwner(kProgId); }, 20000));
}

}  // namespace
}  // namespace korvex::apptest
