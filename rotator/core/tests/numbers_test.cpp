// Rounding, number texts and the per-build constants.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/core/DriverConstants.h"
#include "framework/core/VantaroUtils.h"
#include "korvex/rotator/RotatorBuild.h"
#include "korvex/rotator/RotatorNumbers.h"
#include "korvex/rotator/RotatorTexts.h"

namespace korvex::rotator {
namespace {

TEST(RotatorNumbers, RoundHalfEven) {
    struct Case {
        double in;
        double out;
    };
    for (const Case c : {Case{2.5, 2}, Case{3.5, 4}, Case{-2.5, -2}, Case{-3.5, -4}, Case{0.5, 0},
                         Case{1.5, 2}, Case{2.4999, 2}, Case{-7199.996, -7200}, Case{7.0, 7}}) {
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
    }
}

TEST(RotatorNumbers, RoundToInt32SaturatesAndNeverFails) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(RoundToInt32(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundToInt32(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(RoundToInt32(inf), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundToInt32(std::nan("")), 0);
    EXPECT_EQ(RoundToInt32(3600.5), 3600);
}

TEST(RotatorNumbers, DefaultTextForm) {
    struct Case {
        double value;
        const char* text;
    };
    for (const Case c :
         {Case{90, "90"}, Case{0.025, "0.025"}, Case{-30, "-30"}, Case{-0.0, "0"}, Case{380, "380"},
          Case{1.0 / 3, "0.333333333333333"}, Case{0.00001, "1E-05"}, Case{0.1 + 0.2, "0.3"}}) {
        EXPECT_EQ(DefaultText(c.value), c.text) << c.value;
    }
    EXPECT_EQ(DefaultText(0.025f), "0.025");
    EXPECT_EQ(DefaultText(static_cast<float>(1.0 / 3)), "0.3333333");
}

TEST(RotatorNumbers, SettingTextReadsBack) {
    for (double v : {180.0, 180.0001, 180 + 0.0001, 12.5, 0.00001, 41.37, 359.0, 123456.789}) {
        const QString text = SettingText(v);
        EXPECT_FALSE(text.contains(QLatin1Char('E')) || text.contains(QLatin1Char('e'))) << v;
        EXPECT_NEAR(StrToDouble(text, -1), v, std::fabs(v) * 1e-14) << text.toStdString();
    }
    EXPECT_EQ(SettingText(180 + 0.0001), "180.0001");
    EXPECT_EQ(SettingText(40), "40");
}

TEST(RotatorBuilds, MatchTheDriverConstantsAndTitles) {
    for (const RotatorBuild& build : kRotatorBuilds) {
        const DriverConstants& constants = ConstantsFor(build.deliverable);
        EXPECT_EQ(build.port, constants.port) << build.progId;
        EXPECT_EQ(QString::fromLatin1(build.progId), constants.progIds.value(0));
        EXPECT_EQ(QString::fromLatin1(build.progId), constants.settingsKey);
        EXPECT_EQ(QString::fromLatin1(build.registrationDescription),
                  constants.registrationDescription);
        const TextEntry* title = RotatorStringTable().Find(build.titleTextId);
        ASSERT_NE(title, nullptr) << build.progId;
        EXPECT_STREQ(title->english, build.titleText);
        EXPECT_EQ(RotatorBuildForPort(build.port), &build);
        EXPECT_EQ(RotatorBuildFor(build.deliverable), &build);
    }
    EXPECT_EQ(RotatorBuildForPort(3), nullptr);
    EXPECT_EQ(RotatorBuildFor(Deliverable::Brantley), nullptr);
}

}  // namespace
}  // namespace korvex::rotator
