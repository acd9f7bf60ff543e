#include <gtest/gtest.h>

#include <QStringList>

#include "platform/tools/call/CallText.h"

namespace korvex::call {
namespace {

TEST(TypedArgument, TypesFollowTheText) {
    struct Case {
        const char* text;
        QVariant expected;
    };
    const Case cases[] = {
        {"True", true},
        {"false", false},
        {"TRUE", true},
        {"90", 90},
        {"-7", -7},
        {"+3", 3},
        {"2147483647", 2147483647},
        {"2147483648", QVariant(qlonglong(2147483648LL))},
        {"99999999999999999999", 1e20},
        {"1.5", 1.5},
        {"-0.25", -0.25},
        {".5", 0.5},
        {"3.", 3.0},
        {"2e3", 2000.0},
        {"abc", QStringLiteral("abc")},
        {"1.2.3", QStringLiteral("1.2.3")},
        {"nan", QStringLiteral("nan")},
        {"inf", QStringLiteral("inf")},
        {"0x10", QStringLiteral("0x10")},
        {"", QString()},
        {"Truex", QStringLiteral("Truex")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QVariant v = TypedArgument(QString::fromLatin1(c.text));
        EXPECT_EQ(v.metaType(), c.expected.metaType());
        EXPECT_EQ(v, c.expected);
    }
}

TEST(SplitLine, BlanksSeparateAndQuotesGroup) {
    QList<Token> tokens;
    ASSERT_TRUE(SplitLine(QStringLiteral("  call   Echo \"a  b\" \"\" x\t\"q\\\"\\\\\"  "), tokens,
                          nullptr));
    ASSERT_EQ(tokens.size(), 6);
    EXPECT_EQ(tokens[0].text, QStringLiteral("call"));
    EXPECT_FALSE(tokens[0].quoted);
    EXPECT_EQ(tokens[2].text, QStringLiteral("a  b"));
    EXPECT_TRUE(tokens[2].quoted);
    EXPECT_EQ(tokens[3].text, QString());
    EXPECT_TRUE(tokens[3].quoted);
    EXPECT_EQ(tokens[4].text, QStringLiteral("x"));
    EXPECT_EQ(tokens[5].text, QStringLiteral("q\"\\"));

    QString error;
    EXPECT_FALSE(SplitLine(QStringLiteral("call Echo \"open"), tokens, &error));
    EXPECT_EQ(error, QStringLiteral("unterminated quote"));
    ASSERT_TRUE(SplitLine(QStringLiteral("   "), tokens, nullptr));
    EXPECT_TRUE(tokens.isEmpty());
}

TEST(Output, PlainAndJsonForms) {
    struct Case {
        QVariant value;
        const char* plain;
        const char* json;
    };
    const Case cases[] = {
        {QVariant(), "", "null"},
        {true, "True\n", "true"},
        {false, "False\n", "false"},
        {90.0, "90\n", "90"},
        {0.025, "0.025\n", "0.025"},
        {-5, "-5\n", "-5"},
        {QVariant::fromValue<int16_t>(2), "2\n", "2"},
        {QStringLiteral("Korvex \"Q\""), "Korvex \"Q\"\n", "\"Korvex \\\"Q\\\"\""},
        {QVariantList{QStringLiteral("Filter 0"), QStringLiteral("Filter 1")},
         "Filter 0\nFilter 1\n", "[\"Filter 0\",\"Filter 1\"]"},
        {QVariantList{0, 0}, "0\n0\n", "[0,0]"},
        {QVariantList{}, "", "[]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(PlainText(c.value), QString::fromLatin1(c.plain));
        EXPECT_EQ(JsonText(c.value), QString::fromLatin1(c.json));
    }
}

}  // namespace
}  // namespace korvex::call
