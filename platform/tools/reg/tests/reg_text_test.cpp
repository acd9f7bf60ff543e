#include "reg_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

using korvex::reg::ExportText;
using korvex::reg::ParseText;
using korvex::store::Entry;

namespace {

// Entries that stress the text form: every escape, raw non-ASCII, awkward keys.
std::vector<Entry> Awkward() {
    return {
        {"Software\\Vantaro\\Korvex\\KorvexRotator.Rotator", "AlwaysOnTop", "1"},
        {"Software\\Vantaro\\Korvex\\KorvexRotator.Rotator", "", "Korvex Rotator"},
        {"Software\\Vantaro\\Korvex\\KorvexRotator.Rotator", "Empty", ""},
        {"Software\\Vantaro\\Korvex\\new\\x41", "Literal", "C:\\new\\x41 \\\\ \\\""},
        {"Software\\Vantaro\\Korvex\\Quotes", "say \"hi\"", "\"quoted\" = \"x\""},
        {"Software\\Vantaro\\Korvex\\Multi", "Lines", "one\ntwo\r\nthree\ttab"},
        {"Software\\Vantaro\\Korvex\\Bytes", "Controls", std::string("\0\x01\x1F\x7F", 4)},
        {"Software\\Vantaro\\Korvex\\Texto", "Título", "¡Atención! Configuración 回転 🔭"},
        {"Key with ] and [brackets]", "  spaced  ", "  "},
        {"\"starts with a quote", "n", "v"},
        {"line\nbreak in key", "n", "v"},
        {"", "EmptyKey", "v"},
    };
}

TEST(RegTextTest, ExportThenParseGivesTheSameEntries) {
    const std::string text = ExportText(Awkward());
    std::vector<Entry> parsed;
    std::string error;
    ASSERT_TRUE(ParseText(text, &parsed, &error)) << error << "\n" << text;
    EXPECT_EQ(ExportText(parsed), text);
    auto sorted = [](std::vector<Entry> v) {
        std::sort(v.begin(), v.end(), [](const Entry& a, const Entry& b) {
            return std::tie(a.key, a.name) < std::tie(b.key, b.name);
        });
        return v;
    };
    EXPECT_EQ(sorted(parsed), sorted(Awkward()));
}

TEST(RegTextTest, PlainStoreReadsLikeARegistryFile) {
    const std::string text = ExportText({
        {"Software\\Vantaro\\Korvex\\B", "x", "a\\b"},
        {"Software\\Vantaro\\Korvex\\A", "Position", "12,5"},
        {"Software\\Vantaro\\Korvex\\A", "", "Ñandú"},
    });
    EXPECT_EQ(text,
              "; Korvex settings store\n"
              "\n[Software\\Vantaro\\Korvex\\A]\n"
              "\"\"=\"Ñandú\"\n"
              "\"Position\"=\"12,5\"\n"
              "\n[Software\\Vantaro\\Korvex\\B]\n"
              "\"x\"=\"a\\\\b\"\n");
}

TEST(RegTextTest, AcceptsCommentsBlankLinesAndCrLf) {
    std::vector<Entry> parsed;
    std::string error;
    ASSERT_TRUE(ParseText("# made by hand\r\n\r\n[K]\r\n; note\r\n\"a\"=\"1\"  \r\n\"b\"=\"\\x41\"",
                          &parsed, &error))
        << error;
    EXPECT_EQ(parsed, (std::vector<Entry>{{"K", "a", "1"}, {"K", "b", "A"}}));
}

TEST(RegTextTest, MalformedLinesAreRejectedWithTheirNumber) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"\"a\"=\"1\"", "line 1: a value before the first [key] line"},
        {"[K]\n\"a\"=\"1", "line 2: unterminated quoted text"},
        {"[K]\n\n\"a\" \"1\"", "line 3: expected = after the name"},
        {"[K]\n\"a\"=1", "line 2: expected a quoted text"},
        {"[K]\n\"a\"=\"1\" extra", "line 2: text after the value"},
        {"[K]\n\"a\"=\"\\q\"", "line 2: unknown escape \\q"},
        {"[K]\n\"a\"=\"\\x4\"", "line 2: \\x needs two hexadecimal digits"},
        {"[K]\n\"a\"=\"\\", "line 2: unterminated quoted text"},
        {"[K", "line 1: a key line must end with ]"},
        {"[\"K\" x]", "line 1: text after the quoted key"},
        {" \"a\"=\"1\"", "line 1: a value before the first [key] line"},
    };
    for (const auto& c : cases) {
        std::vector<Entry> parsed;
        std::string error;
        EXPECT_FALSE(ParseText(c.text, &parsed, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

}  // namespace
