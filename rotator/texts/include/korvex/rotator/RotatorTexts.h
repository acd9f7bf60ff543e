// The rotator program's string table: text id -> English (language 9) and Spanish (3082),
// complete in both languages. One table serves the three port builds; the hand box title id
// differs per build (229 MAIN, 230 EXP, 235 THIRD: RotatorBuild::titleTextId).
#pragma once

#include "framework/core/MlStringModule.h"

namespace korvex::rotator {

// Every row, ordered by id, ids unique.
const StringTable& RotatorStringTable();

// Ids of the rotator's own messages that carry no number elsewhere.
namespace txt {
inline constexpr int GotoRange = 300;            // hand box GoTo outside 0..360
inline constexpr int StepsPerDegreeBad = 301;    // setup: steps per degree not a positive number
inline constexpr int StepsPerDegreeTitle = 302;  // its title
}  // namespace txt

}  // namespace korvex::rotator
