// korvex-com-testserver: the minimal driver served on the session bus.
//   korvex-com-testserver [-Embedding|/Embedding]   serve KorvexTest.Device and KorvexTest.Helper
//   korvex-com-testserver --register-only           write the activation files and exit
// Started by the bus (-Embedding), it exits when its last object is released.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>
#include <cstdio>

#include "framework/com/ObjectServer.h"
#include "framework/com/ServiceFiles.h"
#include "framework/com/StartMode.h"
#include "framework/com/tests/MinimalDriver.h"

using namespace korvex::com;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList progIds{QString::fromLatin1(testing::kDeviceProgId),
                              QString::fromLatin1(testing::kHelperProgId)};
    if (app.arguments().contains(QStringLiteral("--register-only"))) {
        for (const QString& id : progIds) {
            QString error;
            if (!WriteServiceFile(id, app.applicationFilePath(), &error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 2;
            }
        }
        AskBusToReload(QDBusConnection::sessionBus(), /*wait=*/true);
        return 0;
    }

    testing::MinimalState state;
    state.startedByUser = !StartedByCom(app.arguments());
    ObjectServer server;
    state.clientCount = [&server] { return int(server.ClientCount()); };
    QString error;
    if (!server.Serve(testing::MakeMinimalDevice(state), &error) ||
        !server.Serve(testing::MakeMinimalHelper(state), &error) ||
        !server.RegisterActivation(app.applicationFilePath(), &error)) {
        std::fprintf(stderr, "korvex-com-testserver: %s\n", qPrintable(error));
        return 2;
    }
    QObject::connect(&server, &ObjectServer::ClientCountReachedZero, &app, [&state] {
        if (!state.startedByUser) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&state] { ++state.ticks; });
    ticker.start(20);
    return app.exec();
}
