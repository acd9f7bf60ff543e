#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include "UiTestSupport.h"
#include "framework/core/MessageBoxService.h"
#include "framework/core/ProcessLauncher.h"
#include "framework/ui/CallSpyWindowHolder.h"
#include "framework/ui/SysInfo.h"
#include "framework/ui/frmAbout.h"

namespace korvex::ui {
namespace {

using testing::FlushDeferredDeletes;

// PATH pointing only at a folder of the test's own, restored afterwards.
class ScopedPath {
  public:
    explicit ScopedPath(const QString& folder) : saved_(qgetenv("PATH")) {
        qputenv("PATH", folder.toLocal8Bit());
    }
    ~ScopedPath() { qputenv("PATH", saved_); }

  private:
    QByteArray saved_;
};

// An executable file named `name` in `folder`.
QString MakeTool(const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

class AboutBoxTest : public testing::WindowTest {
  protected:
    QLabel* Label(QWidget& box, const char* name) {
        return box.findChild<QLabel*>(QString::fromLatin1(name));
    }
    QPushButton* Button(QWidget& box, const char* name) {
        return box.findChild<QPushButton*>(QString::fromLatin1(name));
    }

    AboutBoxServices Services() { return {texts_, language_, spyWindows_, boxes_, launcher_}; }
    static AboutBoxInfo RotatorInfo() {
        return {QStringLiteral("KorvexRotator"), QStringLiteral("4.7.0"), QString()};
    }

    CallSpyHolder spy_;
    CallSpyWindowHolder spyWindows_{spy_, texts_, language_, CallSpyTexts::Rotator()};
    ScriptedMessageBoxes boxes_;
    RecordingProcessLauncher launcher_;
    QTemporaryDir pathDir_;
};

TEST_F(AboutBoxTest, LoadShowsTheTextsTheProgramTitleAndTheVersion) {
    frmAbout box(Services(), AboutTexts::Rotator(), RotatorInfo());
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Korvex Camera Rotator "));
    EXPECT_EQ(Label(box, "lblTitle")->text(), QStringLiteral("KorvexRotator"));
    EXPECT_EQ(Label(box, "lblVersion")->text(), QStringLiteral("Version 4.7.0"));
    EXPECT_EQ(Label(box, "lblDescription")->text(),
              QStringLiteral("Vantaro - controllers and drivers for astronomy"));
    EXPECT_TRUE(Label(box, "lblDisclaimer")->text().isEmpty());
    EXPECT_EQ(Button(box, "cmdTraffic")->text(), QStringLiteral("ASCOM traffic"));
    EXPECT_EQ(Button(box, "cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_TRUE(Button(box, "cmdOK")->isDefault());
    EXPECT_EQ(Button(box, "cmdSysInfo")->text(), QStringLiteral("System &Information"));
    EXPECT_NE(box.findChild<QWidget*>(QStringLiteral("Line1")), nullptr);
}

struct AboutLanguageCase {
    const char* name;
    AboutTexts ids;
    const char* caption;
    const char* title;
    const char* description;
};

TEST_F(AboutBoxTest, LanguageSwitchReTextsEvenWhileHidden) {
    const AboutLanguageCase cases[] = {
        {"rotator", AboutTexts::Rotator(), "Acerca del rotador de cámara Korvex ",
         "Korvex - rotador de cámara", "Vantaro - controladores y drivers para astronomía"},
        {"focuser: the notice keeps its text", AboutTexts::Focuser(),
         "Acerca del enfocador Korvex ", "Korvex - enfocador motorizado", "Vantaro notice"},
    };
    for (const AboutLanguageCase& c : cases) {
        SCOPED_TRACE(c.name);
        texts_.SetLanguage(kLanguageEnglish);
        frmAbout box(Services(), c.ids,
                     {QStringLiteral("KorvexFocuser"), QStringLiteral("4.7.0"),
                      QStringLiteral("Vantaro notice")});
        ASSERT_FALSE(box.isVisible());
        language_.SwitchAll(kLanguageSpanish, QStringLiteral("What'sup"));
        EXPECT_EQ(box.windowTitle(), QString::fromUtf8(c.caption));
        // After a switch the title label shows the table's title, not the program's.
        EXPECT_EQ(Label(box, "lblTitle")->text(), QString::fromUtf8(c.title));
        EXPECT_EQ(Label(box, "lblDescription")->text(), QString::fromUtf8(c.description));
        EXPECT_EQ(Label(box, "lblVersion")->text(), QStringLiteral("Version 4.7.0"));
        EXPECT_EQ(Button(box, "cmdTraffic")->text(), QStringLiteral("Tráfico ASCOM"));
        EXPECT_EQ(Button(box, "cmdOK")->text(), QStringLiteral("Aceptar"));
        EXPECT_EQ(Button(box, "cmdSysInfo")->text(), QStringLiteral("&Información del sistema"));
        language_.SwitchAll(kLanguageEnglish, QStringLiteral("What'sup"));
        EXPECT_EQ(Button(box, "cmdOK")->text(), QStringLiteral("OK"));
    }
}

TEST_F(AboutBoxTest, AscomTrafficOpensTheOneSpyWindow) {
    frmAbout box(Services(), AboutTexts::Rotator(), RotatorInfo());
    ASSERT_FALSE(spy_.Exists());
    QTest::mouseClick(Button(box, "cmdTraffic"), Qt::LeftButton);
    frmShow* window = spyWindows_.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->TextOffset(), 1425);
    EXPECT_EQ(spy_.Window(), window);

    QTest::mouseClick(Button(box, "cmdTraffic"), Qt::LeftButton);
    EXPECT_EQ(spyWindows_.Window(), window);

    window->close();
    EXPECT_FALSE(spy_.Exists());
    QTest::mouseClick(Button(box, "cmdTraffic"), Qt::LeftButton);
    EXPECT_TRUE(spy_.Exists());
    EXPECT_NE(spyWindows_.Window(), nullptr);
}

TEST_F(AboutBoxTest, SystemInformationWithoutAToolSaysSo) {
    ScopedPath path(pathDir_.path());
    frmAbout box(Services(), AboutTexts::Rotator(), RotatorInfo());
    QTest::mouseClick(Button(box, "cmdSysInfo"), Qt::LeftButton);
    EXPECT_TRUE(launcher_.launches.isEmpty());
    ASSERT_EQ(boxes_.Asked().size(), 1);
    const MessageRequest& message = boxes_.Asked().first();
    EXPECT_EQ(message.text, QStringLiteral("System information is not available at this moment"));
    EXPECT_EQ(message.buttons, MsgButtons::OK);
    EXPECT_EQ(message.title, QStringLiteral("KorvexRotator"));
}

TEST_F(AboutBoxTest, SystemInformationStartsTheFirstToolOnPath) {
    const QString second = MakeTool(pathDir_.path(), QStringLiteral("gnome-system-monitor"));
    const QString first = MakeTool(pathDir_.path(), QStringLiteral("hardinfo"));
    ScopedPath path(pathDir_.path());
    EXPECT_EQ(FindSysInfoTool(), first);
    EXPECT_EQ(
        FindSysInfoTool({QStringLiteral("kinfocenter"), QStringLiteral("gnome-system-monitor")}),
        second);

    frmAbout box(Services(), AboutTexts::Rotator(), RotatorInfo());
    QTest::mouseClick(Button(box, "cmdSysInfo"), Qt::LeftButton);
    ASSERT_EQ(launcher_.launches.size(), 1);
    EXPECT_EQ(launcher_.launches.first().program, first);
    EXPECT_TRUE(launcher_.launches.first().args.isEmpty());
    EXPECT_TRUE(boxes_.Asked().isEmpty());

    // A tool that does not start counts as none.
    launcher_.refuse = true;
    EXPECT_FALSE(box.StartSysInfo());
    EXPECT_EQ(boxes_.Asked().size(), 1);
}

TEST_F(AboutBoxTest, OkAndEscapeUnloadTheBox) {
    AboutBoxHolder holder(Services(), AboutTexts::Rotator(), RotatorInfo());
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "OK");
        frmAbout* box = holder.Open();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(holder.Open(), box);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
        QPointer<frmAbout> watched = box;
        if (escape) {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            QTest::mouseClick(Button(*box, "cmdOK"), Qt::LeftButton);
        }
        EXPECT_EQ(holder.Window(), nullptr);
        FlushDeferredDeletes();
        EXPECT_TRUE(watched.isNull());
    }
}

}  // namespace
}  // namespace korvex::ui
