// Start-up (Main), the hand box's unload handler and ShutDown, shared by every driver program.
//
// Main runs the start-up steps in their order and either leaves the program Running (hand box
// shown, timer enabled, device classes served on the bus) or ends in one of the failure ends,
// in which no hand box is shown. The program then lives in the Qt event loop until the hand box
// is unloaded: by the user (with the confirmation while clients are connected), by the last
// client leaving a program started by the bus, or by SIGTERM/SIGINT (without a question).
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

#include "framework/app/DriverContext.h"
#include "framework/app/DriverHooks.h"
#include "framework/app/StartupTexts.h"
#include "framework/core/AscomProfile.h"
#include "framework/core/Errores.h"

namespace korvex {

namespace com {
class ObjectServer;
}

// Seams for tests; every unset field takes the real service.
struct InicioOptions {
    std::optional<QStringList> arguments;  // default: the process's arguments
    MessageBoxService* boxes = nullptr;    // default: Qt message boxes
    ProcessLauncher* launcher = nullptr;   // default: detached processes
    std::shared_ptr<ProfileStore> profileStore;
    std::optional<LinkTable> link;  // a bound table instead of loading libtkl.so
    QString busAddress;             // default: the session bus
    bool serveBus = true;
    std::function<void(const QUrl&)> openUrl;  // default: the desktop's browser
    StartupTextIds textIds;
};


class Inicio : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Running,
        LinkLibraryMissing,   // step 6
        AttachRefused,        // step 7
        PlatformMissing,      // step 8, failure A
        RegistrationRefused,  // step 10, failure B
    };

    using Options = InicioOptions;

    Inicio(const DriverConstants& constants, const StringTable& table, DriverHooks& hooks,
           Options options = {});
    ~Inicio() override;

    // Runs the start-up sequence. A failure raised to the bus (link library missing while
    // started by the bus) is kept in StartupError().
    Outcome Main();

    // The unload handler: halt, the confirmation when `ask` and clients are connected, then
    // ClosingDown, the driver's windows and ShutDown. False when the user cancelled.
    bool UnloadHandBox(bool ask = true);

    // Stops the timer, closes and leaves the link, saves the position, the settings and the
    // window placement, and frees the link library. Runs once.
    void ShutDown();

    DriverContext& Context() { return *ctx_; }
    InicioState& State() { return state_; }
    com::ObjectServer* Server() { return server_.get(); }
    const std::optional<KorvexError>& StartupError() const { return startupError_; }
    bool IsShutDown() const { return shutDown_; }

signals:
    // ShutDown has run: the program may leave its event loop.
    void Ended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString Text(int32_t id, const QString& english) const;
    bool Register();
    void ServeBus();
    void OnClientCountChanged(int count);

    const DriverConstants& constants_;
    DriverHooks& hooks_;
    Options options_;

    InicioState state_;
    MlStringModule texts_;
    LanguageService language_;
    std::unique_ptr<MessageBoxService> ownBoxes_;
    std::unique_ptr<ProcessLauncher> ownLauncher_;
    MessageBoxService* boxes_;
    ProcessLauncher* launcher_;
    LinkTable link_;
    bool linkLoaded_ = false;
    CallSpyHolder spy_;
    std::unique_ptr<OWCSub> owc_;
    std::unique_ptr<DriverContext> ctx_;
    AscomProfile profile_;
    std::unique_ptr<com::ObjectServer> server_;
    QPointer<QWidget> handBox_;
    std::optional<KorvexError> startupError_;
    bool running_ = false;  // Main reached the end of start-up
    bool shutDown_ = false;
};

// The whole life of a driver program inside an existing QApplication: Main, then the event
// loop while Running. Returns the process exit status: 0 after a normal shutdown, 1 after a
// failure end. A program started by the bus whose start-up raised an error answers the
// client's CreateObject with that error before it exits.
int RunDriver(const DriverConstants& constants, const StringTable& table, DriverHooks& hooks);

}  // namespace korvex
