#include "korvex/rotator/RotatorBuild.h"

namespace korvex::rotator {

const RotatorBuild* RotatorBuildForPort(int32_t port) {
    for (const RotatorBuild& build : kRotatorBuilds) {
        if (build.port == port) return &build;
    }
    return nullptr;
}

const RotatorBuild* RotatorBuildFor(Deliverable deliverable) {
    for (const RotatorBuild& build : kRotatorBuilds) {
        if (build.deliverable == deliverable) return &build;
    }
    return nullptr;
}

}  // namespace korvex::rotator
