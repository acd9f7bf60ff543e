#include "framework/app/Inicio.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QScreen>
#include <QWidget>

#include "framework/app/Signals.h"
#include "framework/com/ObjectServer.h"
#include "framework/com/StartMode.h"
#include "framework/core/LinkLibrary.h"
#include "framework/core/ProgramFolder.h"
#include "framework/core/VantaroUtils.h"
#include "framework/core/WebSites.h"
#include "framework/core/WindowsAPI.h"
#include "framework/ui/QtMessageBoxService.h"
#include "framework/ui/ScreenPlacement.h"

namespace korvex {

namespace {

constexpr auto kLinkLibraryFile = "libtkl.so";

void Trace(const LinkTable& link, const QString& text) {
    if (link.traza) link.traza(text.toUtf8().constData());
}

}  // namespace

Inicio::Inicio(const DriverConstants& constants, const StringTable& table, DriverHooks& hooks,
               Options options)
    : constants_(constants),
      hooks_(hooks),
      options_(std::move(options)),
      texts_(table, constants.initialLanguage),
      language_(&texts_, kLanguageEnglish),
      profile_(options_.profileStore) {
    if (options_.boxes) {
        boxes_ = options_.boxes;
    } else {
        ownBoxes_ = std::make_unique<ui::QtMessageBoxService>();
        boxes_ = ownBoxes_.get();
    }
    if (options_.launcher) {
        launcher_ = options_.launcher;
    } else {
        ownLauncher_ = std::make_unique<DetachedProcessLauncher>();
        launcher_ = ownLauncher_.get();
    }
    owc_ = std::make_unique<OWCSub>(link_, state_, constants_.port, constants_.kind, *boxes_,
                                    *launcher_);
    owc_->SetOnConnect([this] { hooks_.ConfigureController(); });
    ctx_.reset(new DriverContext{constants_, state_, texts_, language_, *boxes_, link_, *owc_,
                                 spy_, *launcher_});
}

Inicio::~Inicio() {
    if (handBox_) handBox_->removeEventFilter(this);
    if (linkLoaded_ && !shutDown_) FreeLinkLibrary(link_);
}

QString Inicio::Text(int32_t id, const QString& english) const {
    return texts_.GetText(id, english);
}

Inicio::Outcome Inicio::Main() {
    const StartupTextIds& ids = options_.textIds;
    const QStringList args = options_.arguments ? *options_.arguments : qApp->arguments();

    // SIGTERM/SIGINT from here on: the orderly shutdown once running, a plain exit before.
    InstallTerminationHandler(this, [this] {
        if (running_) {
            UnloadHandBox(false);
        } else {
            QCoreApplication::exit(1);
        }
    });

    // 1. Texts, flags.
    texts_.InitTexts();
    state_.ClosingDown = false;
    state_.LastShownPosition = -999;

    // 2. The program folder is the current directory (scripts and markers are relative to it).
    state_.ProgramFolder = ProgramFolder();
    QDir::setCurrent(state_.ProgramFolder);

    // 3-5. Instance flavour, version, how the program was started.
    state_.ApplyInstanceFlavour(state_.ProgramFolder);
    state_.VersionText = ProgramVersionText();
    state_.StartedByUser = !com::StartedByCom(args);

    // 6. The link library.
    if (options_.link) {
        link_ = *options_.link;
    } else if (auto loaded = LoadLibraryFromAppFolder(kLinkLibraryFile)) {
        link_ = *loaded;
        linkLoaded_ = true;
    }
    if (!link_.Complete()) {
        Errores errores(constants_.reportError, state_, *boxes_);
        try {
            errores.ReportError(err::ComponentMissing, QStringLiteral("Component or DLL missing"),
                                QStringLiteral("Failed to load TKL.DLL"));
        } catch (const KorvexError& e) {
            startupError_ = e;
        }
        return Outcome::LinkLibraryMissing;
    }

    // 7. The port slot.
    if (!owc_->AttachToLink()) {
        Trace(link_, constants_.refusalTrace);
        return Outcome::AttachRefused;
    }

    // 8. The ASCOM profile (failure A).
    if (constants_.RegistersWithAscom() &&
        !profile_.SetDeviceType(constants_.registrations.front().deviceType)) {
        boxes_->Show({Text(ids.ascomMissing, constants_.ascomMissingText) + "\n" +
                          Text(ids.ascomDownload,
                               "Please download it from the ASCOM web site and relaunch Korvex"),
                      Text(ids.attentionTitle, "Attention!"), MsgIcon::Critical, MsgButtons::OK});
        const QUrl site(QString::fromLatin1(kAscomWebSite));
        if (options_.openUrl) {
            options_.openUrl(site);
        } else {
            QDesktopServices::openUrl(site);  // errors ignored
        }
        owc_->DetachFromLink();
        return Outcome::PlatformMissing;
    }

    // 9. Hand box (loaded, hidden), device settings.
    handBox_ = &hooks_.LoadHandBox(*ctx_);
    handBox_->installEventFilter(this);
    if (auto* qtBoxes = dynamic_cast<ui::QtMessageBoxService*>(boxes_)) {
        qtBoxes->SetParent(handBox_);
    }
    hooks_.LoadSettings();
    state_.ClientCount = 0;

    // 10. Registration (failure B).
    if (constants_.RegistersWithAscom() && !Register()) {
        boxes_->Show({Text(ids.adminLine1, "Sorry you have to be an administrator (and run") +
                          "\n" +
                          Text(ids.adminLine2, "this program with admin rights, if using Vista)") +
                          "\n" + Text(ids.adminLine3, "Please relaunch it with admin rights"),
                      Text(ids.attentionTitle, "Attention!"), MsgIcon::Critical, MsgButtons::OK});
        owc_->DetachFromLink();
        return Outcome::RegistrationRefused;
    }

    // 11. Registration version.
    if (constants_.RegistersWithAscom() && ctx_->Read({}, "RegVer", {}) != state_.VersionText) {
        ctx_->Save({}, "RegVer", state_.VersionText);
    }

    // 12. Open the link; configures the device at once when the controller is up.
    owc_->OpenLink();

    // 13-14. Configuration dialog, always-on-top choice.
    hooks_.LoadSetupDialog();
    if (constants_.readsAlwaysOnTop) {
        state_.AlwaysOnTop = StrToBool(ctx_->Read({}, "AlwaysOnTop", {}), false);
    }

    // 15. Window placement, kept on screen.
    handBox_->move(StrToLong(ctx_->Read({}, "Left", {}), ui::kDefaultWindowPixels),
                   StrToLong(ctx_->Read({}, "Top", {}), ui::kDefaultWindowPixels));
    ui::AdjustScreenPosition(*handBox_);

    // 16. Display.
    hooks_.RefreshDisplay();
    hooks_.CreateExtraWindows();

    // 17-18. First window state, show.
    const bool minimized =
        FirstWindowMinimized(constants_.firstWindow, state_.StartedByUser, StartedMinimized() != 0);
    if (minimized) {
        handBox_->showMinimized();
    } else {
        handBox_->show();
    }

    // 19. The hand box timer.
    QTimer& timer = hooks_.HandBoxTimer();
    timer.setInterval(TimerInterval(constants_));
    timer.start();

    if (options_.serveBus) ServeBus();
    running_ = true;
    hooks_.AfterStart();
    return Outcome::Running;
}

bool Inicio::Register() {
    for (qsizetype i = 0; i < constants_.registrations.size(); ++i) {
        const AscomRegistration& reg = constants_.registrations[i];
        // The first device type was set in step 8; each further one is set again here.
        if (i > 0 && !profile_.SetDeviceType(reg.deviceType)) return false;
        if (!profile_.Register(reg.progId, constants_.registrationDescription)) return false;
    }
    return true;
}

void Inicio::ServeBus() {
    server_ = std::make_unique<com::ObjectServer>(options_.busAddress);
    connect(server_.get(), &com::ObjectServer::ClientCountChanged, this,
            &Inicio::OnClientCountChanged);
    QString error;
    for (const auto& cls : hooks_.DeviceClasses()) {
        if (!server_->Serve(cls, &error)) Trace(link_, "Bus: " + error);
    }
    if (!server_->RegisterActivation(QCoreApplication::applicationFilePath(), &error)) {
        Trace(link_, "Bus: " + error);
    }
}

void Inicio::OnClientCountChanged(int count) {
    state_.ClientCount = static_cast<int16_t>(count);
    // The last client of a program started by the bus closes it, without a question.
    if (count == 0 && !state_.StartedByUser && !state_.ClosingDown) {
        QTimer::singleShot(0, this, [this] { UnloadHandBox(false); });
    }
}

bool Inicio::UnloadHandBox(bool ask) {
    if (state_.ClosingDown) return true;
    hooks_.HaltIfMoving();
    if (ask && state_.ClientCount > 0) {
        const StartupTextIds& ids = options_.textIds;
        const QString text = Text(ids.stillThere, "There are still ") +
                             QString::number(state_.ClientCount) +
                             Text(ids.connectionsActive, " connections active, closing now") + "\n" +
                             Text(ids.unpredictable,
                                  "can result in unpredictable behaviour, please confirm!");
        const MsgResult answer = boxes_->Show(
            {text, Text(ids.closeTitle, "Attention"), MsgIcon::Warning, MsgButtons::OKCancel});
        if (answer != MsgResult::OK) return false;
    }
    state_.ClosingDown = true;
    try {
        hooks_.UnloadWindows();
    } catch (...) {
    }
    try {
        ShutDown();
    } catch (...) {
    }
    if (handBox_) {
        handBox_->removeEventFilter(this);
        handBox_->hide();
    }
    emit Ended();
    return true;
}

void Inicio::ShutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    if (handBox_) hooks_.HandBoxTimer().stop();
    owc_->CloseLink();
    owc_->DetachFromLink();
    hooks_.SaveOnShutdown();
    if (handBox_) {
        ctx_->Save({}, "Left", QString::number(handBox_->x()));
        ctx_->Save({}, "Top", QString::number(handBox_->y()));
    }
    server_.reset();  // leaves the bus: no call reaches a device that is gone
    if (linkLoaded_) {
        FreeLinkLibrary(link_);
        linkLoaded_ = false;
    }
}

bool Inicio::eventFilter(QObject* watched, QEvent* event) {
    // The close request is handled here in full; the window's own close handler never runs.
    if (watched == handBox_ && event->type() == QEvent::Close) {
        event->ignore();
        UnloadHandBox(true);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvex
