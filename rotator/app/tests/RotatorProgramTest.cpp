// The rotator program on the framework's start-up, in this process: the caption of each build
// and instance, the unload handler with a moving rotator and connected clients, and what the
// shutdown leaves in the store.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

#include "RotatorProgram.h"
#include "framework/app/Inicio.h"
#include "framework/app/tests/AppTestSupport.h"
#include "framework/core/ProgramFolder.h"
#include "framework/core/VantaroUtils.h"
#include "korvex/rotator/RotatorState.h"
#include "korvex/rotator/RotatorTexts.h"
#include "korvex/rotator/ui/frmHandBox.h"
#include "korvex/sim/link.h"
#include "korvex/store.h"

namespace korvex::rotator {
namespace {

class RotatorProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid() && programFolder.isValid() && dataHome.isValid());
        qputenv("KORVEX_HOME", home.path().toUtf8());
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        SetProgramFolderOverride(programFolder.path());
        sim::BindInProcess(link, controller);
        controller.SetInstantMoves(true);
    }

    void TearDown() override {
        inicio.reset();
        program.reset();
        sim::UnbindInProcess();
        SetProgramFolderOverride({});
        store::Close();
        qunsetenv("KORVEX_HOME");
    }

    Inicio& Start(const RotatorBuild& build) {
        program = std::make_unique<RotatorProgram>(build);
        Inicio::Options options;
        options.arguments = QStringList{QStringLiteral("rotator")};
        options.boxes = &boxes;
        options.launcher = &launcher;
        options.profileStore = std::make_shared<apptest::TestProfileStore>();
        options.link = link;
        options.serveBus = false;
        inicio = std::make_unique<Inicio>(ConstantsFor(build.deliverable), RotatorStringTable(),
                                          *program, options);
        EXPECT_EQ(inicio->Main(), Inicio::Outcome::Running);
        return *inicio;
    }

    std::optional<std::string> Stored(const RotatorBuild& build, const char* subkey,
                                      const char* name) {
        return store::Get(SettingsPath("Korvex", QString::fromLatin1(build.progId),
                                       QString::fromLatin1(subkey))
                              .toStdString(),
                          name);
    }

    QTemporaryDir home, programFolder, dataHome;
    sim::Controller controller;
    LinkTable link;
    ScriptedMessageBoxes boxes;
    RecordingProcessLauncher launcher;
    std::unique_ptr<RotatorProgram> program;  // before inicio: start-up refers to it
    std::unique_ptr<Inicio> inicio;
};

TEST_F(RotatorProgramTest, CaptionIsTheBuildTitleAfterTheInstancePrefix) {
    const struct {
        int port;
        const char* marker;
        const char* caption;
    } cases[] = {
        {0, nullptr, "MAIN Korvex Rotator"},
        {0, "Second.txt", "2 MAIN Korvex Rotator"},
        {1, "second", "2 EXP Korvex Rotator"},
        {2, nullptr, "THIRD Korvex Rotator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        QTemporaryDir folder;
        SetProgramFolderOverride(folder.path());
        if (c.marker) QFile(folder.filePath(c.marker)).open(QIODevice::WriteOnly);
        Start(*RotatorBuildForPort(c.port));
        EXPECT_EQ(program->HandBox()->windowTitle(), c.caption);
        EXPECT_TRUE(program->HandBox()->isVisible());
        inicio->UnloadHandBox(false);
        inicio.reset();
        program.reset();
    }
}

TEST_F(RotatorProgramTest, ClosingHaltsAMoveThenAsksWhileClientsAreConnected) {
    const RotatorBuild& build = *RotatorBuildForPort(0);
    Inicio& started = Start(build);
    program->HandBox()->Tick();  // the first tick follows the hub's language
    controller.SetInstantMoves(false);
    program->HandBox()->findChild<QPushButton*>("cmd45CCW")->click();
    ASSERT_TRUE(controller.Stepper(build.port).moving);
    started.State().ClientCount = 2;

    boxes.Enqueue(MsgResult::Cancel);
    program->HandBox()->close();
    EXPECT_FALSE(controller.Stepper(build.port).moving);  // halted before the question
    ASSERT_EQ(boxes.Asked().size(), 1);
    EXPECT_EQ(boxes.Asked()[0].text,
              "There are still 2 connections active, closing now\n"
              "can result in unpredictable behaviour, please confirm!");
    EXPECT_EQ(boxes.Asked()[0].title, "Attention");
    EXPECT_TRUE(program->HandBox()->isVisible());
    EXPECT_TRUE(program->HandBox()->timer().isActive());
    EXPECT_FALSE(started.IsShutDown());

    boxes.Enqueue(MsgResult::OK);
    program->HandBox()->close();
    EXPECT_TRUE(started.IsShutDown());
    EXPECT_FALSE(program->HandBox()->isVisible());
    EXPECT_FALSE(program->HandBox()->timer().isActive());
    // The halted count is what the next start loads into the controller.
    const int32_t halted = controller.Stepper(build.port).position;
    EXPECT_EQ(Stored(build, "Default", "Position"), std::to_string(halted));
}

TEST_F(RotatorProgramTest, ShutdownKeepsTheAngleForTheNextStart) {
    const RotatorBuild& build = *RotatorBuildForPort(2);
    Start(build);
    program->HandBox()->Tick();
    ASSERT_TRUE(inicio->UnloadHandBox(true));  // no clients: no question
    EXPECT_TRUE(boxes.Asked().isEmpty());

    // Move the controller elsewhere meanwhile: the next start loads the stored count again.
    controller.StepperSetPos(build.port, 1234);
    Start(build);
    EXPECT_EQ(controller.Stepper(build.port).position, 0);
    inicio->UnloadHandBox(false);
}

}  // namespace
}  // namespace korvex::rotator
