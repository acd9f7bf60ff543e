#include "korvex/rotator/RotatorDevice.h"

#include <QStringList>

#include "framework/core/KorvexError.h"
#include "korvex/rotator/RotatorNumbers.h"

namespace korvex::rotator {

RotatorDevice::RotatorDevice(RotatorState& state, OuterWorldControl& owc, const LinkTable& link,
                             CallSpyHolder& spy, QString versionText)
    : state_(state), owc_(owc), link_(link), spy_(spy), versionText_(std::move(versionText)) {}

QString RotatorDevice::Description() const {
    return QStringLiteral("Vantaro's Korvex Rotator driver");
}

QString RotatorDevice::DriverInfo() const {
    return QStringLiteral("Korvex Rotator driver ver. ") + versionText_;
}

int16_t RotatorDevice::InterfaceVersion() const { return 1; }

QString RotatorDevice::name() const { return QStringLiteral("Korvex Rotator"); }

QString RotatorDevice::DriverVersion() const {
    const QStringList parts = versionText_.split(QLatin1Char('.'));
    return parts.value(0, QStringLiteral("0")) + QLatin1Char('.') +
           parts.value(1, QStringLiteral("0"));
}

bool RotatorDevice::IsMoving() {
    if (CallSpy* spy = Spy(SpyCategory::IsMoving)) {
        spy->TrafficChar(QStringLiteral("IsMoving: ") + BoolText(state_.moving));
    }
    CheckConnected();
    return state_.moving;
}

bool RotatorDevice::Connected() {
    const int32_t up = link_.TKLCommIsUp ? link_.TKLCommIsUp() : 0;
    if (CallSpy* spy = Spy(SpyCategory::OtherCalls)) {
        // The spy shows a second reading of the link, as taken when the line is written.
        const int32_t again = link_.TKLCommIsUp ? link_.TKLCommIsUp() : 0;
        spy->TrafficLine(QStringLiteral("Connected: ") + QString::number(again));
    }
    return up != 0;
}

void RotatorDevice::SetConnected(bool value) {
    if (!link_.traza) return;
    const QString line = QStringLiteral("ASCOM: let Connected ") +
                         (value ? QStringLiteral("T") : QStringLiteral("F")) +
                         QStringLiteral(" ignored, automanaged");
    link_.traza(line.toUtf8().constData());
}

float RotatorDevice::Position() {
    const auto value = static_cast<float>(state_.position);
    if (CallSpy* spy = Spy(SpyCategory::OtherCalls)) {
        spy->TrafficLine(QStringLiteral("Position: ") + DefaultText(value));
    }
    return value;
}

float RotatorDevice::TargetPosition() {
    const auto value = static_cast<float>(state_.targetPosition);
    if (CallSpy* spy = Spy(SpyCategory::OtherCalls)) {
        spy->TrafficLine(QStringLiteral("Target Position: ") + DefaultText(value));
    }
    return value;
}

float RotatorDevice::StepSize() {
    const auto value = static_cast<float>(1.0 / UsableStepsPerDegree(state_.stepsPerDegree));
    if (CallSpy* spy = Spy(SpyCategory::OtherCalls)) {
        spy->TrafficLine(QStringLiteral("StepSize: ") + DefaultText(value));
    }
    return value;
}

bool RotatorDevice::CanReverse() {
    if (CallSpy* spy = Spy(SpyCategory::TempRelated))
        spy->TrafficStart(QStringLiteral("CanReverse: True"));
    return true;
}

bool RotatorDevice::Reverse() {
    const bool reverse = (state_.wiringMode & 1) != 0;
    if (CallSpy* spy = Spy(SpyCategory::TempRelated)) {
        spy->TrafficStart(QStringLiteral("GetReverse") + BoolText(reverse));
    }
    return reverse;
}

void RotatorDevice::SetReverse(bool value) {
    if (CallSpy* spy = Spy(SpyCategory::TempRelated)) {
        spy->TrafficStart(QStringLiteral("LetReverse: ") + BoolText(value));
    }
    // Bit 0 is the reverse flag; bit 1 (the wiring family) is kept.
    state_.wiringMode = value ? (state_.wiringMode | 1) : (state_.wiringMode & 2);
    owc_.PushConfiguration();
}

void RotatorDevice::Halt() {
    if (CallSpy* spy = Spy(SpyCategory::MoveHalt)) spy->TrafficStart(QStringLiteral("Halt"));
    owc_.HaltRotator();
    CheckConnected();
    if (CallSpy* spy = Spy(SpyCategory::MoveHalt)) spy->TrafficEnd(QStringLiteral(" (done)"));
}

void RotatorDevice::SetupDialog() {
    if (CallSpy* spy = Spy(SpyCategory::OtherCalls))
        spy->TrafficStart(QStringLiteral("SetupDialog"));
    if (showSetup_) showSetup_();
    // Looked up again: the spy window may have been opened or closed while the dialog ran.
    if (CallSpy* spy = Spy(SpyCategory::OtherCalls)) spy->TrafficEnd(QStringLiteral(" (done)"));
}

void RotatorDevice::Move(double delta) {
    if (CallSpy* spy = Spy(SpyCategory::MoveHalt)) {
        spy->TrafficStart(QStringLiteral("Move: ") + DefaultText(delta));
    }
    CheckConnected();
    double target = state_.position + delta;
    owc_.GotoAngle(target);
}

void RotatorDevice::MoveAbsolute(double angle) {
    if (CallSpy* spy = Spy(SpyCategory::MoveHalt)) {
        spy->TrafficStart(QStringLiteral("MoveAbsolute: ") + DefaultText(angle));
    }
    CheckConnected();
    owc_.GotoAngle(angle);
}

void RotatorDevice::CheckConnected() const {
    if (link_.TKLCommIsUp && link_.TKLCommIsUp() == -1) return;
    throw KorvexError(err::NotConnected, QString::fromLatin1(kErrorSource),
                      QString::fromLatin1(kNotConnectedText));
}

}  // namespace korvex::rotator
