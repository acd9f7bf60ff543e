#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "korvex/paths.h"
#include "korvex/store.h"
#include "temp_home.h"

namespace store = korvex::store;
namespace fs = std::filesystem;

namespace {

constexpr const char* kKey = "Software\\Vantaro\\Korvex\\KorvexFocuser.Focuser";

std::string Garbage(size_t size) {
    std::mt19937 random(1234);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Overwrite(const std::string& path, size_t offset, const std::string& bytes) {
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Damage {
    const char* label;
    std::function<void(const std::string& file)> apply;
};

class DamagedStoreTest : public TempHome, public ::testing::WithParamInterface<Damage> {};

// Every entry point fails cleanly, the damaged file is left as it was, and once the file is
// gone the store works again without a restart.
TEST_P(DamagedStoreTest, CallsFailAndFileIsKept) {
    const std::string file = korvex::paths::RegistryFile();
    GetParam().apply(file);
    store::Close();
    const bool isFile = fs::is_regular_file(file);
    const std::string before = isFile ? ReadFile(file) : std::string();

    char buffer[80];
    int32_t length = 80;
    EXPECT_NE(store::ReadValue(kKey, "Position", buffer, &length), store::kOk);
    EXPECT_NE(store::SaveValue(kKey, "Position", "5"), store::kOk);
    EXPECT_EQ(store::Get(kKey, "Position"), std::nullopt);
    EXPECT_NE(store::LastError(), "");
    EXPECT_FALSE(store::Set(kKey, "Position", "5"));
    EXPECT_FALSE(store::SetMany({{kKey, "A", "1"}, {kKey, "B", "2"}}));
    EXPECT_FALSE(store::Delete(kKey, "Position"));
    EXPECT_EQ(store::DeleteKey(kKey), -1);
    EXPECT_TRUE(store::ListKeys().empty());
    EXPECT_TRUE(store::ListValues(kKey).empty());
    EXPECT_EQ(store::ListAll(), std::nullopt);
    EXPECT_NE(store::IntegrityCheck(), "ok");
    if (isFile) {
        EXPECT_EQ(ReadFile(file), before) << "the damaged file was changed";
    }

    fs::remove_all(file);
    fs::remove(file + "-wal");
    fs::remove(file + "-shm");
    EXPECT_TRUE(store::Set(kKey, "Position", "6")) << store::LastError();
    EXPECT_EQ(store::Get(kKey, "Position"), "6");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DamagedStoreTest,
    ::testing::Values(
        Damage{"Garbage",
               [](const std::string& file) {
                   std::ofstream(file, std::ios::binary) << Garbage(64 * 1024);
               }},
        // A real store whose header is intact but whose table pages were overwritten.
        Damage{"TornPages",
               [](const std::string& file) {
                   for (int i = 0; i < 300; ++i)
                       ASSERT_TRUE(store::Set(kKey, "V" + std::to_string(i), std::string(40, 'v')));
                   store::Close();  // checkpoints the log into the file and removes it
                   ASSERT_FALSE(fs::exists(file + "-wal"));
                   const size_t size = fs::file_size(file);
                   ASSERT_GT(size, 4096u);
                   Overwrite(file, 1024, Garbage(size - 1024));
               }},
        Damage{"Directory",
               [](const std::string& file) { ASSERT_TRUE(fs::create_directory(file)); }}),
    [](const ::testing::TestParamInfo<Damage>& info) { return info.param.label; });

}  // namespace
