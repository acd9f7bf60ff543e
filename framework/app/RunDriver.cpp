#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "framework/app/Inicio.h"
#include "framework/com/ObjectServer.h"

namespace korvex {

namespace {

// A program started by the bus whose start-up raised an error: the client that caused the start
// is waiting for an object. Serve the ProgIDs just long enough to answer its CreateObject with
// the error, so that it sees number, source and description instead of a failed start.
void AnswerWithStartupError(const DriverConstants& constants, const KorvexError& error) {
    com::ObjectServer server;
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    for (const QString& progId : constants.progIds) {
        auto cls = std::make_shared<com::DeviceClass>();
        cls->progId = progId;
        cls->create = [&loop, error]() -> std::unique_ptr<com::DeviceObject> {
            QTimer::singleShot(200, &loop, &QEventLoop::quit);  // let the error reply go out
            throw error;
        };
        server.Serve(cls);
    }
    loop.exec();
}

}  // namespace

int RunDriver(const DriverConstants& constants, const StringTable& table, DriverHooks& hooks) {
    Inicio inicio(constants, table, hooks);
    // The hand box being hidden (configuration dialog open) must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&inicio, &Inicio::Ended, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    const Inicio::Outcome outcome = inicio.Main();
    if (outcome == Inicio::Outcome::Running) return QApplication::exec();
    if (inicio.StartupError()) AnswerWithStartupError(constants, *inicio.StartupError());
    return 1;
}

}  // namespace korvex
