// The logic of the Rotator device class, independent of the bus: every client object of the
// process shares one RotatorDevice, since the class holds no state of its own. The bus binding
// maps each member below onto the class's member table.
//
// Commands write their call spy line first (when the spy window exists and the call's category
// is ticked), then run the not-connected guard, then act.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "framework/core/CallSpy.h"
#include "korvex/rotator/OuterWorldControl.h"
#include "korvex/rotator/RotatorState.h"
#include "tkl_table.h"

namespace korvex::rotator {

inline constexpr auto kErrorSource = "Korvex Rotator Control";
inline constexpr auto kNotConnectedText = "The Rotator is not connected";

class RotatorDevice {
  public:
    // Every reference must outlive this object. `versionText` is "major.minor.revision".
    RotatorDevice(RotatorState& state, OuterWorldControl& owc, const LinkTable& link,
                  CallSpyHolder& spy, QString versionText);

    // Runs the configuration dialog modally (ShowSetup); SetupDialog returns when it closes.
    void SetShowSetup(std::function<void()> showSetup) { showSetup_ = std::move(showSetup); }

    // Members in the order of the class's interface.
    QString Description() const;       // "Vantaro's Korvex Rotator driver"
    QString DriverInfo() const;        // "Korvex Rotator driver ver. " + major.minor.revision
    int16_t InterfaceVersion() const;  // 1
    QString name() const;              // "Korvex Rotator"
    QString DriverVersion() const;     // major.minor
    bool IsMoving();                   // spy IsMoving; check
    bool Connected();                  // TKLCommIsUp() non-zero; spy Other Calls; no check
    void SetConnected(bool value);     // traced and ignored: the link is managed by the driver
    float Position();                  // degrees; spy Other Calls; no check
    float TargetPosition();            // degrees; spy Other Calls; no check
    float StepSize();                  // 1 / steps per degree; spy Other Calls; no check
    bool CanReverse();                 // true; spy Temp Related
    bool Reverse();                    // bit 0 of the wiring mode; spy Temp Related
    void SetReverse(bool value);       // sets or clears bit 0, then PushConfiguration
    void Halt();                       // spy Move / Halt; halt; check; " (done)"
    void SetupDialog();                // spy Other Calls; the dialog; " (done)"
    void Move(double delta);           // spy Move / Halt; check; go to position + delta
    void MoveAbsolute(double angle);   // spy Move / Halt; check; go to angle

    // Throws KorvexError 0x80040402 ("Korvex Rotator Control", "The Rotator is not connected")
    // unless TKLCommIsUp() returns -1.
    void CheckConnected() const;

  private:
    CallSpy* Spy(SpyCategory category) const { return spy_.For(category); }

    RotatorState& state_;
    OuterWorldControl& owc_;
    const LinkTable& link_;
    CallSpyHolder& spy_;
    QString versionText_;
    std::function<void()> showSetup_;
};

}  // namespace korvex::rotator
