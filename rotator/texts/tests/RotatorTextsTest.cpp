#include <gtest/gtest.h>

#include <set>

#include "korvex/rotator/RotatorTexts.h"

namespace korvex::rotator {
namespace {

TEST(RotatorTexts, EveryIdHasBothTexts) {
    const QStringList problems = StringTableProblems(RotatorStringTable());
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
}

TEST(RotatorTexts, IdsAreOrderedAndUnique) {
    int previous = 0;
    for (const TextEntry& row : RotatorStringTable().Entries()) {
        EXPECT_GT(row.id, previous);
        previous = row.id;
    }
}

// Every id the hand box, the configuration dialog, their messages, start-up, the call spy and
// the About box ask the rotator's table for.
TEST(RotatorTexts, HoldsEveryIdTheProgramUses) {
    // clang-format off
    const std::set<int> used = {
        98,  99,  100, 101, 102, 114, 124, 125, 126, 127, 128, 129, 136, 137, 145, 149, 150,
        160, 161, 162, 163, 164, 165, 166, 167, 168, 169, 170, 171, 172, 173, 174, 175, 176,
        177, 178, 186, 188, 189, 190, 191, 193, 194, 199, 200, 201, 202, 203, 204, 206, 207,
        208, 209, 210, 211, 212, 213, 215, 216, 217, 218, 219, 220, 221, 222, 223, 224, 225,
        226, 227, 228, 229, 230, 231, 232, 233, 234, 235, 236, 237, 238, 239, 240, 241, 242,
        243, 244, 245, 246, 247, 248, 249, 250, 251, 252, 253, 254, 255, 256, 257, 258, 259,
        260, 261, 262, 263, 264, 265, 266, 267, 268, 269, 270, txt::GotoRange,
        txt::StepsPerDegreeBad, txt::StepsPerDegreeTitle};
    // clang-format on
    for (int id : used) EXPECT_NE(RotatorStringTable().Find(id), nullptr) << "missing id " << id;
}

// Rows whose English and Spanish are fixed, read through the lookup the windows use.
TEST(RotatorTexts, FixedRowsInBothLanguages) {
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
        {230, "EXP Korvex Rotator", nullptr},
        {235, "THIRD Korvex Rotator", nullptr},
        {231, "There are still ", "Hay todavía "},
        {232, " connections active, closing now", " conexiones activas, cerrar ahora"},
        {262, "Invalid position", "Posición errónea"},
        {199, "About Korvex Camera Rotator ", nullptr},
        {167,
         "time (us) between steps at max speed. Should be smaller than \"Min:\". 3000 to 1000 "
         "are usually good values.",
         nullptr},
    };
    MlStringModule texts(RotatorStringTable());
    texts.InitTexts();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        texts.SetLanguage(kLanguageEnglish);
        EXPECT_EQ(texts.GetText(c.id, "?"), QString::fromUtf8(c.english));
        if (c.spanish) {
            texts.SetLanguage(kLanguageSpanish);
            EXPECT_EQ(texts.GetText(c.id, "?"), QString::fromUtf8(c.spanish));
        }
    }
}

}  // namespace
}  // namespace korvex::rotator
