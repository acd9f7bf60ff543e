// One of the three rotator programs; KORVEX_ROTATOR_PORT picks the build.
#include <QApplication>

#include "RotatorProgram.h"
#include "framework/app/Inicio.h"
#include "korvex/rotator/RotatorTexts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto& build = *korvex::rotator::RotatorBuildForPort(KORVEX_ROTATOR_PORT);
    korvex::rotator::RotatorProgram program(build);
    return korvex::RunDriver(korvex::ConstantsFor(build.deliverable),
                             korvex::rotator::RotatorStringTable(), program);
}
