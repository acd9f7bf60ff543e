#include "korvex/store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <string>
#include <vector>

#include "temp_home.h"

namespace store = korvex::store;

namespace {

constexpr const char* kKey = "Software\\Vantaro\\Korvex\\KorvexRotator.Rotator";

using StoreTest = TempHome;

// Reads through the C interface with a buffer far larger than any test value.
std::string ReadWhole(const char* key, const char* name) {
    std::array<char, 4096> buffer{};
    int32_t length = static_cast<int32_t>(buffer.size());
    EXPECT_EQ(store::ReadValue(key, name, buffer.data(), &length), store::kOk) << name;
    return std::string(buffer.data(), static_cast<size_t>(length));
}

TEST_F(StoreTest, ValuesRoundTripExactly) {
    const std::vector<std::string> values = {
        "1",
        "",
        "   ",
        "12,5",
        "¡Atención! Configuración",
        "Ротатор 回転 \xF0\x9F\x94\xAD",  // Cyrillic, CJK, a 4-byte character
        "C:\\path\\\"quoted\" 'single'",
        "line one\nline two\r\n\ttabbed",
        std::string(300, 'x'),
    };
    for (size_t i = 0; i < values.size(); ++i) {
        std::string name = "Value" + std::to_string(i);
        ASSERT_EQ(store::SaveValue(kKey, name.c_str(), values[i].c_str()), store::kOk)
            << store::LastError();
    }
    for (size_t i = 0; i < values.size(); ++i) {
        std::string name = "Value" + std::to_string(i);
        EXPECT_EQ(ReadWhole(kKey, name.c_str()), values[i]);
        EXPECT_EQ(store::Get(kKey, name), values[i]);
    }
    // A value holding a NUL byte survives the C++ interface.
    const std::string withNul("a\0b", 3);
    ASSERT_TRUE(store::Set(kKey, "Nul", withNul));
    EXPECT_EQ(store::Get(kKey, "Nul"), withNul);
}

TEST_F(StoreTest, SaveOverwritesAndKeysAreCaseSensitive) {
    ASSERT_EQ(store::SaveValue(kKey, "Position", "100"), store::kOk);
    ASSERT_EQ(store::SaveValue(kKey, "Position", "250"), store::kOk);
    ASSERT_EQ(store::SaveValue(kKey, "position", "7"), store::kOk);
    ASSERT_TRUE(store::Set("software\\vantaro\\korvex\\korvexrotator.rotator", "Position", "9"));

    EXPECT_EQ(ReadWhole(kKey, "Position"), "250");
    EXPECT_EQ(ReadWhole(kKey, "position"), "7");
    using Values = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(store::ListValues(kKey), (Values{{"Position", "250"}, {"position", "7"}}));
    EXPECT_EQ(store::ListKeys().size(), 2u);
}

// The framework reads with a bigger buffer and keeps 80 characters; here the byte room itself.
struct TruncationCase {
    const char* label;
    std::string value;
    int32_t room;
    size_t copied;  // bytes expected in the buffer
    bool terminated;
};

TEST_F(StoreTest, ReadValueCutsOnCharacterBoundaryAndReportsFullLength) {
    const std::string ene = "\xC3\xB1";            // ñ, 2 bytes
    const std::string scope = "\xF0\x9F\x94\xAD";  // 4 bytes
    std::string enes = "a";
    for (int i = 0; i < 40; ++i) enes += ene;  // 81 bytes; byte 80 is mid-ñ
    const std::vector<TruncationCase> cases = {
        {"short value", "abc", 80, 3, true},
        {"exact fit", std::string(80, 'x'), 80, 80, false},
        {"one byte over", std::string(81, 'x'), 80, 80, false},
        {"long ascii", std::string(200, 'x'), 80, 80, false},
        {"two-byte split", enes, 80, 79, true},
        {"four-byte split", std::string(78, 'a') + scope, 80, 78, true},
        {"four-byte split late", std::string(77, 'a') + scope, 80, 77, true},
        {"four-byte fits", std::string(76, 'a') + scope, 80, 80, false},
        {"zero room", "abc", 0, 0, false},
        {"negative room", "abc", -5, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(store::Set(kKey, c.label, c.value));
        std::array<char, 256> buffer;
        buffer.fill('#');
        int32_t length = c.room;
        ASSERT_EQ(store::ReadValue(kKey, c.label, buffer.data(), &length), store::kOk);
        EXPECT_EQ(length, static_cast<int32_t>(c.value.size()));
        EXPECT_EQ(std::string(buffer.data(), c.copied), c.value.substr(0, c.copied));
        size_t next = c.copied;
        if (c.terminated) {
            EXPECT_EQ(buffer[next++], '\0');
        }
        EXPECT_EQ(buffer[next], '#') << "wrote past the copied text";
    }
}

TEST_F(StoreTest, MissingValueFailsAndLeavesBufferAlone) {
    ASSERT_TRUE(store::Set(kKey, "Present", "1"));
    for (const char* key : {kKey, "Software\\Vantaro\\Korvex\\Nobody"}) {
        SCOPED_TRACE(key);
        char buffer[8] = "keepme";
        int32_t length = 8;
        EXPECT_EQ(store::ReadValue(key, "Absent", buffer, &length), store::kMissing);
        EXPECT_STREQ(buffer, "keepme");
        EXPECT_EQ(length, 8);
        EXPECT_EQ(store::Get(key, "Absent"), std::nullopt);
        EXPECT_EQ(store::LastError(), "") << "a missing value is not a store failure";
        EXPECT_FALSE(store::Delete(key, "Absent"));
    }
}

TEST_F(StoreTest, NullArgumentsFailWithoutWriting) {
    char buffer[80];
    int32_t length = 80;
    EXPECT_EQ(store::ReadValue(nullptr, "n", buffer, &length), store::kBadArgument);
    EXPECT_EQ(store::ReadValue(kKey, nullptr, buffer, &length), store::kBadArgument);
    EXPECT_EQ(store::ReadValue(kKey, "n", nullptr, &length), store::kBadArgument);
    EXPECT_EQ(store::ReadValue(kKey, "n", buffer, nullptr), store::kBadArgument);
    EXPECT_EQ(store::SaveValue(nullptr, "n", "v"), store::kBadArgument);
    EXPECT_EQ(store::SaveValue(kKey, nullptr, "v"), store::kBadArgument);
    EXPECT_EQ(store::SaveValue(kKey, "n", nullptr), store::kBadArgument);
    EXPECT_EQ(store::ListAll(), std::vector<store::Entry>{});
}

TEST_F(StoreTest, DeleteRemovesOnlyWhatItNames) {
    const std::string sub = std::string(kKey) + "\\Default";
    ASSERT_TRUE(store::SetMany({{kKey, "A", "1"}, {kKey, "B", "2"}, {sub, "A", "3"}}));

    EXPECT_TRUE(store::Delete(kKey, "A"));
    EXPECT_EQ(store::Get(kKey, "A"), std::nullopt);
    EXPECT_EQ(store::Get(sub, "A"), "3");

    EXPECT_EQ(store::DeleteKey(kKey), 1);  // B only; the subkey is a key of its own
    EXPECT_EQ(store::ListKeys(), std::vector<std::string>{sub});
    EXPECT_EQ(store::DeleteKey(kKey), 0);
}

TEST_F(StoreTest, FollowsRegistryFileWhenHomeChanges) {
    ASSERT_TRUE(store::Set(kKey, "Home", "first"));
    const std::string other = home_ + "/other";

    // No Close() in between: the open connection must not keep serving the old file.
    setenv("KORVEX_HOME", other.c_str(), 1);
    EXPECT_EQ(store::Get(kKey, "Home"), std::nullopt);
    ASSERT_TRUE(store::Set(kKey, "Home", "second"));

    setenv("KORVEX_HOME", home_.c_str(), 1);
    EXPECT_EQ(store::Get(kKey, "Home"), "first");
    setenv("KORVEX_HOME", other.c_str(), 1);
    EXPECT_EQ(store::Get(kKey, "Home"), "second");
}

}  // namespace
