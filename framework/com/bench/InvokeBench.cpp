// Round trip of Invoke ("get Position") to the minimal driver program over the session bus,
// beside a bare org.freedesktop.DBus.Peer.Ping to the same program (answered by its bus
// library without reaching the server code): their ratio is what the server adds.
// Run under its own bus:
//   dbus-run-session -- build/bench/com_invoke_bench
//       --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <cstdio>

#include "framework/com/WireValue.h"

namespace {

const QString kProgId = QStringLiteral("KorvexTest.Device");
QString objectPath;

void BM_InvokeGet(benchmark::State& state) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage invoke = QDBusMessage::createMethodCall(
        kProgId, objectPath, QStringLiteral("org.korvex.Dispatch"), QStringLiteral("Invoke"));
    invoke << QStringLiteral("get") << QStringLiteral("Position") << QVariant(QVariantList());
    for (auto _ : state) {
        const QDBusMessage reply = bus.call(invoke);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            state.SkipWithError(qPrintable(reply.errorMessage()));
            break;
        }
        benchmark::DoNotOptimize(reply);
    }
}
BENCHMARK(BM_InvokeGet)->UseRealTime();

void BM_PeerPing(benchmark::State& state) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        kProgId, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.Peer"),
        QStringLiteral("Ping"));
    for (auto _ : state) {
        const QDBusMessage reply = bus.call(ping);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            state.SkipWithError(qPrintable(reply.errorMessage()));
            break;
        }
        benchmark::DoNotOptimize(reply);
    }
}
BENCHMARK(BM_PeerPing)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    korvex::com::RegisterWireTypes();

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no session bus: run under dbus-run-session\n");
        return 2;
    }
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedChannels);
    server.start(QStringLiteral(KORVEX_COM_TESTSERVER), {});
    QDeadlineTimer deadline(20000);
    while (!bus.interface()->isServiceRegistered(kProgId).value()) {
        if (deadline.hasExpired() || server.state() == QProcess::NotRunning) {
            std::fprintf(stderr, "the test server did not start\n");
            return 2;
        }
        QThread::msleep(20);
    }
    const QDBusMessage created = bus.call(QDBusMessage::createMethodCall(
        kProgId, QStringLiteral("/"), QStringLiteral("org.korvex.ClassFactory"),
        QStringLiteral("CreateObject")));
    if (created.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "CreateObject failed: %s\n", qPrintable(created.errorMessage()));
        return 2;
    }
    objectPath = created.arguments().first().value<QDBusObjectPath>().path();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    bus.call(QDBusMessage::createMethodCall(
        kProgId, objectPath, QStringLiteral("org.korvex.Dispatch"), QStringLiteral("Release")));
    server.terminate();
    if (!server.waitForFinished(5000)) server.kill();
    return 0;
}
