#include "framework/com/tests/ProcessFixture.h"

#include "framework/com/tests/BusClient.h"

namespace korvex::com::testing {

std::unique_ptr<PrivateBus> ProcessFixture::bus;

void ProcessFixture::SetUpTestSuite() {
    bus = std::make_unique<PrivateBus>();
    QString error;
    if (!bus->Start(&error)) {
        bus.reset();
        FAIL() << "private bus: " << error.toStdString();
    }
}

void ProcessFixture::TearDownTestSuite() { bus.reset(); }

void ProcessFixture::SetUp() { ASSERT_TRUE(bus) << "no private bus"; }

void ProcessFixture::TearDown() {
    if (server && server->state() != QProcess::NotRunning) {
        server->kill();
        server->waitForFinished(10000);
    }
    server.reset();
    // The next test starts from a bus without the program.
    EXPECT_TRUE(WaitFor(
        [this] {
            return !Registered(QStringLiteral("KorvexTest.Device")) &&
                   !Registered(QStringLiteral("KorvexTest.Helper"));
        },
        20000));
}

bool ProcessFixture::Registered(const QString& name) { return bus->HasOwner(name); }

bool ProcessFixture::StartServer(const QStringList& args) {
    if (server && server->state() != QProcess::NotRunning) {
        server->kill();
        server->waitForFinished(10000);
    }
    server = std::make_unique<QProcess>();
    server->setProcessEnvironment(bus->Environment());
    server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server->start(QStringLiteral(KORVEX_COM_TESTSERVER), args);
    if (!server->waitForStarted(20000)) return false;
    return WaitFor(
        [this] {
            return server->state() == QProcess::Running &&
                   Registered(QStringLiteral("KorvexTest.Device")) &&
                   Registered(QStringLiteral("KorvexTest.Helper"));
        },
        20000);
}

}  // namespace korvex::com::testing
