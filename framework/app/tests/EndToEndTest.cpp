// The real programs together: korvex-minimal-driver from the program folder, the real hub and
// libtkl.so, on a message bus of the suite's own whose activation folder is a temporary one, so
// that a client's CreateObject starts the program through the file the program wrote.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QFileInfo>
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
#include "korvex/testing/Processes.h"
#include "korvex/testing/World.h"

namespace korvex::apptest {
namespace {

const QString kProgId = QString::fromLatin1(kMinimalProgId);
const QString kBinDir = QStringLiteral(KORVEX_BIN_DIR);
const QString kDriver = kBinDir + QStringLiteral("/korvex-minimal-driver");

std::string DriverKey() {
    return SettingsPath(QStringLiteral("Korvex"), kProgId, {}).toStdString();
}

using korvex::testing::ProcessEnded;
using korvex::testing::World;

// The activation file a user start writes.
QString ServiceFile(const World& world) {
    return world.ServicesDir() + QLatin1Char('/') + kProgId + QStringLiteral(".service");
}

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

    // A user start has written the activation file, as after installing the driver.
    void InstallByUserStart() {
        if (QFile::exists(ServiceFile(*world))) return;
        QProcess& first = StartByUser();
        ASSERT_TRUE(Running());
        first.terminate();
        ASSERT_TRUE(first.waitForFinished(20000));
        ASSERT_TRUE(QFile::exists(ServiceFile(*world)));
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

    QFile service(ServiceFile(*world));
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
    const QJsonObject slot = world->HubClientOf(program.processId());
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
    EXPECT_TRUE(
        WaitFor([&] { return world->HubClientOf(pid).isEmpty(); }, 10000));  // slot given back
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
    EXPECT_FALSE(world->HubClientOf(first.processId()).isEmpty());
    EXPECT_TRUE(world->HubClientOf(second.processId()).isEmpty());
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
    EXPECT_FALSE(world->HubClientOf(pid).isEmpty());

    ASSERT_EQ(world->Ctl({QStringLiteral("language"), QStringLiteral("3082")}).status, 0);
    EXPECT_TRUE(WaitFor(
        [&] { return Get(*path, QStringLiteral("Language")).toInt() == kLanguageSpanish; }, 10000));
    EXPECT_EQ(Get(*path, QStringLiteral("Title")).toString(),
              QStringLiteral("EXP Prueba mínima Korvex"));

    ASSERT_TRUE(client->Release(kProgId, *path).ok);
    EXPECT_TRUE(WaitFor([&] { return ProcessEnded(pid); }, 20000));
    EXPECT_FALSE(client->NameHasOwner(kProgId));
    EXPECT_EQ(store::Get(DriverKey(), "Left"), "100");
    EXPECT_EQ(store::Get(DriverKey(), "Top"), "100");
    EXPECT_TRUE(WaitFor([&] { return world->HubClientOf(pid).isEmpty(); }, 10000));
}

TEST_F(EndToEndTest, ProgramWithoutTheLinkLibraryAnswersTheActivatingClientWithTheError) {
    // A copy of the program in a folder of its own: no libtkl.so beside it.
    QTemporaryDir lonely;
    ASSERT_TRUE(lonely.isValid());
    const QString copy = lonely.path() + QStringLiteral("/korvex-minimal-driver");
    ASSERT_TRUE(QFile::copy(kDriver, copy));
    QFile service(ServiceFile(*world));
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
    QFile::remove(ServiceFile(*world));  // the next user start writes the real one again
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
