// The rotator core wired to an in-process simulated controller (manual clock, MAIN port), with
// a fresh KORVEX_HOME, a recording link, a recording spy window and scripted message boxes.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <ostream>

#include "RecordingLink.h"
#include "RecordingSpy.h"
#include "framework/core/InicioState.h"
#include "framework/core/MessageBoxService.h"
#include "framework/core/MlStringModule.h"
#include "framework/core/OWCSub.h"
#include "framework/core/ProcessLauncher.h"
#include "korvex/rotator/OuterWorldControl.h"
#include "korvex/rotator/RotatorBuild.h"
#include "korvex/rotator/RotatorDevice.h"
#include "korvex/rotator/RotatorInicio.h"
#include "korvex/rotator/RotatorState.h"
#include "korvex/sim/clock.h"
#include "korvex/sim/controller.h"
#include "korvex/sim/link.h"
#include "korvex/testing/TempHome.h"

namespace korvex::rotator {

// Readable failure messages for state comparisons.
inline void PrintTo(const RotatorState& s, std::ostream* os) {
    *os << "{count " << s.stepCount << ", target " << s.targetSteps << ", pos " << s.position
        << ", targetPos " << s.targetPosition << ", moving " << s.moving << ", spd "
        << s.stepsPerDegree << ", zone " << s.zoneLow << ".." << s.zoneHigh << ", backlash "
        << s.backlash << " mode " << s.backlashMode << " on " << s.applyOneDirectionOn
        << " lastInc " << s.lastMoveWasIncreasing << ", model " << s.motorModel << " half "
        << s.halfStep << " wiring " << s.wiringMode << ", power " << s.stoppedPower << "/"
        << s.movingPower << ", rates " << s.slowRate << "/" << s.fastRate << ", pierFlip "
        << s.pierFlip << ", fw " << s.firmwareVersion << "}";
}

}  // namespace korvex::rotator

namespace korvex::rotator::testing {

// KORVEX_HOME pointed at a temporary folder for one test, removed afterwards.
class RotatorFixture : public ::testing::Test {
  protected:
    static constexpr int32_t kPort = 0;

    RotatorFixture() {
        sim::BindInProcess(simLink, controller);
        link = RecordingLink(simLink);
        hw = std::make_unique<OuterWorldControl>(state, link, build, spyHolder, owc);
        inicioRotator = std::make_unique<RotatorInicio>(state, link, build, *hw, boxes, texts);
        device =
            std::make_unique<RotatorDevice>(state, *hw, link, spyHolder, QStringLiteral("4.7.0"));
        // A fresh link reports one connection at its first check, as at start-up: take it now.
        owc.CheckComms();
        gLinkCalls.clear();
    }
    ~RotatorFixture() override { sim::UnbindInProcess(); }

    // The controller's counter set to `steps` and read back through a halt, as if the rotator
    // stood there.
    void PlaceAt(int32_t steps) {
        controller.StepperSetPos(kPort, steps);
        hw->HaltRotator();
        gLinkCalls.clear();
    }

    // Opens the spy window with every category ticked.
    void OpenSpy() {
        spy.TickAll();
        spyHolder.Set(&spy);
    }

    // Stepper operations sent since the last clear.
    static std::vector<std::string> StepperCalls() { return CallsStartingWith("Stepper"); }

    korvex::testing::TempHome home;
    sim::ManualClock clock;
    sim::Controller controller{clock};
    LinkTable simLink;
    LinkTable link;
    const RotatorBuild& build = kRotatorBuilds[kPort];
    InicioState inicio;
    ScriptedMessageBoxes boxes;
    RecordingProcessLauncher launcher;
    OWCSub owc{link, inicio, kPort, 3, boxes, launcher};
    CallSpyHolder spyHolder;
    RecordingSpy spy;
    RotatorState state;
    StringTable table{};  // empty: every text is the English one written at the call site
    MlStringModule texts{table};
    std::unique_ptr<OuterWorldControl> hw;
    std::unique_ptr<RotatorInicio> inicioRotator;
    std::unique_ptr<RotatorDevice> device;
};

}  // namespace korvex::rotator::testing
