#include <gtest/gtest.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "framework/core/ProcessLauncher.h"
#include "framework/core/ProgramFolder.h"
#include "framework/core/VantaroUtils.h"

namespace korvex {
namespace {

void WriteFile(const QString& path, const QByteArray& content, bool executable) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    if (executable) file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

QByteArray WaitForContent(const QString& path, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray content = file.readAll();
            if (content.endsWith('\n')) return content;
        }
        QThread::msleep(20);
    }
    return {};
}

class RunScriptTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        SetProgramFolderOverride(folder_.path());
    }
    void TearDown() override { SetProgramFolderOverride({}); }
    QTemporaryDir folder_;
};

TEST_F(RunScriptTest, MissingFileStartsNothing) {
    RecordingProcessLauncher launcher;
    EXPECT_EQ(RunScript(folder_.filePath("qscripts/OpenShutter.sh"), launcher), 0);
    EXPECT_EQ(RunScript("", launcher), 0);
    EXPECT_EQ(RunScript(folder_.path(), launcher), 0);  // a folder is not a script
    EXPECT_TRUE(launcher.launches.isEmpty());
    EXPECT_EQ(RunScript(folder_.filePath("nothing.sh")), 0);
}

TEST_F(RunScriptTest, PathIsOneArgument) {
    ASSERT_TRUE(QDir(folder_.path()).mkpath("q scripts"));
    const QString script = folder_.filePath("q scripts/Open Shutter; rm x.sh");
    WriteFile(script, "exit 0\n", false);
    RecordingProcessLauncher launcher;
    EXPECT_EQ(RunScript(script, launcher), 4242);
    ASSERT_EQ(launcher.launches.size(), 1);
    EXPECT_EQ(launcher.launches[0].program, "/bin/sh");
    EXPECT_EQ(launcher.launches[0].args, QStringList{script});
    launcher.refuse = true;
    EXPECT_EQ(RunScript(script, launcher), 0);
}

TEST_F(RunScriptTest, ScriptRunsWithProgramFolderOnPath) {
    // A tool in the program folder, called by name from the script, as scripts call korvex-call.
    const QString output = folder_.filePath("out dir/result.txt");
    ASSERT_TRUE(QDir(folder_.path()).mkpath("out dir"));
    WriteFile(folder_.filePath("korvex-probe"), "#!/bin/sh\necho \"probe $1\" >> \"$2\"\n", true);
    const QString script = folder_.filePath("Opened Shutter.sh");
    WriteFile(script, "korvex-probe ran \"" + output.toUtf8() + "\"\n", false);

    const int32_t taskId = RunScript(script);
    EXPECT_GT(taskId, 0);
    EXPECT_EQ(WaitForContent(output, 10000), "probe ran\n");
}

TEST_F(RunScriptTest, ScriptIsDetachedInItsOwnSession) {
    const QString output = folder_.filePath("session.txt");
    const QString script = folder_.filePath("session.sh");
    WriteFile(script,
              "ps -o sid= -p $$ > \"" + output.toUtf8() + ".tmp\"; mv \"" + output.toUtf8() +
                  ".tmp\" \"" + output.toUtf8() + "\"\n",
              false);
    const int32_t taskId = RunScript(script);
    ASSERT_GT(taskId, 0);
    const QByteArray sid = WaitForContent(output, 10000).trimmed();
    ASSERT_FALSE(sid.isEmpty());
    EXPECT_NE(sid.toLongLong(), static_cast<long long>(getsid(0)));
}

}  // namespace
}  // namespace korvex
