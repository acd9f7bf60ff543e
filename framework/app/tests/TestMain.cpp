// Test entry with a widget application (hand boxes are widgets, the bus needs an event loop).
// Each test gives itself a fresh KORVEX_HOME.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
