#include "reg_text.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace korvex::reg {
namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (IsControl(c)) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", c);
                    out += hex;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

bool NeedsQuotedKey(std::string_view key) {
    if (!key.empty() && key.front() == '"') return true;
    return std::any_of(key.begin(), key.end(),
                       [](char c) { return IsControl(static_cast<unsigned char>(c)); });
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted string starting at line[*pos] == '"'; leaves *pos after the closing quote.
bool Unquote(std::string_view line, size_t* pos, std::string* out, std::string* error) {
    if (*pos >= line.size() || line[*pos] != '"') {
        *error = "expected a quoted text";
        return false;
    }
    out->clear();
    for (size_t i = *pos + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c != '\\') {
            *out += c;
            continue;
        }
        if (++i >= line.size()) break;
        switch (line[i]) {
            case '\\':
                *out += '\\';
                break;
            case '"':
                *out += '"';
                break;
            case 'n':
                *out += '\n';
                break;
            case 'r':
                *out += '\r';
                break;
            case 't':
                *out += '\t';
                break;
            case 'x': {
                int high = i + 1 < line.size() ? HexDigit(line[i + 1]) : -1;
                int low = i + 2 < line.size() ? HexDigit(line[i + 2]) : -1;
                if (high < 0 || low < 0) {
                    *error = "\\x needs two hexadecimal digits";
                    return false;
                }
                *out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                *error = std::string("unknown escape \\") + line[i];
                return false;
        }
    }
    *error = "unterminated quoted text";
    return false;
}

bool ParseKey(std::string_view line, std::string* key, std::string* error) {
    if (line.size() < 2 || line.back() != ']') {
        *error = "a key line must end with ]";
        return false;
    }
    std::string_view inner = line.substr(1, line.size() - 2);
    if (inner.empty() || inner.front() != '"') {
        *key = std::string(inner);
        return true;
    }
    size_t pos = 0;
    if (!Unquote(inner, &pos, key, error)) return false;
    if (pos != inner.size()) {
        *error = "text after the quoted key";
        return false;
    }
    return true;
}

bool ParseValue(std::string_view line, std::string* name, std::string* value, std::string* error) {
    size_t pos = 0;
    if (!Unquote(line, &pos, name, error)) return false;
    if (pos >= line.size() || line[pos] != '=') {
        *error = "expected = after the name";
        return false;
    }
    ++pos;
    if (!Unquote(line, &pos, value, error)) return false;
    if (line.find_first_not_of(" \t", pos) != std::string_view::npos) {
        *error = "text after the value";
        return false;
    }
    return true;
}

}  // namespace

std::string ExportText(std::vector<korvex::store::Entry> entries) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return std::tie(a.key, a.name) < std::tie(b.key, b.name);
    });
    std::string text = "; Korvex settings store\n";
    const std::string* section = nullptr;
    for (const auto& e : entries) {
        if (!section || *section != e.key) {
            text += "\n[" + (NeedsQuotedKey(e.key) ? Quote(e.key) : e.key) + "]\n";
            section = &e.key;
        }
        text += Quote(e.name) + "=" + Quote(e.value) + "\n";
    }
    return text;
}

bool ParseText(std::string_view text, std::vector<korvex::store::Entry>* entries,
               std::string* error) {
    std::string key;
    bool haveKey = false;
    size_t number = 0;
    while (!text.empty()) {
        ++number;
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        // Tolerate CRLF: a raw CR never occurs in an exported line (it is escaped).
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        std::string problem;
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == ';' ||
            line.front() == '#') {
            continue;
        } else if (line.front() == '[') {
            if (ParseKey(line, &key, &problem)) {
                haveKey = true;
                continue;
            }
        } else if (!haveKey) {
            problem = "a value before the first [key] line";
        } else {
            korvex::store::Entry entry{key, {}, {}};
            if (ParseValue(line, &entry.name, &entry.value, &problem)) {
                entries->push_back(std::move(entry));
                continue;
            }
        }
        *error = "line " + std::to_string(number) + ": " + problem;
        return false;
    }
    return true;
}

}  // namespace korvex::reg
