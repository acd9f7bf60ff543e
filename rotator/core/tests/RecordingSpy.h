// A call spy window stand-in that records each write with its kind.
#pragma once

#include <QString>
#include <QStringList>
#include <set>

#include "framework/core/CallSpy.h"

namespace korvex::rotator::testing {

class RecordingSpy final : public CallSpy {
  public:
    void TrafficStart(const QString& text) override { writes << QStringLiteral("Start:") + text; }
    void TrafficLine(const QString& text) override { writes << QStringLiteral("Line:") + text; }
    void TrafficChar(const QString& text) override { writes << QStringLiteral("Char:") + text; }
    void TrafficEnd(const QString& text) override { writes << QStringLiteral("End:") + text; }
    bool IsTicked(SpyCategory category) const override { return ticked.count(category) != 0; }

    void TickAll() {
        ticked = {SpyCategory::MoveHalt, SpyCategory::IsMoving, SpyCategory::TempRelated,
                  SpyCategory::OtherCalls};
    }

    std::set<SpyCategory> ticked;
    QStringList writes;  // "Start:Halt", "Line:RotatorHalt ", "End: (done)", ...
};

}  // namespace korvex::rotator::testing
