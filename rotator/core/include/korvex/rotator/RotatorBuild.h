// The constants that tell the three rotator programs apart: one source, built once per port.
#pragma once

#include <cstdint>

#include "framework/core/DriverConstants.h"

namespace korvex::rotator {

struct RotatorBuild {
    Deliverable deliverable;
    int32_t port;        // passed to TKLSubArrives and to every stepper operation
    const char* progId;  // bus name, and the settings key under "Software\Vantaro\Korvex"
    const char* registrationDescription;
    int titleTextId;        // hand box title
    const char* titleText;  // its English text
};

// Rotator (MAIN, 0), Wexmoor (EXP, 1), Hallowby (THIRD, 2), in port order.
inline constexpr RotatorBuild kRotatorBuilds[] = {
    {Deliverable::Rotator, 0, "KorvexRotator.Rotator", "Korvex Rotator (MAIN port)", 229,
     "MAIN Korvex Rotator"},
    {Deliverable::Wexmoor, 1, "KorvexEXPRotator.Rotator", "Korvex Rotator (EXP port)", 230,
     "EXP Korvex Rotator"},
    {Deliverable::Hallowby, 2, "KorvexTHIRDRotator.Rotator", "Korvex Rotator (THIRD port)", 235,
     "THIRD Korvex Rotator"},
};

// The build of a port; null for a port outside 0..2.
const RotatorBuild* RotatorBuildForPort(int32_t port);

// The build of a rotator deliverable; null for the other deliverables.
const RotatorBuild* RotatorBuildFor(Deliverable deliverable);

}  // namespace korvex::rotator
