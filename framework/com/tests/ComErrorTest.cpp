#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "framework/com/ComError.h"
#include "framework/com/ServiceFiles.h"
#include "framework/com/StartMode.h"

namespace korvex::com {
namespace {

TEST(ComError, MessageHasNumberSourceAndDescriptionSeparatedByTabs) {
    const KorvexError e(0x80040402, QStringLiteral("Korvex Rotator Control"),
                        QStringLiteral("The Rotator is not connected"));
    EXPECT_EQ(FormatErrorMessage(e),
              QStringLiteral("0x80040402\tKorvex Rotator Control\tThe Rotator is not connected"));
    EXPECT_EQ(ToDisplayText(e),
              QStringLiteral("0x80040402 Korvex Rotator Control: The Rotator is not connected"));
    EXPECT_EQ(FormatErrorMessage(KorvexError(0x1A, QStringLiteral("s"), QStringLiteral("d"))),
              QStringLiteral("0x0000001A\ts\td"));
}

TEST(ComError, ParsesBackWhatItFormats) {
    const KorvexError e(0x80040404, QStringLiteral("Src\twith tab"),
                        QStringLiteral("Line 1\tcolumn\nLine 2"));
    const auto back = ParseError(QString::fromLatin1(kErrorName), FormatErrorMessage(e));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Number(), 0x80040404u);
    EXPECT_EQ(back->Source(), QStringLiteral("Src with tab"));
    EXPECT_EQ(back->Description(), e.Description());
}

TEST(ComError, OtherErrorsAreNotTakenForKorvexErrors) {
    EXPECT_FALSE(ParseError(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                            QStringLiteral("0x80040402\ta\tb")));
    const QString name = QString::fromLatin1(kErrorName);
    EXPECT_FALSE(ParseError(name, QStringLiteral("no tabs")));
    EXPECT_FALSE(ParseError(name, QStringLiteral("0x8004\tonly one tab")));
    EXPECT_FALSE(ParseError(name, QStringLiteral("80040402\ta\tb")));
    EXPECT_FALSE(ParseError(name, QStringLiteral("0xZZ\ta\tb")));
}

TEST(StartMode, EmbeddingInEitherFormMeansStartedByCom) {
    const auto com = [](QStringList args) { return StartedByCom(args); };
    EXPECT_TRUE(com({QStringLiteral("prog"), QStringLiteral("-Embedding")}));
    EXPECT_TRUE(com({QStringLiteral("prog"), QStringLiteral("/Embedding")}));
    EXPECT_TRUE(com({QStringLiteral("prog"), QStringLiteral("-embedding")}));
    EXPECT_FALSE(com({QStringLiteral("prog")}));
    EXPECT_FALSE(com({QStringLiteral("prog"), QStringLiteral("--Embedding")}));
    EXPECT_FALSE(com({QStringLiteral("-Embedding")}));  // the program name itself
}

TEST(ServiceFiles, ExecLineStartsTheProgramWithEmbedding) {
    EXPECT_EQ(ServiceFileText(QStringLiteral("KorvexRotator.Rotator"),
                              QStringLiteral("/opt/korvex/bin/rotator")),
              QStringLiteral("[D-BUS Service]\nName=KorvexRotator.Rotator\n"
                             "Exec=/opt/korvex/bin/rotator -Embedding\n"));
    EXPECT_TRUE(ServiceFileText(QStringLiteral("A.B"), QStringLiteral("/my dir/it's"))
                    .contains(QStringLiteral("Exec='/my dir/it'\\''s' -Embedding\n")));
}

TEST(ServiceFiles, WrittenUnderXdgDataHome) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const bool hadHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    EXPECT_EQ(ServicesDir(), dir.path() + QStringLiteral("/dbus-1/services"));
    QString error;
    ASSERT_TRUE(WriteServiceFile(QStringLiteral("A.B"), QStringLiteral("/bin/prog"), &error))
        << error.toStdString();
    QFile file(dir.path() + QStringLiteral("/dbus-1/services/A.B.service"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              ServiceFileText(QStringLiteral("A.B"), QStringLiteral("/bin/prog")));
    if (hadHome) {
        qputenv("XDG_DATA_HOME", saved);
    } else {
        qunsetenv("XDG_DATA_HOME");
    }
}

}  // namespace
}  // namespace korvex::com
