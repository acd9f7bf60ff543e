// The rotator program's string table: text id -> English (language 9) and Spanish (3082).
// One table serves the three port builds; only the hand box title id differs per build.
#pragma once

#include <span>

namespace korvex::rotator {

struct TextRow {
    int id;
    const char* english;  // UTF-8
    const char* spanish;  // UTF-8; complete for every id
};

// Every row of the table, ordered by id, ids unique.
std::span<const TextRow> RotatorTextRows();

// Title text id of the hand box per port build: 229 MAIN (0), 230 EXP (1), 235 THIRD (2).
// Any other port gives the MAIN title.
int TitleTextId(int port);

// Ids for the rotator's own messages that carry no number elsewhere.
namespace txt {
inline constexpr int GotoRange = 300;           // hand box GoTo outside 0..360
inline constexpr int StepsPerDegreeBad = 301;   // setup: steps per degree not a positive number
inline constexpr int StepsPerDegreeTitle = 302; // its title
}  // namespace txt

}  // namespace korvex::rotator
