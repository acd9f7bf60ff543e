// korvex-reg as a program: commands, exit statuses, export/import through real files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "korvex/paths.h"
#include "korvex/store.h"

extern char** environ;

namespace store = korvex::store;
namespace fs = std::filesystem;

namespace {

constexpr const char* kKey = "Software\\Vantaro\\Korvex\\KorvexRotator.Rotator";

struct Result {
    int status;  // exit status; 128 + signal when killed
    std::string out;
    std::string err;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class RegToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path() / "korvex-reg-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        UseHome(dir_ + "/home");
    }
    void TearDown() override {
        store::Close();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // KORVEX_HOME for this process and the tool runs that follow.
    void UseHome(const std::string& home) {
        setenv("KORVEX_HOME", home.c_str(), 1);
        store::Close();
    }

    // Runs korvex-reg with `args`, feeding `input` on standard input.
    Result Run(std::vector<std::string> args, const std::string& input = "") {
        store::Close();  // the tool writes; no connection of ours stays open meanwhile
        const std::string in = dir_ + "/stdin", out = dir_ + "/stdout", err = dir_ + "/stderr";
        std::ofstream(in, std::ios::binary) << input;
        args.insert(args.begin(), std::string(KORVEX_BIN_DIR) + "/korvex-reg");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        pid_t pid = -1;
        int rc = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&files);
        if (rc != 0) return {-1, "", "spawn failed"};
        int status = 0;
        waitpid(pid, &status, 0);
        int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return {code, ReadFile(out), ReadFile(err)};
    }

    std::string dir_;
};

TEST_F(RegToolTest, CommandsReadAndChangeTheStore) {
    EXPECT_EQ(Run({"set", kKey, "Position", "12,5"}).status, 0);
    EXPECT_EQ(Run({"set", kKey, "Note", "line 1\nline 2 \"¡sí!\""}).status, 0);
    EXPECT_EQ(Run({"set", std::string(kKey) + "\\Default", "Position", "0"}).status, 0);

    Result get = Run({"get", kKey, "Position"});
    EXPECT_EQ(get.status, 0);
    EXPECT_EQ(get.out, "12,5\n");
    EXPECT_EQ(store::Get(kKey, "Note"), "line 1\nline 2 \"¡sí!\"");

    EXPECT_EQ(Run({"list"}).out, std::string(kKey) + "\n" + kKey + "\\Default\n");
    EXPECT_EQ(Run({"list", kKey}).out,
              "\"Note\"=\"line 1\\nline 2 \\\"¡sí!\\\"\"\n\"Position\"=\"12,5\"\n");

    EXPECT_EQ(Run({"delete", kKey, "Position"}).status, 0);
    Result missing = Run({"get", kKey, "Position"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("no value \"Position\""), std::string::npos) << missing.err;
    EXPECT_EQ(Run({"delete", kKey, "Position"}).status, 1);

    EXPECT_EQ(Run({"delete", kKey}).status, 0);  // the whole key; its subkey stays
    EXPECT_EQ(store::ListKeys(), std::vector<std::string>{std::string(kKey) + "\\Default"});
    EXPECT_EQ(Run({"delete", kKey}).status, 1);
    EXPECT_EQ(Run({"list", kKey}).status, 1);
    EXPECT_EQ(Run({"check"}).out, "ok\n");
}

TEST_F(RegToolTest, UsageErrorsExplainThemselves) {
    const std::vector<std::vector<std::string>> wrong = {
        {},         {"frobnicate"},     {"get", kKey},  {"set", kKey, "n"},
        {"delete"}, {"list", "a", "b"}, {"check", "x"},
    };
    for (const auto& args : wrong) {
        Result r = Run(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_NE(r.err.find("korvex-reg --help"), std::string::npos) << r.err;
    }
    Result help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* verb : {"list", "get", "set", "delete", "export", "import", "KORVEX_HOME"})
        EXPECT_NE(help.out.find(verb), std::string::npos) << verb;
}

TEST_F(RegToolTest, ExportImportRoundTripsExactly) {
    const std::vector<store::Entry> entries = {
        {kKey, "", "Korvex Rotator"},
        {kKey, "Empty", ""},
        {kKey, "Path", "C:\\Program Files\\new\\x41 \"quoted\" 'single'"},
        {kKey, "Lines", "one\ntwo\r\n\tthree\n"},
        {kKey, "Texto", "¡Atención! Configuración 回転 🔭"},
        {"Software\\ASCOM\\Rotator Drivers\\KorvexRotator.Rotator", "", "Korvex Rotator"},
        {"odd\nkey \"x\"", "n", std::string("\0\x7F", 2)},
    };
    ASSERT_TRUE(store::SetMany(entries)) << store::LastError();

    Result exported = Run({"export"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string file = dir_ + "/export.txt";
    ASSERT_EQ(Run({"export", file}).status, 0);
    EXPECT_EQ(ReadFile(file), exported.out);

    UseHome(dir_ + "/fromStdin");
    Result imported = Run({"import"}, exported.out);
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(Run({"export"}).out, exported.out);
    auto all = store::ListAll();
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), entries.size());
    for (const auto& e : entries) EXPECT_EQ(store::Get(e.key, e.name), e.value) << e.name;

    UseHome(dir_ + "/fromFile");
    ASSERT_EQ(Run({"import", file}).status, 0);
    EXPECT_EQ(Run({"export", "-"}).out, exported.out);
}

TEST_F(RegToolTest, BadImportChangesNothing) {
    ASSERT_TRUE(store::Set(kKey, "Position", "1"));
    const std::string text =
        "[" + std::string(kKey) + "]\n\"Position\"=\"2\"\n\"New\"=\"3\"\n\"Broken\"=\n";
    Result r = Run({"import"}, text);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("line 4"), std::string::npos) << r.err;
    EXPECT_EQ(store::Get(kKey, "Position"), "1");
    EXPECT_EQ(store::Get(kKey, "New"), std::nullopt);

    EXPECT_EQ(Run({"import", dir_ + "/no-such-file"}).status, 1);
}

TEST_F(RegToolTest, DamagedStoreGivesMessagesNotCrashes) {
    std::ofstream(korvex::paths::RegistryFile(), std::ios::binary)
        << std::string(8192, '\x5A') << "not a database";
    const std::vector<std::vector<std::string>> commands = {
        {"list"},
        {"list", kKey},
        {"get", kKey, "n"},
        {"set", kKey, "n", "v"},
        {"delete", kKey, "n"},
        {"delete", kKey},
        {"export"},
        {"check"},
    };
    for (const auto& args : commands) {
        Result r = Run(args);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_NE(r.err.find("registry.sqlite3"), std::string::npos) << args[0] << ": " << r.err;
    }
    EXPECT_EQ(Run({"import"}, "[K]\n\"n\"=\"v\"\n").status, 1);
}

}  // namespace
