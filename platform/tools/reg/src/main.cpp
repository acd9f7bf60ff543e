// korvex-reg: the settings store from the command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "korvex/paths.h"
#include "korvex/store.h"
#include "reg_text.h"

namespace store = korvex::store;

namespace {

// Exit statuses.
constexpr int kDone = 0;
constexpr int kFailed = 1;  // missing value, store failure, unreadable input
constexpr int kUsage = 2;

constexpr const char* kHelp = R"(Usage: korvex-reg COMMAND [ARGUMENTS]

The current user's settings store of the Korvex drivers.

Commands:
  list                     the keys, one per line
  list KEY                 the values of KEY, as "name"="value"
  get KEY NAME             the value NAME of KEY, followed by a line break
  set KEY NAME VALUE       stores VALUE (creates the key when needed)
  delete KEY NAME          removes one value
  delete KEY               removes every value of KEY (not of longer keys under it)
  export [FILE]            the whole store as text, to FILE or standard output
  import [FILE]            adds the values of an export text, from FILE or standard input;
                           all of them or, on any error, none
  check                    SQLite's integrity check of the store file
  --help                   this text

A key is the full path text, for example
  korvex-reg get 'Software\Vantaro\Korvex\KorvexRotator.Rotator' AlwaysOnTop
Keys and names are compared exactly (case-sensitive).

The store is $KORVEX_HOME/registry.sqlite3 when KORVEX_HOME is set, otherwise
$XDG_CONFIG_HOME/vantaro/registry.sqlite3 (default ~/.config/vantaro/registry.sqlite3).

Exit status: 0 done, 1 failed (missing value, store unusable, bad input), 2 wrong usage.
)";

int Fail(const std::string& message) {
    std::cerr << "korvex-reg: " << message << "\n";
    return kFailed;
}

int Usage(const std::string& message) {
    std::cerr << "korvex-reg: " << message << "\nTry 'korvex-reg --help'.\n";
    return kUsage;
}

// A store failure, or `missing` when the store answered but had nothing.
int Missing(const std::string& missing) {
    std::string error = store::LastError();
    return Fail(error.empty() ? missing : "settings store: " + error);
}

int List(const std::vector<std::string>& args) {
    if (args.empty()) {
        auto keys = store::ListKeys();
        if (!store::LastError().empty()) return Missing("");
        for (const auto& key : keys) std::cout << key << "\n";
        return kDone;
    }
    auto values = store::ListValues(args[0]);
    if (values.empty()) return Missing("no key " + args[0]);
    std::vector<store::Entry> entries;
    for (auto& [name, value] : values) entries.push_back({args[0], name, value});
    // The value lines of the export form, without its header and key line.
    std::string text = korvex::reg::ExportText(std::move(entries));
    std::cout << text.substr(text.find("]\n") + 2);
    return kDone;
}

int Get(const std::vector<std::string>& args) {
    auto value = store::Get(args[0], args[1]);
    if (!value) return Missing("no value \"" + args[1] + "\" under " + args[0]);
    std::cout << *value << "\n";
    return kDone;
}

int Set(const std::vector<std::string>& args) {
    if (!store::Set(args[0], args[1], args[2])) return Missing("cannot store the value");
    return kDone;
}

int Delete(const std::vector<std::string>& args) {
    if (args.size() == 2) {
        if (!store::Delete(args[0], args[1]))
            return Missing("no value \"" + args[1] + "\" under " + args[0]);
        return kDone;
    }
    int removed = store::DeleteKey(args[0]);
    if (removed < 0) return Missing("");
    if (removed == 0) return Fail("no key " + args[0]);
    return kDone;
}

int Export(const std::vector<std::string>& args) {
    auto entries = store::ListAll();
    if (!entries) return Missing("cannot read the store");
    std::string text = korvex::reg::ExportText(std::move(*entries));
    if (args.empty() || args[0] == "-") {
        std::cout << text;
        std::cout.flush();
        return std::cout ? kDone : Fail("cannot write to standard output");
    }
    std::ofstream out(args[0], std::ios::binary);
    out << text;
    out.close();
    return out ? kDone : Fail("cannot write " + args[0] + ": " + std::strerror(errno));
}

int Import(const std::vector<std::string>& args) {
    std::string text;
    if (args.empty() || args[0] == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::ifstream in(args[0], std::ios::binary);
        if (!in) return Fail("cannot read " + args[0] + ": " + std::strerror(errno));
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<store::Entry> entries;
    std::string error;
    if (!korvex::reg::ParseText(text, &entries, &error))
        return Fail("import: " + error + " (nothing imported)");
    if (!store::SetMany(entries))
        return Fail("settings store: " + store::LastError() + " (nothing imported)");
    return kDone;
}

int Check(const std::vector<std::string>&) {
    std::string result = store::IntegrityCheck();
    if (result != "ok") return Fail(korvex::paths::RegistryFile() + ": " + result);
    std::cout << "ok\n";
    return kDone;
}

struct Command {
    const char* name;
    size_t minArgs;
    size_t maxArgs;
    int (*run)(const std::vector<std::string>&);
};

constexpr Command kCommands[] = {
    {"list", 0, 1, List},     {"get", 2, 2, Get},       {"set", 3, 3, Set},
    {"delete", 1, 2, Delete}, {"export", 0, 1, Export}, {"import", 0, 1, Import},
    {"check", 0, 0, Check},
};

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc < 2) return Usage("no command");
    const std::string verb = argv[1];
    if (verb == "--help" || verb == "-h" || verb == "help") {
        std::cout << kHelp;
        return kDone;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& command : kCommands) {
        if (verb != command.name) continue;
        if (args.size() < command.minArgs || args.size() > command.maxArgs)
            return Usage("wrong number of arguments for " + verb);
        return command.run(args);
    }
    return Usage("unknown command " + verb);
}
