// Shared by the window tests: the application object, a fresh KORVEX_HOME per test, a small
// string table in English and Spanish, and waiting on a condition with a deadline.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "framework/core/LanguageService.h"
#include "framework/core/MlStringModule.h"

namespace korvex::ui::testing {

// The ids the framework windows use, rotator (136, 137, 193, 194, 199..204, 216) and focuser
// (47..53, 61..66) numbering.
const StringTable& WindowTextTable();

// Deletes windows whose deletion was deferred (deleteLater).
inline void FlushDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Spins the event loop until `done` holds or `ms` pass; returns `done()`.
inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) QTest::qWait(10);
    return done();
}

// KORVEX_HOME in a fresh folder, and the process's language service and texts.
class WindowTest : public ::testing::Test {
  protected:
    WindowTest();
    ~WindowTest() override;

    QString HomeDir() const { return home_.path(); }

    QTemporaryDir home_;
    MlStringModule texts_{WindowTextTable()};
    LanguageService language_{&texts_, 0};
};

}  // namespace korvex::ui::testing
