// The rotator's windows over the real core and an in-process simulated controller (manual
// clock, MAIN port), with the rotator's string table, a fresh KORVEX_HOME per test and scripted
// message boxes. Start-up is followed in its order: attach, hand box, settings, open the link,
// configuration dialog.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QUrl>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "framework/core/InicioState.h"
#include "framework/core/LanguageService.h"
#include "framework/core/MessageBoxService.h"
#include "framework/core/MlStringModule.h"
#include "framework/core/OWCSub.h"
#include "framework/core/ProcessLauncher.h"
#include "korvex/rotator/OuterWorldControl.h"
#include "korvex/rotator/RotatorBuild.h"
#include "korvex/rotator/RotatorInicio.h"
#include "korvex/rotator/RotatorState.h"
#include "korvex/rotator/RotatorTexts.h"
#include "korvex/rotator/ui/RotatorUiContext.h"
#include "korvex/rotator/ui/frmHandBox.h"
#include "korvex/rotator/ui/frmSetup.h"
#include "korvex/sim/clock.h"
#include "korvex/sim/controller.h"
#include "korvex/sim/link.h"
#include "korvex/testing/TempHome.h"

namespace korvex::rotator::ui::testing {

class RotatorUiFixture : public ::testing::Test {
  protected:
    static constexpr int32_t kPort = 0;

    RotatorUiFixture() {
        sim::BindInProcess(link, controller);
        process.VersionText = QStringLiteral("4.7.0");
        owc.AttachToLink();
        handBox = std::make_unique<frmHandBox>(ctx);
        inicio.LoadSettings();
        owc.OpenLink();
        setup = std::make_unique<frmSetup>(ctx);
        boxes.Clear();
    }
    ~RotatorUiFixture() override {
        setup.reset();
        handBox.reset();
        sim::UnbindInProcess();
    }

    // The controller's counter set to `steps` and taken over by one tick, as if the rotator
    // stood there.
    void PlaceAt(int32_t steps) {
        controller.StepperSetPos(kPort, steps);
        hw.HaltRotator();
        handBox->Tick();
    }

    // The control `name` of `window`; a missing control fails the test.
    template <class T>
    static T& Child(QWidget& window, const char* name) {
        T* control = window.findChild<T*>(QString::fromLatin1(name));
        if (!control) throw std::runtime_error(std::string("no control ") + name);
        return *control;
    }

    // Moves the simulated clock on and runs one tick.
    void AdvanceAndTick(int64_t ms) {
        clock.AdvanceMs(ms);
        handBox->Tick();
    }

    korvex::testing::TempHome home;
    sim::ManualClock clock;
    sim::Controller controller{clock};
    LinkTable link;
    const RotatorBuild& build = kRotatorBuilds[kPort];
    InicioState process;
    ScriptedMessageBoxes boxes;
    RecordingProcessLauncher launcher;
    OWCSub owc{link, process, kPort, 3, boxes, launcher};
    CallSpyHolder spy;
    RotatorState state;
    MlStringModule texts{RotatorStringTable()};
    LanguageService language{&texts};
    OuterWorldControl hw{state, link, build, spy, owc};
    RotatorInicio inicio{state, link, build, hw, boxes, texts};
    QList<QUrl> opened;
    RotatorUiContext ctx{
        state, hw, inicio, owc, process, texts, language, boxes, [this](const QUrl& url) {
            opened.append(url);
            return true;
        }};
    std::unique_ptr<frmHandBox> handBox;
    std::unique_ptr<frmSetup> setup;
};

}  // namespace korvex::rotator::ui::testing
