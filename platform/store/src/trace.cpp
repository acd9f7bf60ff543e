#include <errno.h>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "korvex/paths.h"
#include "korvex/store.h"

namespace korvex::store {

void AppendTrace(const char* text) {
    if (!text) return;

    timeval now{};
    gettimeofday(&now, nullptr);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(now.tv_usec / 1000));

    std::string line = stamp;
    line += " [" + std::to_string(getpid()) + " " + program_invocation_short_name + "] ";
    size_t start = line.size();
    line += text;
    for (size_t i = start; i < line.size(); ++i) {
        if (line[i] == '\n' || line[i] == '\r') line[i] = ' ';
    }
    line += '\n';

    // O_APPEND makes the seek-to-end and the write one step, and a single write() of a regular
    // file is not split among other writers: concurrent lines stay whole.
    int fd = open(paths::LogFile().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    ssize_t written;
    do {
        written = write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    close(fd);
}

}  // namespace korvex::store
