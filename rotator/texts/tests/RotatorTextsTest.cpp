#include "korvex/rotator/RotatorTexts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace korvex::rotator {
namespace {

const TextRow* Find(int id) {
    for (const TextRow& row : RotatorTextRows()) {
        if (row.id == id) return &row;
    }
    return nullptr;
}

TEST(RotatorTexts, EveryIdHasBothTextsAndIdsAreUniqueAndOrdered) {
    int previous = 0;
    for (const TextRow& row : RotatorTextRows()) {
        SCOPED_TRACE(row.id);
        EXPECT_GT(row.id, previous);
        previous = row.id;
        ASSERT_NE(row.english, nullptr);
        ASSERT_NE(row.spanish, nullptr);
        EXPECT_GT(std::strlen(row.english), 0u);
        EXPECT_GT(std::strlen(row.spanish), 0u);
    }
}

// Every id the windows, messages and framework windows of this program ask for.
TEST(RotatorTexts, HoldsEveryIdTheProgramUses) {
    const std::set<int> used = {
        98,  99,  100, 101, 102, 114, 124, 125, 126, 127, 128, 129, 136, 137, 145, 149, 150,
        160, 161, 162, 163, 164, 165, 166, 167, 168, 169, 170, 171, 172, 173, 174, 175, 176,
        177, 178, 186, 188, 189, 190, 191, 193, 194, 199, 200, 201, 202, 203, 204, 206, 207,
        208, 209, 210, 211, 212, 213, 215, 216, 217, 218, 219, 220, 221, 222, 223, 224, 225,
        226, 227, 228, 229, 230, 231, 232, 233, 234, 235, 236, 237, 238, 239, 240, 241, 242,
        243, 244, 245, 246, 247, 248, 249, 250, 251, 252, 253, 254, 255, 256, 257, 258, 259,
        260, 261, 262, 263, 264, 265, 266, 267, 268, 269, 270, txt::GotoRange,
        txt::StepsPerDegreeBad, txt::StepsPerDegreeTitle};
    for (int id : used) EXPECT_NE(Find(id), nullptr) << "missing id " << id;
}

TEST(RotatorTexts, QuotedRowsAreExact) {
    struct Case {
        int id;
        const char* english;
        const char* spanish;
    };
    const Case cases[] = {
        {124, "You need to install the ASCOM platform for this software to run",
         "Necesita instalar la plataforma ASCOM"},
        {126, "Attention!", "¡Atención!"},
        {150, "Configuration", "Configuración"},
        {206, "STOP!", "¡PARAR!"},
        {207, "Less <<", "Menos <<"},
        {217, "More >>", "Más >>"},
        {218, "Step (", "Paso ("},
        {229, "MAIN Korvex Rotator", "MAIN Rotador Korvex"},
        {231, "There are still ", "Hay todavía "},
        {232, " connections active, closing now", " conexiones activas, cerrar ahora"},
        {262, "Invalid position", "Posición errónea"},
    };
    for (const Case& c : cases) {
        const TextRow* row = Find(c.id);
        ASSERT_NE(row, nullptr) << c.id;
        EXPECT_STREQ(row->english, c.english);
        EXPECT_STREQ(row->spanish, c.spanish);
    }
    // Embedded quotes and leading/trailing spaces survive.
    EXPECT_STREQ(Find(167)->english,
                 "time (us) between steps at max speed. Should be smaller than \"Min:\". 3000 to "
                 "1000 are usually good values.");
    EXPECT_STREQ(Find(199)->english, "About Korvex Camera Rotator ");
}

TEST(RotatorTexts, TitlePerPortBuild) {
    EXPECT_EQ(TitleTextId(0), 229);
    EXPECT_EQ(TitleTextId(1), 230);
    EXPECT_EQ(TitleTextId(2), 235);
    EXPECT_STREQ(Find(230)->english, "EXP Korvex Rotator");
    EXPECT_STREQ(Find(235)->english, "THIRD Korvex Rotator");
}

}  // namespace
}  // namespace korvex::rotator
