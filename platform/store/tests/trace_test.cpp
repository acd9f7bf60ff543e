#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "korvex/paths.h"
#include "korvex/store.h"
#include "temp_home.h"

namespace store = korvex::store;

namespace {

using TraceTest = TempHome;

std::vector<std::string> LogLines() {
    std::ifstream in(korvex::paths::LogFile());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

struct Line {
    std::string pid, program, text;
};

// Splits "YYYY-MM-DD HH:MM:SS.mmm [pid program] text"; false when the line has another shape.
bool Parse(const std::string& line, Line* out) {
    static const std::regex prefix(
        R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} \[(\d+) ([^\]]+)\])");
    const size_t end = line.find("] ");
    std::smatch m;
    const std::string head = line.substr(0, end == std::string::npos ? end : end + 1);
    if (end == std::string::npos || !std::regex_match(head, m, prefix)) return false;
    *out = {m[1], m[2], line.substr(end + 2)};
    return true;
}

TEST_F(TraceTest, OneLinePerCallWithTimePidAndProgram) {
    store::AppendTrace("Rotator slot not empty!");
    store::AppendTrace("Just connected,\nconfiguring...\r\n");
    store::AppendTrace("");
    store::AppendTrace(nullptr);  // writes nothing

    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::string> texts = {"Rotator slot not empty!",
                                            "Just connected, configuring...  ", ""};
    for (size_t i = 0; i < lines.size(); ++i) {
        Line parsed;
        ASSERT_TRUE(Parse(lines[i], &parsed)) << lines[i];
        EXPECT_EQ(parsed.pid, std::to_string(getpid()));
        EXPECT_EQ(parsed.program, program_invocation_short_name);
        EXPECT_EQ(parsed.text, texts[i]);
    }
}

// Long lines from several processes at once: every line arrives whole, none is lost.
TEST_F(TraceTest, ConcurrentProcessesNeverMixWithinALine) {
    constexpr int kChildren = 4;
    constexpr int kLines = 250;
    auto text = [](int child, int line) {
        return std::to_string(child) + " " + std::to_string(line) + " " +
               std::string(3000 + line, static_cast<char>('a' + child));
    };

    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0; i < kLines; ++i) store::AppendTrace(text(c, i).c_str());
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::map<std::pair<int, int>, int> seen;
    for (const auto& line : LogLines()) {
        Line parsed;
        ASSERT_TRUE(Parse(line, &parsed)) << line.substr(0, 120);
        const std::string& body = parsed.text;
        int child = -1, index = -1;
        ASSERT_EQ(std::sscanf(body.c_str(), "%d %d", &child, &index), 2) << body.substr(0, 40);
        ASSERT_EQ(body, text(child, index)) << "mixed line from child " << child;
        ++seen[{child, index}];
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kChildren * kLines));
    for (const auto& [which, count] : seen) EXPECT_EQ(count, 1);
}

}  // namespace
