// korvex-minimal-driver: the smallest program built on the framework's start-up, for the end
// to end tests. It lives in the program folder beside libtkl.so and korvex-hub.
#include <QApplication>

#include "framework/app/Inicio.h"
#include "framework/app/tests/MinimalDriver.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    korvex::apptest::MinimalDriver driver;
    return korvex::RunDriver(korvex::apptest::MinimalConstants(), korvex::apptest::MinimalTexts(),
                             driver);
}
