#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <vector>

#include "UiTestSupport.h"
#include "framework/ui/QtMessageBoxService.h"
#include "framework/ui/WindowsAPI.h"

namespace korvex::ui {
namespace {

struct BoxCase {
    MessageRequest request;
    QMessageBox::Icon icon;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton;
};

TEST(QtMessageBoxTest, BuildsTheBoxTheRequestAsksFor) {
    const BoxCase cases[] = {
        {{"There are still 2 connections active", "Attention", MsgIcon::Warning,
          MsgButtons::OKCancel},
         QMessageBox::Warning,
         {QMessageBox::Ok, QMessageBox::Cancel},
         QMessageBox::Ok},
        {{"Failed to load TKL.DLL", "Problem", MsgIcon::Critical, MsgButtons::OK},
         QMessageBox::Critical,
         {QMessageBox::Ok},
         QMessageBox::Ok},
        {{"Switch relay 3 off?", "Please confirm", MsgIcon::None, MsgButtons::YesNo, MsgResult::No},
         QMessageBox::NoIcon,
         {QMessageBox::Yes, QMessageBox::No},
         QMessageBox::No},
        {{"Save?", "Question", MsgIcon::Question, MsgButtons::YesNoCancel},
         QMessageBox::Question,
         {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
         QMessageBox::Yes},
        {{"Retry?", "Info", MsgIcon::Information, MsgButtons::AbortRetryIgnore, MsgResult::Retry},
         QMessageBox::Information,
         {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore},
         QMessageBox::Retry},
        {{"Again?", "Info", MsgIcon::Information, MsgButtons::RetryCancel, MsgResult::Yes},
         QMessageBox::Information,
         {QMessageBox::Retry, QMessageBox::Cancel},
         QMessageBox::Retry},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.request.text.toStdString());
        const auto box = BuildMessageBox(c.request);
        EXPECT_EQ(box->windowTitle(), c.request.title);
        EXPECT_EQ(box->text(), c.request.text);
        EXPECT_EQ(box->icon(), c.icon);
        std::vector<QMessageBox::StandardButton> shown;
        for (QAbstractButton* button : box->buttons()) shown.push_back(box->standardButton(button));
        std::sort(shown.begin(), shown.end());
        std::vector<QMessageBox::StandardButton> expected = c.buttons;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(shown, expected);
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->standardButton(box->defaultButton()), c.defaultButton);
        EXPECT_FALSE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
}

TEST(QtMessageBoxTest, ForegroundBoxesStayOnTopAndUntitledOnesCarryTheProgramName) {
    MessageRequest request;
    request.text = QStringLiteral("System information is not available at this moment");
    request.foreground = true;
    const auto box = BuildMessageBox(request);
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(box->windowTitle(), QCoreApplication::applicationName());
    EXPECT_FALSE(box->windowTitle().isEmpty());
}

TEST(QtMessageBoxTest, ResultsMapBothWays) {
    for (MsgResult result : {MsgResult::OK, MsgResult::Cancel, MsgResult::Abort, MsgResult::Retry,
                             MsgResult::Ignore, MsgResult::Yes, MsgResult::No}) {
        EXPECT_EQ(FromQtButton(ToQtButton(result)), result) << int(result);
    }
    EXPECT_EQ(FromQtButton(QMessageBox::NoButton), MsgResult::None);
    EXPECT_EQ(FromQtButton(QMessageBox::Save), MsgResult::None);
}

// Presses `button` on the first modal message box that appears.
void PressWhenShown(QMessageBox::StandardButton button, bool* pressed) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, button, pressed] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        *pressed = true;
        box->button(button)->click();
        timer->deleteLater();
    });
    timer->start(10);
}

TEST(QtMessageBoxTest, ShowReturnsThePressedButton) {
    QtMessageBoxService service;
    MessageRequest request{QStringLiteral("Switch relay 3 off?"), QStringLiteral("Please confirm"),
                           MsgIcon::None, MsgButtons::YesNo};
    bool pressed = false;
    PressWhenShown(QMessageBox::No, &pressed);
    EXPECT_EQ(service.Show(request), MsgResult::No);
    EXPECT_TRUE(pressed);
}

TEST(WindowsApiTest, OpenUrlFailureTellsThereIsNoBrowser) {
    ScriptedMessageBoxes boxes;
    QList<QUrl> asked;
    const bool opened =
        OpenUrl(QStringLiteral("https://vantaro.example/"), boxes, [&](const QUrl& url) {
            asked.append(url);
            return false;
        });
    EXPECT_FALSE(opened);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first(), QUrl(QStringLiteral("https://vantaro.example/")));
    ASSERT_EQ(boxes.Asked().size(), 1);
    const MessageRequest& message = boxes.Asked().first();
    EXPECT_EQ(message.text, QStringLiteral("It seems as if you don't have an Internet browser!"));
    EXPECT_EQ(message.title, QStringLiteral("Problem"));
    EXPECT_EQ(message.icon, MsgIcon::Warning);
    EXPECT_EQ(message.buttons, MsgButtons::OK);
    EXPECT_TRUE(message.foreground);

    // An address that is no address at all fails the same way, without asking the desktop.
    boxes.Clear();
    asked.clear();
    EXPECT_FALSE(OpenUrl(QString(), boxes, [&](const QUrl& url) {
        asked.append(url);
        return true;
    }));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(boxes.Asked().size(), 1);
}

// Receives the addresses the desktop services hand to the registered scheme.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

TEST(WindowsApiTest, OpenUrlGoesThroughTheDesktopServices) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("korvextest"), &catcher, "Open");
    ScriptedMessageBoxes boxes;
    EXPECT_TRUE(OpenUrl(QStringLiteral("korvextest://site/page"), boxes));
    QDesktopServices::unsetUrlHandler(QStringLiteral("korvextest"));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls.first(), QUrl(QStringLiteral("korvextest://site/page")));
    EXPECT_TRUE(boxes.Asked().isEmpty());
}

TEST(WindowsApiTest, AlwaysOnTopKeepsPlaceSizeAndVisibility) {
    QMainWindow window;
    window.setGeometry(120, 80, 300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.geometry();

    SetAlwaysOnTop(window, true);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), before);

    SetAlwaysOnTop(window, false);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), before);

    // A hidden window stays hidden.
    window.hide();
    SetAlwaysOnTop(window, true);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace korvex::ui

#include "message_box_test.moc"
