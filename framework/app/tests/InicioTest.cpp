// Start-up, the unload handler and shutdown of the minimal driver, in this process: the link
// table bound to the simulated controller, message boxes answered from a queue, a profile store
// that can refuse, and device objects served on the test's private session bus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include "framework/app/Inicio.h"
#include "framework/app/tests/AppTestSupport.h"
#include "framework/app/tests/MinimalDriver.h"
#include "framework/com/ObjectServer.h"
#include "framework/core/ProgramFolder.h"
#include "framework/core/VantaroUtils.h"
#include "framework/core/WebSites.h"
#include "korvex/paths.h"
#include "korvex/sim/link.h"
#include "korvex/store.h"

namespace korvex::apptest {
namespace {

const QString kProgId = QString::fromLatin1(kMinimalProgId);
const QStringList kByUser{QStringLiteral("korvex-minimal-driver")};
const QStringList kByBus{QStringLiteral("korvex-minimal-driver"), QStringLiteral("-Embedding")};

std::string DriverKey(const char* subkey = "") {
    return SettingsPath(QStringLiteral("Korvex"), kProgId, QString::fromLatin1(subkey))
        .toStdString();
}

std::optional<std::string> Stored(const std::string& name, const char* subkey = "") {
    return store::Get(DriverKey(subkey), name);
}

QString TraceLog() {
    QFile log(QString::fromStdString(paths::LogFile()));
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(log.readAll());
}

class InicioTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid() && programFolder.isValid() && dataHome.isValid());
        qputenv("KORVEX_HOME", home.path().toUtf8());
        // Activation files of the served classes go here, never to the real home.
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        qunsetenv("KORVEX_START_MINIMIZED");
        SetProgramFolderOverride(programFolder.path());
        sim::BindInProcess(link, controller);
        linklog::Wrap(link);
        profile = std::make_shared<TestProfileStore>();
        constants = MinimalConstants();
    }

    void TearDown() override {
        inicio.reset();
        sim::UnbindInProcess();
        SetProgramFolderOverride({});
        qunsetenv("KORVEX_START_MINIMIZED");
        store::Close();
        qunsetenv("KORVEX_HOME");
    }

    // An Inicio over the in-process controller; `withLink` false loads libtkl.so from the
    // (empty) program folder instead.
    Inicio& Make(const QStringList& args, bool serveBus = false, bool withLink = true) {
        Inicio::Options options;
        options.arguments = args;
        options.boxes = &boxes;
        options.launcher = &launcher;
        options.profileStore = profile;
        if (withLink) options.link = link;
        options.serveBus = serveBus;
        options.openUrl = [this](const QUrl& url) { opened << url; };
        inicio = std::make_unique<Inicio>(constants, MinimalTexts(), driver, options);
        return *inicio;
    }

    Inicio& StartRunning(const QStringList& args = kByUser, bool serveBus = false) {
        Inicio& started = Make(args, serveBus);
        EXPECT_EQ(started.Main(), Inicio::Outcome::Running);
        return started;
    }

    QTemporaryDir home;
    QTemporaryDir programFolder;
    QTemporaryDir dataHome;
    sim::Controller controller;
    LinkTable link;
    ScriptedMessageBoxes boxes;
    RecordingProcessLauncher launcher;
    std::shared_ptr<TestProfileStore> profile;
    QList<QUrl> opened;
    DriverConstants constants;
    MinimalDriver driver;  // declared before inicio: start-up holds a reference to it
    std::unique_ptr<Inicio> inicio;
};

TEST_F(InicioTest, RunningStartCallsTheHooksInStepOrderAndPushesStoredStateOnConnect) {
    ASSERT_TRUE(store::Set(DriverKey(kMinimalSubkey), "Position", "1234"));
    Inicio& started = StartRunning();

    EXPECT_EQ(driver.journal,
              QStringList({"LoadHandBox", "LoadSettings", "ConfigureController", "LoadSetupDialog",
                           "RefreshDisplay", "CreateExtraWindows", "AfterStart"}));
    // Settings are loaded before the link opens, so the stored count reaches the controller.
    EXPECT_EQ(controller.Stepper(port::Exp).position, 1234);
    const sim::InProcessLink slot = sim::InProcessState();
    EXPECT_TRUE(slot.attached);
    EXPECT_TRUE(slot.open);
    EXPECT_EQ(slot.port, port::Exp);
    EXPECT_EQ(slot.kind, kind::Rotator);
    EXPECT_EQ(slot.name, "KorvexMutex");

    EXPECT_TRUE(started.State().StartedByUser);
    EXPECT_FALSE(started.State().ClosingDown);
    EXPECT_EQ(started.State().VersionText, ProgramVersionText());
    EXPECT_EQ(QDir::currentPath(), QDir(programFolder.path()).canonicalPath());
    EXPECT_TRUE(driver.HandBox()->Timer().isActive());
    EXPECT_EQ(driver.HandBox()->Timer().interval(), 250);
    ASSERT_NE(driver.HandBox(), nullptr);
    EXPECT_TRUE(driver.HandBox()->isVisible());
    EXPECT_EQ(driver.HandBox()->ShowCount(), 1);
    const auto registration = profile->Read(
        QStringLiteral("Software\\ASCOM\\Rotator Drivers\\KorvexTest.Minimal"), QString());
    EXPECT_EQ(registration, QStringLiteral("Korvex Minimal Test (EXP port)"));
    EXPECT_TRUE(boxes.Asked().isEmpty());
    EXPECT_TRUE(launcher.launches.isEmpty());
    EXPECT_FALSE(started.StartupError().has_value());
}

struct MissingLibraryCase {
    const char* name;
    QStringList args;
    ReportErrorStyle style;
    bool garbageFile;     // a libtkl.so that is not a library
    const char* boxText;  // nullptr: no box
    bool raised;
};

class MissingLibraryTest : public InicioTest,
                           public ::testing::WithParamInterface<MissingLibraryCase> {};

TEST_P(MissingLibraryTest, EndsBeforeAnyWindowWithTheReportOfTheStartMode) {
    const MissingLibraryCase& c = GetParam();
    constants.reportError = c.style;
    if (c.garbageFile) {
        QFile file(programFolder.path() + QStringLiteral("/libtkl.so"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a library\n");
    }
    Inicio& started = Make(c.args, false, /*withLink=*/false);
    EXPECT_EQ(started.Main(), Inicio::Outcome::LinkLibraryMissing);

    if (c.boxText) {
        ASSERT_EQ(boxes.Asked().size(), 1);
        EXPECT_EQ(boxes.Asked()[0].text, QString::fromUtf8(c.boxText));
        EXPECT_EQ(boxes.Asked()[0].title, QStringLiteral("Problem"));
        EXPECT_EQ(boxes.Asked()[0].icon, MsgIcon::Critical);
    } else {
        EXPECT_TRUE(boxes.Asked().isEmpty());
    }
    if (c.raised) {
        ASSERT_TRUE(started.StartupError().has_value());
        EXPECT_EQ(started.StartupError()->Number(), 0x80040405u);
        EXPECT_EQ(started.StartupError()->Source(), c.style.source);
        EXPECT_EQ(started.StartupError()->Description(),
                  QStringLiteral("Component or DLL missing\nFailed to load TKL.DLL"));
    } else {
        EXPECT_FALSE(started.StartupError().has_value());
    }
    EXPECT_TRUE(driver.journal.isEmpty());  // no hand box loaded
    EXPECT_TRUE(launcher.launches.isEmpty());
    EXPECT_EQ(sim::InProcessState().arrivals, 0);
}

const ReportErrorStyle kPromptOnly{ReportBody::PromptOnly, true, "Korvex Rotator"};
const ReportErrorStyle kTextLinePrompt{ReportBody::TextLinePrompt, true, "Korvex Filter Wheel"};
const ReportErrorStyle kNeverRaises{ReportBody::TextLinePrompt, false, "Korvex PinByPin"};

INSTANTIATE_TEST_SUITE_P(
    Forms, MissingLibraryTest,
    ::testing::Values(
        MissingLibraryCase{"UserPromptOnly", kByUser, kPromptOnly, false, "Failed to load TKL.DLL",
                           false},
        MissingLibraryCase{"UserTextAndPrompt", kByUser, kTextLinePrompt, false,
                           "Component or DLL missing\nFailed to load TKL.DLL", false},
        MissingLibraryCase{"UserGarbageLibraryFile", kByUser, kPromptOnly, true,
                           "Failed to load TKL.DLL", false},
        MissingLibraryCase{"BusRaises", kByBus, kPromptOnly, false, nullptr, true},
        MissingLibraryCase{"BusRaisesTextAndPrompt", kByBus, kTextLinePrompt, true, nullptr, true},
        MissingLibraryCase{"BusStyleThatNeverRaises", kByBus, kNeverRaises, false,
                           "Component or DLL missing\nFailed to load TKL.DLL", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InicioTest, RefusedSlotIsTracedAndEndsWithoutWindowOrBox) {
    controller.InjectFailure(sim::Op::TKLSubArrives);
    Inicio& started = Make(kByUser);
    EXPECT_EQ(started.Main(), Inicio::Outcome::AttachRefused);

    EXPECT_TRUE(TraceLog().contains(QStringLiteral("Minimal slot not empty!")));
    EXPECT_TRUE(boxes.Asked().isEmpty());
    EXPECT_TRUE(driver.journal.isEmpty());
    EXPECT_FALSE(sim::InProcessState().attached);
    EXPECT_FALSE(linklog::Calls().contains(QStringLiteral("TKLSubOpen")));
}

TEST_F(InicioTest, AbsentHubIsStartedFromTheProgramFolderAndNotWaitedFor) {
    controller.InjectFailure(sim::Op::TKLMainIsPresent);
    StartRunning();
    ASSERT_EQ(launcher.launches.size(), 1);
    EXPECT_EQ(launcher.launches[0].program, programFolder.path() + QStringLiteral("/korvex-hub"));
    EXPECT_TRUE(sim::InProcessState().attached);
}

TEST_F(InicioTest, HubThatCannotBeStartedIsReportedThenTheRefusalTraced) {
    controller.InjectFailure(sim::Op::TKLMainIsPresent);
    launcher.refuse = true;
    Inicio& started = Make(kByUser);
    EXPECT_EQ(started.Main(), Inicio::Outcome::AttachRefused);

    ASSERT_EQ(boxes.Asked().size(), 1);
    EXPECT_EQ(boxes.Asked()[0].text, QStringLiteral("Cannot find Korvex main program"));
    EXPECT_EQ(boxes.Asked()[0].title, QStringLiteral("Warning"));
    EXPECT_EQ(boxes.Asked()[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(TraceLog().contains(QStringLiteral("Minimal slot not empty!")));
    EXPECT_TRUE(driver.journal.isEmpty());
}

struct LanguageCase {
    int32_t language;
    const char* body;
    const char* title;
};

class PlatformMissingTest : public InicioTest,
                            public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(PlatformMissingTest, ShowsTheTextsByIdOpensTheSiteAndLeavesTheLink) {
    constants.initialLanguage = GetParam().language;
    profile->canOpen = false;
    Inicio& started = Make(kByUser);
    EXPECT_EQ(started.Main(), Inicio::Outcome::PlatformMissing);

    ASSERT_EQ(boxes.Asked().size(), 1);
    EXPECT_EQ(boxes.Asked()[0].text, QString::fromUtf8(GetParam().body));
    EXPECT_EQ(boxes.Asked()[0].title, QString::fromUtf8(GetParam().title));
    EXPECT_EQ(boxes.Asked()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(boxes.Asked()[0].buttons, MsgButtons::OK);
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QString::fromLatin1(kAscomWebSite))});
    // Attached in step 7, so the failure leaves the slot; the link was never opened.
    EXPECT_EQ(sim::InProcessState().arrivals, 1);
    EXPECT_FALSE(sim::InProcessState().attached);
    EXPECT_EQ(linklog::Calls(), QStringList{QStringLiteral("TKLSubExits")});
    EXPECT_TRUE(driver.journal.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Languages, PlatformMissingTest,
    ::testing::Values(
        LanguageCase{kLanguageEnglish,
                     "You need to install the ASCOM platform for this software to run\n"
                     "Please download it from the ASCOM web site and relaunch Korvex",
                     "Attention!"},
        LanguageCase{kLanguageSpanish,
                     "Necesita instalar la plataforma ASCOM para que este programa funcione\n"
                     "Descárguela del sitio web de ASCOM y vuelva a iniciar Korvex",
                     "¡Atención!"}));

TEST_F(InicioTest, RefusedRegistrationLeavesTheLoadedHandBoxNeverShown) {
    profile->writable = false;
    Inicio& started = Make(kByUser);
    EXPECT_EQ(started.Main(), Inicio::Outcome::RegistrationRefused);

    ASSERT_EQ(boxes.Asked().size(), 1);
    EXPECT_EQ(boxes.Asked()[0].text,
              QStringLiteral("Sorry you have to be an administrator (and run\n"
                             "this program with admin rights, if using Vista)\n"
                             "Please relaunch it with admin rights"));
    EXPECT_EQ(boxes.Asked()[0].title, QStringLiteral("Attention!"));
    EXPECT_EQ(boxes.Asked()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(driver.journal, QStringList({"LoadHandBox", "LoadSettings"}));
    ASSERT_NE(driver.HandBox(), nullptr);
    DrainEvents();
    EXPECT_EQ(driver.HandBox()->ShowCount(), 0);
    EXPECT_FALSE(driver.HandBox()->isVisible());
    EXPECT_FALSE(driver.HandBox()->Timer().isActive());
    EXPECT_FALSE(sim::InProcessState().attached);
    EXPECT_EQ(linklog::Calls(), QStringList{QStringLiteral("TKLSubExits")});
    EXPECT_FALSE(Stored("RegVer").has_value());
}

struct FlavourCase {
    const char* marker;  // "" for none
    const char* mutex;
    const char* prefix;
};

class InstanceFlavourTest : public InicioTest, public ::testing::WithParamInterface<FlavourCase> {};

TEST_P(InstanceFlavourTest, MarkerFileChoosesTheHubInstanceAndCaptionPrefix) {
    const FlavourCase& c = GetParam();
    if (*c.marker) {
        QFile marker(programFolder.path() + QLatin1Char('/') + QLatin1String(c.marker));
        ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    }
    Inicio& started = StartRunning();
    EXPECT_EQ(started.State().MutexName, QLatin1String(c.mutex));
    EXPECT_EQ(started.State().InstancePrefix, QLatin1String(c.prefix));
    EXPECT_EQ(sim::InProcessState().name, c.mutex);
    EXPECT_EQ(driver.HandBox()->windowTitle(),
              QLatin1String(c.prefix) + QStringLiteral("EXP Korvex Minimal Test"));
}

INSTANTIATE_TEST_SUITE_P(Markers, InstanceFlavourTest,
                         ::testing::Values(FlavourCase{"Second.txt", "Korvex2ndMutex", "2 "},
                                           FlavourCase{"second", "Korvex2ndMutex", "2 "},
                                           FlavourCase{"", "KorvexMutex", ""}));

struct RegVerCase {
    const char* stored;  // nullptr: missing
    bool written;
};

class RegVerTest : public InicioTest, public ::testing::WithParamInterface<RegVerCase> {};

TEST_P(RegVerTest, WrittenOnlyWhenItDiffersFromTheRunningVersion) {
    const QString version = ProgramVersionText();
    if (GetParam().stored) {
        ASSERT_TRUE(store::Set(DriverKey(), "RegVer", GetParam().stored));
    }
    StartRunning();
    EXPECT_EQ(linklog::Calls().contains(QStringLiteral("Save RegVer=") + version),
              GetParam().written);
    EXPECT_EQ(Stored("RegVer"), version.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Versions, RegVerTest,
                         ::testing::Values(RegVerCase{nullptr, true}, RegVerCase{"4.6.0", true},
                                           RegVerCase{"", true}, RegVerCase{"4.7.0", false}));

TEST_F(InicioTest, StoredPlacementIsKeptOnScreen) {
    const QSize screen = QApplication::primaryScreen()->geometry().size();
    const int right = screen.width() - 100;
    const int bottom = screen.height() - 100;
    struct Case {
        std::optional<QString> left, top;
        QPoint expected;
    };
    const Case cases[] = {
        {QStringLiteral("-50"), QStringLiteral("40"), {100, 40}},
        {QString::number(right + 1), QStringLiteral("-1"), {100, 100}},
        {QString::number(right), QString::number(bottom), {right, bottom}},
        {QStringLiteral("0"), QString::number(bottom + 1), {0, 100}},
        {std::nullopt, std::nullopt, {100, 100}},
        {QStringLiteral("abc"), QStringLiteral("  "), {100, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left.value_or("missing").toStdString() + ", " +
                     c.top.value_or("missing").toStdString());
        store::Delete(DriverKey(), "Left");
        store::Delete(DriverKey(), "Top");
        if (c.left) store::Set(DriverKey(), "Left", c.left->toStdString());
        if (c.top) store::Set(DriverKey(), "Top", c.top->toStdString());
        inicio.reset();
        StartRunning();
        EXPECT_EQ(driver.HandBox()->pos(), c.expected);
    }
}

struct WindowCase {
    const char* name;
    FirstWindowRule rule;
    bool byBus;
    bool askedMinimized;  // KORVEX_START_MINIMIZED=1
    bool minimized;
};

class FirstWindowTest : public InicioTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(FirstWindowTest, HandBoxIsShownInTheStateTheRuleGives) {
    const WindowCase& c = GetParam();
    constants.firstWindow = c.rule;
    if (c.askedMinimized) qputenv("KORVEX_START_MINIMIZED", "1");
    Inicio& started = StartRunning(c.byBus ? kByBus : kByUser);
    EXPECT_EQ(started.State().StartedByUser, !c.byBus);
    EXPECT_TRUE(driver.HandBox()->isVisible());
    EXPECT_EQ(driver.HandBox()->isMinimized(), c.minimized);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FirstWindowTest,
    ::testing::Values(WindowCase{"AByBus", FirstWindowRule::A, true, false, true},
                      WindowCase{"AByUserAskedMinimized", FirstWindowRule::A, false, true, true},
                      WindowCase{"AByUser", FirstWindowRule::A, false, false, false},
                      WindowCase{"BByBus", FirstWindowRule::B, true, false, false},
                      WindowCase{"BByBusAskedMinimized", FirstWindowRule::B, true, true, true},
                      WindowCase{"NormalAskedMinimized", FirstWindowRule::Normal, false, true,
                                 false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InicioTest, ClosingWithTwoClientsAsksAndCancelKeepsEverythingRunning) {
    Inicio& started = StartRunning(kByUser, /*serveBus=*/true);
    TestBusClient a(QStringLiteral("client-a"));
    TestBusClient b(QStringLiteral("client-b"));
    const auto pathA = a.Create(kProgId);
    const auto pathB = b.Create(kProgId);
    ASSERT_TRUE(pathA && pathB);
    ASSERT_EQ(started.State().ClientCount, 2);

    boxes.Enqueue(MsgResult::Cancel);
    driver.HandBox()->close();
    ASSERT_EQ(boxes.Asked().size(), 1);
    const MessageRequest& asked = boxes.Asked()[0];
    EXPECT_EQ(asked.text.split('\n'),
              QStringList({"There are still 2 connections active, closing now",
                           "can result in unpredictable behaviour, please confirm!"}));
    EXPECT_EQ(asked.title, QStringLiteral("Attention"));
    EXPECT_EQ(asked.buttons, MsgButtons::OKCancel);
    EXPECT_EQ(asked.icon, MsgIcon::Warning);
    // A moving device is halted before the question, whatever the answer.
    EXPECT_TRUE(driver.journal.contains(QStringLiteral("HaltIfMoving")));

    EXPECT_TRUE(driver.HandBox()->isVisible());
    EXPECT_TRUE(driver.HandBox()->Timer().isActive());
    EXPECT_FALSE(started.State().ClosingDown);
    EXPECT_FALSE(started.IsShutDown());
    EXPECT_TRUE(sim::InProcessState().open);
    EXPECT_FALSE(driver.journal.contains(QStringLiteral("UnloadWindows")));
    const BusReply ping = a.Invoke(kProgId, *pathA, "call", "Ping");
    EXPECT_TRUE(ping.ok) << ping.Error().toStdString();
    EXPECT_EQ(ping.value.toString(), QStringLiteral("Pong"));
}

TEST_F(InicioTest, ConfirmedCloseShutsDownInOrderAndLeavesTheBus) {
    Inicio& started = StartRunning(kByUser, /*serveBus=*/true);
    QSignalSpy ended(&started, &Inicio::Ended);
    TestBusClient a(QStringLiteral("client-a"));
    TestBusClient b(QStringLiteral("client-b"));
    ASSERT_TRUE(a.Create(kProgId) && b.Create(kProgId));
    driver.HandBox()->move(321, 234);
    bool timerActiveAtSave = true;
    driver.onSaveOnShutdown = [&] {
        timerActiveAtSave = driver.HandBox()->Timer().isActive();
        linklog::Note(QStringLiteral("SaveOnShutdown"));
    };
    linklog::Calls().clear();

    boxes.Enqueue(MsgResult::OK);
    driver.HandBox()->close();

    EXPECT_EQ(boxes.Asked().size(), 1);
    EXPECT_FALSE(timerActiveAtSave);
    EXPECT_EQ(linklog::Calls(), QStringList({"TKLSubClose", "TKLSubExits", "SaveOnShutdown",
                                             "Save Position=0", "Save Left=321", "Save Top=234"}));
    EXPECT_EQ(Stored("Left"), "321");
    EXPECT_EQ(Stored("Top"), "234");
    EXPECT_EQ(driver.journal.mid(driver.journal.indexOf("HaltIfMoving")),
              QStringList({"HaltIfMoving", "UnloadWindows", "SaveOnShutdown"}));
    EXPECT_TRUE(started.State().ClosingDown);
    EXPECT_TRUE(started.IsShutDown());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(driver.HandBox()->isVisible());
    EXPECT_FALSE(a.NameHasOwner(kProgId));

    // Unloading again does nothing more.
    EXPECT_TRUE(started.UnloadHandBox(false));
    EXPECT_EQ(driver.journal.count(QStringLiteral("SaveOnShutdown")), 1);
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(InicioTest, ClosingAsksOnlyWhileAClientIsConnected) {
    Inicio& started = StartRunning(kByUser, /*serveBus=*/true);
    TestBusClient a(QStringLiteral("client-a"));
    const auto path = a.Create(kProgId);
    ASSERT_TRUE(path);

    boxes.Enqueue(MsgResult::Cancel);
    driver.HandBox()->close();
    ASSERT_EQ(boxes.Asked().size(), 1);
    EXPECT_TRUE(boxes.Asked()[0].text.startsWith(
        QStringLiteral("There are still 1 connections active, closing now\n")));
    EXPECT_FALSE(started.IsShutDown());

    ASSERT_TRUE(a.Release(kProgId, *path).ok);
    ASSERT_EQ(started.State().ClientCount, 0);
    driver.HandBox()->close();
    EXPECT_EQ(boxes.Asked().size(), 1);
    EXPECT_TRUE(started.IsShutDown());
    EXPECT_EQ(Stored("Left"), "100");
    EXPECT_EQ(Stored("Top"), "100");
}

enum class Leaving { Release, LeaveBus };

class LastClientTest : public InicioTest, public ::testing::WithParamInterface<Leaving> {
  protected:
    void Leave(TestBusClient& client, const QString& path) {
        if (GetParam() == Leaving::Release) {
            ASSERT_TRUE(client.Release(kProgId, path).ok);
        } else {
            client.Disconnect();
        }
    }
};

TEST_P(LastClientTest, EndsAProgramStartedByTheBusWithoutAQuestion) {
    Inicio& started = StartRunning(kByBus, /*serveBus=*/true);
    QSignalSpy ended(&started, &Inicio::Ended);
    TestBusClient a(QStringLiteral("client-a"));
    TestBusClient b(QStringLiteral("client-b"));
    const auto pathA = a.Create(kProgId);
    const auto pathB = b.Create(kProgId);
    ASSERT_TRUE(pathA && pathB);

    Leave(a, *pathA);
    ASSERT_TRUE(WaitFor([&] { return started.State().ClientCount == 1; }));
    DrainEvents();
    EXPECT_EQ(ended.count(), 0);

    Leave(b, *pathB);
    EXPECT_TRUE(WaitFor([&] { return ended.count() == 1; }));
    EXPECT_TRUE(started.IsShutDown());
    EXPECT_TRUE(boxes.Asked().isEmpty());
    EXPECT_EQ(Stored("Left"), "100");
}

TEST_P(LastClientTest, LeavesAProgramStartedByTheUserOpen) {
    Inicio& started = StartRunning(kByUser, /*serveBus=*/true);
    QSignalSpy ended(&started, &Inicio::Ended);
    TestBusClient a(QStringLiteral("client-a"));
    const auto path = a.Create(kProgId);
    ASSERT_TRUE(path);

    Leave(a, *path);
    ASSERT_TRUE(WaitFor([&] { return started.State().ClientCount == 0; }));
    DrainEvents();
    EXPECT_EQ(ended.count(), 0);
    EXPECT_FALSE(started.IsShutDown());
    EXPECT_TRUE(driver.HandBox()->isVisible());
    EXPECT_TRUE(driver.HandBox()->Timer().isActive());
}

INSTANTIATE_TEST_SUITE_P(Ways, LastClientTest,
                         ::testing::Values(Leaving::Release, Leaving::LeaveBus),
                         [](const auto& info) {
                             return info.param == Leaving::Release ? "Release" : "LeaveBus";
                         });

TEST_F(InicioTest, HubLanguageReachesEveryListenerOnce) {
    Inicio& started = StartRunning();
    QSignalSpy changed(&started.Context().language, &LanguageService::LanguageChanged);

    EXPECT_FALSE(started.Context().FollowHubLanguage());  // hub and driver both English
    controller.SetLanguage(kLanguageSpanish);
    EXPECT_TRUE(started.Context().FollowHubLanguage());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toInt(), kLanguageSpanish);
    EXPECT_EQ(changed[0][1].toString(), QStringLiteral("What'sup"));
    EXPECT_EQ(started.Context().texts.CurrentLanguage(), kLanguageSpanish);
    EXPECT_EQ(driver.HandBox()->windowTitle(), QStringLiteral("EXP Prueba mínima Korvex"));
    EXPECT_FALSE(started.Context().FollowHubLanguage());
    EXPECT_EQ(changed.count(), 1);

    // The driver's tick follows the hub by itself.
    controller.SetLanguage(kLanguageEnglish);
    EXPECT_TRUE(WaitFor([&] { return changed.count() == 2; }, 5000));
    EXPECT_EQ(driver.HandBox()->windowTitle(), QStringLiteral("EXP Korvex Minimal Test"));
}

}  // namespace
}  // namespace korvex::apptest
