#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>

#include "UiTestSupport.h"
#include "framework/ui/CallSpyWindowHolder.h"
#include "framework/ui/Twips.h"
#include "framework/ui/frmShow.h"

namespace korvex::ui {
namespace {

using testing::FlushDeferredDeletes;

class CallSpyWindowTest : public testing::WindowTest {
  protected:
    template <class T>
    T* Control(QWidget& window, const char* name) {
        T* control = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    CallSpyHolder spy_;
    CallSpyWindowHolder holder_{spy_, texts_, language_, CallSpyTexts::Rotator()};
};

TEST_F(CallSpyWindowTest, ShowsTheLogWithTheNewestTextAtTheCaret) {
    frmShow* window = holder_.Open();
    auto* log = Control<QPlainTextEdit>(*window, "txtTraffic");
    ASSERT_NE(log, nullptr);

    window->TrafficStart(QStringLiteral("SetupDialog"));
    window->TrafficEnd(QStringLiteral(" (done)"));
    window->TrafficChar(QStringLiteral("IsMoving: False"));
    window->TrafficChar(QStringLiteral("IsMoving: False"));
    EXPECT_EQ(log->toPlainText(),
              QStringLiteral("SetupDialog (done)\nIsMoving: False IsMoving: False"));

    // The box follows the log write by write, also once old text scrolls away.
    const auto shownLog = [&] { return QString(window->Log().Text()).remove(QLatin1Char('\r')); };
    for (int i = 0; i < 300; ++i) {
        switch (i % 4) {
            case 0:
                window->TrafficStart(QStringLiteral("Move: %1").arg(i));
                break;
            case 1:
                window->TrafficLine(QStringLiteral("RotatorGoto: %1").arg(i * 100));
                break;
            case 2:
                window->TrafficChar(QStringLiteral("IsMoving: True"));
                break;
            default:
                window->TrafficEnd(QStringLiteral(" (done)"));
        }
        ASSERT_EQ(log->toPlainText(), shownLog()) << "after write " << i;
    }
    for (int i = 0; i < 200; ++i) window->TrafficLine(QStringLiteral("Position: %1").arg(i));
    EXPECT_EQ(window->Log().Text().size(), TrafficLog::kMaxChars);
    EXPECT_EQ(log->toPlainText(), shownLog());
    EXPECT_TRUE(log->toPlainText().endsWith(QStringLiteral("Position: 199\n")));
    EXPECT_TRUE(log->textCursor().atEnd());
    EXPECT_EQ(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
    EXPECT_GT(log->verticalScrollBar()->maximum(), 0);
}

TEST_F(CallSpyWindowTest, ACutBetweenCarriageReturnAndLineFeedLeavesAnEmptyFirstLine) {
    frmShow* window = holder_.Open();
    window->TrafficLine(QString(1000, QLatin1Char('a')));
    // 1002 + 1999 characters: the first 1000 and the first line's carriage return scroll away.
    window->TrafficLine(QString(1997, QLatin1Char('b')));
    EXPECT_EQ(window->Log().Text(),
              QStringLiteral("\n") + QString(1997, QLatin1Char('b')) + QStringLiteral("\r\n"));
    EXPECT_EQ(Control<QPlainTextEdit>(*window, "txtTraffic")->toPlainText(),
              QStringLiteral("\n") + QString(1997, QLatin1Char('b')) + QStringLiteral("\n"));
}

TEST_F(CallSpyWindowTest, CategoriesFollowTheBoxesWithOnlyMoveTickedAtStart) {
    frmShow* window = holder_.Open();
    EXPECT_EQ(spy_.For(SpyCategory::MoveHalt), window);
    EXPECT_EQ(spy_.For(SpyCategory::IsMoving), nullptr);
    EXPECT_EQ(spy_.For(SpyCategory::TempRelated), nullptr);
    EXPECT_EQ(spy_.For(SpyCategory::OtherCalls), nullptr);

    const std::pair<const char*, SpyCategory> boxes[] = {{"chkMove", SpyCategory::MoveHalt},
                                                         {"chkMoving", SpyCategory::IsMoving},
                                                         {"chkTemp", SpyCategory::TempRelated},
                                                         {"chkOther", SpyCategory::OtherCalls}};
    for (const auto& [name, category] : boxes) {
        SCOPED_TRACE(name);
        auto* box = Control<QCheckBox>(*window, name);
        ASSERT_NE(box, nullptr);
        box->click();
        EXPECT_EQ(window->IsTicked(category), box->isChecked());
        EXPECT_EQ(spy_.For(category) != nullptr, box->isChecked());
    }
    EXPECT_FALSE(window->IsTicked(SpyCategory::MoveHalt));
    EXPECT_TRUE(window->IsTicked(SpyCategory::OtherCalls));
}

TEST_F(CallSpyWindowTest, DisableStopsWritesAndEnableResumesWithoutTheMissedLines) {
    frmShow* window = holder_.Open();
    auto* cmdDisable = Control<QPushButton>(*window, "cmdDisable");
    ASSERT_NE(cmdDisable, nullptr);
    EXPECT_EQ(cmdDisable->text(), QStringLiteral("Disable"));

    window->TrafficLine(QStringLiteral("Position: 1"));
    QTest::mouseClick(cmdDisable, Qt::LeftButton);
    EXPECT_EQ(cmdDisable->text(), QStringLiteral("Enable"));
    window->TrafficLine(QStringLiteral("Position: 2"));
    window->TrafficStart(QStringLiteral("Halt"));
    window->TrafficChar(QStringLiteral("IsMoving: True"));
    window->TrafficEnd(QStringLiteral(" (done)"));

    QTest::mouseClick(cmdDisable, Qt::LeftButton);
    EXPECT_EQ(cmdDisable->text(), QStringLiteral("Disable"));
    window->TrafficLine(QStringLiteral("Position: 3"));
    EXPECT_EQ(Control<QPlainTextEdit>(*window, "txtTraffic")->toPlainText(),
              QStringLiteral("Position: 1\nPosition: 3\n"));
}

TEST_F(CallSpyWindowTest, EraseEmptiesTheLogAndStartsAFreshLine) {
    frmShow* window = holder_.Open();
    window->TrafficChar(QStringLiteral("IsMoving: True"));
    QTest::mouseClick(Control<QPushButton>(*window, "cmdClear"), Qt::LeftButton);
    EXPECT_TRUE(Control<QPlainTextEdit>(*window, "txtTraffic")->toPlainText().isEmpty());
    window->TrafficChar(QStringLiteral("IsMoving: False"));
    EXPECT_EQ(window->Log().Text(), QStringLiteral("IsMoving: False"));
}

TEST_F(CallSpyWindowTest, WidthIsForcedAndHeightStaysAboveOffsetPlus400) {
    frmShow* window = holder_.Open();
    ASSERT_EQ(window->TextOffset(), 1425);
    auto* log = Control<QPlainTextEdit>(*window, "txtTraffic");
    const int offsetPx = TwipsToPx(1425);

    window->resize(TwipsToPx(9000), TwipsToPx(3000));
    EXPECT_EQ(window->width(), TwipsToPx(5535));
    EXPECT_EQ(window->height(), TwipsToPx(3000));
    EXPECT_EQ(log->height(), TwipsToPx(3000) - offsetPx);

    window->resize(TwipsToPx(2000), TwipsToPx(1500));
    EXPECT_EQ(window->width(), TwipsToPx(5535));
    EXPECT_EQ(window->height(), TwipsToPx(1825));
    EXPECT_EQ(log->height(), TwipsToPx(1825) - offsetPx);

    // A larger offset raises the floor with it and shrinks the log box.
    window->SetTextOffset(2000);
    EXPECT_EQ(window->height(), TwipsToPx(2400));
    EXPECT_EQ(log->height(), TwipsToPx(2400) - TwipsToPx(2000));
}

TEST_F(CallSpyWindowTest, OneWindowPerProcessAndAFreshOneAfterClosing) {
    frmShow* first = holder_.Open();
    EXPECT_EQ(holder_.Open(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(spy_.Window(), first);
    first->TrafficLine(QStringLiteral("Position: 7"));
    first->findChild<QCheckBox*>(QStringLiteral("chkOther"))->setChecked(true);

    QPointer<frmShow> closed = first;
    first->close();
    // Writers stop seeing the window as soon as it closes, before it is deleted.
    EXPECT_FALSE(spy_.Exists());
    EXPECT_EQ(holder_.Window(), nullptr);
    FlushDeferredDeletes();
    EXPECT_TRUE(closed.isNull());

    frmShow* second = holder_.Open();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(spy_.Window(), second);
    EXPECT_TRUE(second->Log().Text().isEmpty());
    EXPECT_FALSE(second->IsTicked(SpyCategory::OtherCalls));
    EXPECT_TRUE(second->IsTicked(SpyCategory::MoveHalt));

    // Shutdown unloads the window at once, without waiting for the event loop.
    QPointer<frmShow> last = second;
    holder_.Unload();
    EXPECT_FALSE(spy_.Exists());
    EXPECT_TRUE(last.isNull());
    EXPECT_EQ(holder_.Window(), nullptr);
}

TEST_F(CallSpyWindowTest, DeletingTheWindowClearsTheCoreReference) {
    frmShow* window = holder_.Open();
    delete window;
    EXPECT_FALSE(spy_.Exists());
    EXPECT_EQ(holder_.Window(), nullptr);
    EXPECT_NE(holder_.Open(), nullptr);
}

struct LanguageCase {
    const char* name;
    CallSpyTexts ids;
    const char* caption;
    const char* erase;
    const char* disable;
    const char* enable;
    const char* move;   // chkMove
    const char* other;  // chkOther
};

TEST_F(CallSpyWindowTest, LanguageSwitchReTextsEvenWhileHidden) {
    const LanguageCase cases[] = {
        {"rotator numbering: the boxes keep their English captions", CallSpyTexts::Rotator(),
         "Espía de llamadas ASCOM", "Borrar", "Desactivar", "Activar", "Move / Halt",
         "Other Calls"},
        {"focuser numbering: every box its own text", CallSpyTexts::Focuser(),
         "Espía de llamadas ASCOM", "Borrar", "Desactivar", "Activar", "Mover / Parar",
         "Otras llamadas"},
    };
    for (const LanguageCase& c : cases) {
        SCOPED_TRACE(c.name);
        texts_.SetLanguage(kLanguageEnglish);
        frmShow window(texts_, language_, c.ids);
        ASSERT_FALSE(window.isVisible());
        auto* cmdDisable = window.findChild<QPushButton*>(QStringLiteral("cmdDisable"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("ASCOM call spy"));

        language_.SwitchAll(kLanguageSpanish, QStringLiteral("What'sup"));
        EXPECT_EQ(window.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("cmdClear"))->text(),
                  QString::fromUtf8(c.erase));
        EXPECT_EQ(cmdDisable->text(), QString::fromUtf8(c.disable));
        EXPECT_EQ(window.findChild<QCheckBox*>(QStringLiteral("chkMove"))->text(),
                  QString::fromUtf8(c.move));
        EXPECT_EQ(window.findChild<QCheckBox*>(QStringLiteral("chkOther"))->text(),
                  QString::fromUtf8(c.other));

        // A disabled log keeps offering "Enable", in the language of the moment.
        cmdDisable->click();
        EXPECT_EQ(cmdDisable->text(), QString::fromUtf8(c.enable));
        language_.SwitchAll(kLanguageEnglish, QStringLiteral("What'sup"));
        EXPECT_EQ(cmdDisable->text(), QStringLiteral("Enable"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("ASCOM call spy"));
    }
}

}  // namespace
}  // namespace korvex::ui
