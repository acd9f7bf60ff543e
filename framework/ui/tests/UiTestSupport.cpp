#include "UiTestSupport.h"

#include <QApplication>
#include <cstdlib>

namespace korvex::ui::testing {

namespace {

// One QApplication for the whole program, created before the first test.
class QtApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "framework_ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        QApplication::setApplicationName(QStringLiteral("KorvexTest"));
    }
    void TearDown() override { delete app_; }

  private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

const StringTable& WindowTextTable() {
    static const StringTable table{
        {47, "ASCOM call spy", "Espía de llamadas ASCOM"},
        {48, "Erase", "Borrar"},
        {49, "IsMoving", "Moviéndose"},
        {50, "Temp Related", "Temperatura"},
        {51, "Other Calls", "Otras llamadas"},
        {52, "Move / Halt", "Mover / Parar"},
        {53, "Disable", "Desactivar"},
        {61, "About Korvex Focuser ", "Acerca del enfocador Korvex "},
        {62, "ASCOM traffic", "Tráfico ASCOM"},
        {63, "OK", "Aceptar"},
        {64, "System &Information", "&Información del sistema"},
        {66, "Korvex - motorized focuser", "Korvex - enfocador motorizado"},
        {136, "Enable", "Activar"},
        {137, "Disable", "Desactivar"},
        {193, "ASCOM call spy", "Espía de llamadas ASCOM"},
        {194, "Erase", "Borrar"},
        {199, "About Korvex Camera Rotator ", "Acerca del rotador de cámara Korvex "},
        {200, "ASCOM traffic", "Tráfico ASCOM"},
        {201, "OK", "Aceptar"},
        {202, "System &Information", "&Información del sistema"},
        {203, "Vantaro - controllers and drivers for astronomy",
         "Vantaro - controladores y drivers para astronomía"},
        {204, "Korvex - camera rotator", "Korvex - rotador de cámara"},
        {216, "Disable", "Desactivar"},
    };
    return table;
}

WindowTest::WindowTest() {
    setenv("KORVEX_HOME", home_.path().toLocal8Bit().constData(), 1);
    texts_.InitTexts();
}

WindowTest::~WindowTest() {
    FlushDeferredDeletes();
    unsetenv("KORVEX_HOME");
}

}  // namespace korvex::ui::testing
