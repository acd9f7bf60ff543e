#include "korvex/testing/UserProgram.h"

#include "korvex/testing/PrivateBus.h"
#include "korvex/testing/Processes.h"

namespace korvex::testing {

UserProgram::UserProgram(const PrivateBus& bus, const QString& program) {
    process_.setProcessEnvironment(bus.Environment());
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(BinDir() + QLatin1Char('/') + program, {});
    if (process_.waitForStarted(10000)) pid_ = process_.processId();
}

UserProgram::~UserProgram() { EndChild(process_); }

bool UserProgram::Terminate(int timeoutMs) {
    process_.terminate();
    if (!process_.waitForFinished(timeoutMs)) return false;
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

}  // namespace korvex::testing
