// Test entry with a Qt application object (the bus needs one) and a fresh KORVEX_HOME.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) return 3;
    qputenv("KORVEX_HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
