#include "korvex/paths.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace korvex::paths {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : std::string();
}

std::string UserHome() {
    std::string h = Env("HOME");
    return h.empty() ? std::string("/tmp") : h;
}

// Base folder for one kind of file: KORVEX_HOME[/sub], else $XDG_x/vantaro, else fallback/vantaro.
std::string Base(const char* xdgVar, const std::string& fallback, const char* homeSub) {
    std::string home = Env("KORVEX_HOME");
    if (!home.empty()) return homeSub ? home + "/" + homeSub : home;
    std::string xdg = Env(xdgVar);
    return (xdg.empty() ? fallback : xdg) + "/vantaro";
}

}  // namespace

bool EnsureDir(const std::string& dir) {
    if (dir.empty()) return false;
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    auto slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0) EnsureDir(dir.substr(0, slash));
    if (mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST) return true;
    return false;
}

std::string RegistryFile() {
    std::string dir = Base("XDG_CONFIG_HOME", UserHome() + "/.config", nullptr);
    EnsureDir(dir);
    return dir + "/registry.sqlite3";
}

std::string LogFile() {
    std::string dir = Base("XDG_STATE_HOME", UserHome() + "/.local/state", nullptr);
    EnsureDir(dir);
    return dir + "/tkl.log";
}

std::string RunDir() {
    std::string dir;
    if (!Env("KORVEX_HOME").empty()) {
        dir = Env("KORVEX_HOME") + "/run";
    } else if (!Env("XDG_RUNTIME_DIR").empty()) {
        dir = Env("XDG_RUNTIME_DIR") + "/vantaro";
    } else {
        dir = "/tmp/vantaro-" + std::to_string(getuid());
    }
    EnsureDir(dir);
    return dir;
}

std::string HubSocket(const std::string& instance) { return RunDir() + "/" + instance + ".sock"; }

std::string HubLock(const std::string& instance) { return RunDir() + "/" + instance + ".lock"; }

std::string ModuleFolder(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || !info.dli_fname) return {};
    char resolved[4096];
    if (!realpath(info.dli_fname, resolved)) return {};
    std::string path(resolved);
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string InstanceForFolder(const std::string& folder) {
    for (const char* marker : {"second", "Second.txt"}) {
        if (access((folder + "/" + marker).c_str(), F_OK) == 0) return "Korvex2ndMutex";
    }
    return "KorvexMutex";
}

}  // namespace korvex::paths
