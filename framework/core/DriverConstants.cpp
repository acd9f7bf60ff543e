#include "framework/core/DriverConstants.h"

namespace korvex {
namespace {

const QString kAscomMissing =
    QStringLiteral("You need to install the ASCOM platform for this software to run");
const QString kAscomMissing551 = QStringLiteral(
    "You need to install the ASCOM 5.5.1 platform or newer for this software to run");

DriverConstants Rotator(Deliverable deliverable, int32_t port, const char* progId,
                        const char* portName) {
    return {deliverable,
            port,
            kind::Rotator,
            {progId},
            progId,
            {{"Rotator", progId}},
            QStringLiteral("Korvex Rotator (%1 port)").arg(portName),
            "Rotator slot not empty!",
            250,
            FirstWindowRule::A,
            kAscomMissing,
            true,
            0,
            {ReportBody::PromptOnly, true, "Korvex Rotator"}};
}

DriverConstants RelayBox(Deliverable deliverable, int32_t port, const QString& prefix,
                         bool withSwitch, const char* portName) {
    QStringList progIds{prefix + ".Dome"};
    QList<AscomRegistration> registrations{{"Dome", prefix + ".Dome"}};
    if (withSwitch) {
        progIds << prefix + ".Switch";
        registrations.append({"Switch", prefix + ".Switch"});
    }
    progIds << prefix + ".Help";
    return {deliverable,
            port,
            kind::RelayBox,
            progIds,
            progIds.first(),
            registrations,
            QStringLiteral("Korvex Quill (%1 port)").arg(portName),
            "Quill slot not empty!",
            0,
            FirstWindowRule::Normal,
            kAscomMissing551,
            false,
            9,
            {ReportBody::PromptOnly, true, "Korvex Quill"}};
}

}  // namespace

const DriverConstants& ConstantsFor(Deliverable deliverable) {
    static const DriverConstants table[] = {
        Rotator(Deliverable::Rotator, port::Main, "KorvexRotator.Rotator", "MAIN"),
        Rotator(Deliverable::Wexmoor, port::Exp, "KorvexEXPRotator.Rotator", "EXP"),
        Rotator(Deliverable::Hallowby, port::Third, "KorvexTHIRDRotator.Rotator", "THIRD"),
        {Deliverable::Brantley,
         port::Third,
         kind::Focuser,
         {"KorvexTHIRDFocuser.Focuser"},
         "KorvexTHIRDFocuser.Focuser",
         {{"Focuser", "KorvexTHIRDFocuser.Focuser"}},
         "Korvex Focuser (THIRD port)",
         "Focuser slot not empty!",
         250,
         FirstWindowRule::A,
         kAscomMissing551,
         true,
         0,
         {ReportBody::PromptOnly, true, "Korvex Focuser"}},
        RelayBox(Deliverable::Corrindale, port::Third, "Corrindale", true, "THIRD"),
        RelayBox(Deliverable::Ashgrove, port::Exp, "Ashgrove", false, "EXP"),
        {Deliverable::Dunmere,
         port::Third,
         kind::FilterWheel,
         {"KorvexTHIRDFW.FilterWheel"},
         "KorvexTHIRDFW.FilterWheel",
         {{"FilterWheel", "KorvexTHIRDFW.FilterWheel"}},
         "Korvex FilterWheel (THIRD port)",
         "Filter wheel slot not empty!",
         500,
         FirstWindowRule::A,
         kAscomMissing,
         false,
         9,
         {ReportBody::TextLinePrompt, true, "Korvex Filter Wheel"}},
        {Deliverable::Pellworth,
         port::Third,
         kind::PinByPin,
         {"KorvexTHIRDPinByPin.PinByPin"},
         "KorvexTHIRDPinByPin",
         {},
         {},
         "PinByPin slot not empty!",
         500,
         FirstWindowRule::B,
         {},
         false,
         9,
         {ReportBody::TextLinePrompt, false, "Korvex PinByPin"}},
    };
    for (const DriverConstants& constants : table) {
        if (constants.deliverable == deliverable) return constants;
    }
    return table[0];
}

int RefreshPeriodInterval(int storedMs) {
    return storedMs >= 10 && storedMs <= 60000 ? storedMs : 50;
}

int TimerInterval(const DriverConstants& constants, int storedRefreshMs) {
    return constants.timerIntervalMs > 0 ? constants.timerIntervalMs
                                         : RefreshPeriodInterval(storedRefreshMs);
}

bool FirstWindowMinimized(FirstWindowRule rule, bool startedByUser, bool startedMinimized) {
    switch (rule) {
        case FirstWindowRule::A:
            return startedByUser ? startedMinimized : true;
        case FirstWindowRule::B:
            return startedMinimized;
        case FirstWindowRule::Normal:
            return false;
    }
    return false;
}

}  // namespace korvex
