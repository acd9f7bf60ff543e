// korvex-call against the minimal driver program on the private bus.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>

#include "framework/com/tests/MinimalDriver.h"
#include "framework/com/tests/ProcessFixture.h"

namespace korvex::com::testing {
namespace {

struct CallRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class KorvexCallTest : public ProcessFixture {
  protected:
    CallRun Call(const QStringList& args, const QByteArray& input = {}) {
        QProcess call;
        call.setProcessEnvironment(bus->Environment());
        call.start(QStringLiteral(KORVEX_BIN_DIR "/korvex-call"), args);
        EXPECT_TRUE(call.waitForStarted(10000));
        if (!input.isEmpty()) call.write(input);
        call.closeWriteChannel();
        EXPECT_TRUE(call.waitForFinished(30000));
        return {call.exitStatus() == QProcess::NormalExit ? call.exitCode() : -1,
                QString::fromUtf8(call.readAllStandardOutput()),
                QString::fromUtf8(call.readAllStandardError())};
    }
    CallRun Device(const QStringList& op) {
        return Call(QStringList{QString::fromLatin1(kDeviceProgId)} + op);
    }
};

TEST_F(KorvexCallTest, OneShotPrintsValuesAsPlainText) {
    ASSERT_TRUE(StartServer({}));
    struct Case {
        QStringList op;
        const char* out;
    };
    const Case cases[] = {
        {{"get", "Description"}, "Korvex minimal test device\n"},
        {{"call", "MoveAbsolute", "90"}, ""},
        {{"get", "Position"}, "90\n"},
        {{"call", "Move", "-0.25"}, ""},
        {{"get", "position"}, "89.75\n"},
        {{"let", "Reverse", "True"}, ""},
        {{"get", "Reverse"}, "True\n"},
        {{"let", "Reverse", "false"}, ""},
        {{"get", "Reverse"}, "False\n"},
        {{"let", "timer", "2", "1500"}, ""},
        {{"get", "timer", "2"}, "1500\n"},
        {{"get", "Names"}, "Red\nGreen\nBlue\n"},
        {{"get", "FocusOffsets"}, "0\n10\n-5\n"},
        {{"call", "Echo", "two words"}, "two words\n"},
        {{"call", "Echo", "42"}, "42\n"},  // sent as a number, converted by the server
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.op.join(' ').toStdString());
        const CallRun r = Device(c.op);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, QString::fromLatin1(c.out));
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
}

TEST_F(KorvexCallTest, OneShotErrorsGoToStandardErrorWithTheirExitStatus) {
    ASSERT_TRUE(StartServer({}));
    struct Case {
        QStringList args;
        int exitCode;
        const char* err;  // start of standard error
    };
    const Case cases[] = {
        {{"KorvexTest.Device", "call", "Fail"},
         1,
         "0x80040402 Korvex Test Control: The test device is not connected\n"},
        {{"KorvexTest.Device", "get", "timer", "9"},
         1,
         "0x80040404 Korvex Test Control: The value is out of range\n"},
        {{"KorvexTest.Device", "get", "Nope"},
         1,
         "0x80020003 KorvexTest.Device: Nope is not a member"},
        {{"KorvexTest.Device", "call", "MoveAbsolute", "abc"}, 1, "0x80020005 KorvexTest.Device: "},
        {{"KorvexTest.Device", "let", "timer", "40000", "1"}, 1, "0x8002000A KorvexTest.Device: "},
        {{"No.Such.ProgId", "get", "Position"}, 2, "korvex-call: no program serves No.Such.ProgId"},
        {{"KorvexTest.Device", "frob", "Position"}, 2, "usage: korvex-call"},
        {{"KorvexTest.Device", "get"}, 2, "usage: korvex-call"},
        {{}, 2, "usage: korvex-call"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CallRun r = Call(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.startsWith(QString::fromLatin1(c.err))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    // No bus at all.
    QProcess noBus;
    QProcessEnvironment env = bus->Environment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=/nonexistent/bus"));
    noBus.setProcessEnvironment(env);
    noBus.start(
        QStringLiteral(KORVEX_BIN_DIR "/korvex-call"),
        {QStringLiteral("KorvexTest.Device"), QStringLiteral("get"), QStringLiteral("Position")});
    ASSERT_TRUE(noBus.waitForFinished(30000));
    EXPECT_EQ(noBus.exitCode(), 2);
    EXPECT_TRUE(
        noBus.readAllStandardError().startsWith("korvex-call: cannot reach the session bus"));

    // Every one-shot call released its object.
    EXPECT_EQ(Device({"get", "ClientCount"}).out, QStringLiteral("1\n"));
}

TEST_F(KorvexCallTest, OneShotStartsARegisteredProgramThatIsNotRunning) {
    QProcess reg;
    reg.setProcessEnvironment(bus->Environment());
    reg.start(QStringLiteral(KORVEX_COM_TESTSERVER), {QStringLiteral("--register-only")});
    ASSERT_TRUE(reg.waitForFinished(20000));
    ASSERT_FALSE(Registered(QStringLiteral("KorvexTest.Device")));
    const CallRun r = Device({"get", "StartedByUser"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("False\n"));
}

TEST_F(KorvexCallTest, StandardInputModeAnswersEveryLineOnOneObject) {
    ASSERT_TRUE(StartServer({}));
    const QByteArray input =
        "get ObjectId\n"
        "call MoveAbsolute 90\n"
        "get Position\n"
        "\n"
        "# a comment\n"
        "let Reverse True\n"
        "get Reverse\n"
        "get Names\n"
        "get FocusOffsets\n"
        "call Fail\n"
        "call Echo \"say \\\"hi\\\" twice\"\n"
        "call Echo \"True\"\n"
        "get Nope\n"
        "bogus\n"
        "call Echo \"open\n"
        "get ClientCount\n"
        "get ObjectId\n";
    const CallRun r = Call({QStringLiteral("KorvexTest.Device")}, input);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n');
    const QStringList expected{
        "ok 1",
        "ok null",
        "ok 90",
        "ok null",
        "ok true",
        "ok [\"Red\",\"Green\",\"Blue\"]",
        "ok [0,10,-5]",
        "error 0x80040402 Korvex Test Control: The test device is not connected",
        "ok \"say \\\"hi\\\" twice\"",
        "ok \"True\"",  // quoted: text, not a boolean
        "error 0x80020003 KorvexTest.Device: Nope is not a member of KorvexTest.Device",
        "error 0x80070057 korvex-call: expected get|let|call MEMBER [ARG...], got: bogus",
        "error 0x80070057 korvex-call: unterminated quote",
        "ok 1",
        "ok 1",  // the same object as the first line
        "",
    };
    EXPECT_EQ(lines, expected) << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(KorvexCallTest, StandardInputModeAnswersEachLineBeforeTheNextArrives) {
    ASSERT_TRUE(StartServer({}));
    QProcess call;
    call.setProcessEnvironment(bus->Environment());
    call.start(QStringLiteral(KORVEX_BIN_DIR "/korvex-call"),
               {QStringLiteral("KorvexTest.Device")});
    ASSERT_TRUE(call.waitForStarted(10000));
    const auto ask = [&call](const QByteArray& line) {
        call.write(line);
        QDeadlineTimer deadline(20000);
        while (!call.canReadLine() && !deadline.hasExpired()) call.waitForReadyRead(200);
        return QString::fromUtf8(call.readLine());
    };
    EXPECT_EQ(ask("call MoveAbsolute 12.5\n"), QStringLiteral("ok null\n"));
    EXPECT_EQ(ask("get Position\n"), QStringLiteral("ok 12.5\n"));
    EXPECT_EQ(ask("get ClientCount\n"), QStringLiteral("ok 1\n"));
    call.closeWriteChannel();
    ASSERT_TRUE(call.waitForFinished(20000));
    EXPECT_EQ(call.exitCode(), 0);
}

TEST_F(KorvexCallTest, StandardInputModeWithoutTheProgramFailsAtOnce) {
    const CallRun r = Call({QStringLiteral("No.Such.ProgId")}, "get Position\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("korvex-call: no program serves No.Such.ProgId")))
        << r.err.toStdString();
}

}  // namespace
}  // namespace korvex::com::testing
