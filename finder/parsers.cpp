#include "finder/parsers.h"

#include <algorithm>
#include <set>

namespace tnv {

namespace finder {
namespace {

std::string_view bounded(std::string_view text) {
    return text.substr(0, std::min(text.size(), kMaxInput));
}

void appendUtf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Keeps each path once, in first-seen order, within the limits.
class PathList {
public:
    void add(std::string path) {
        if (path.empty() || path.size() > kMaxPathLength || paths_.size() >= kMaxPaths)
            return;
        if (seen_.insert(path).second)
            paths_.push_back(std::move(path));
    }
    std::vector<std::string> take() { return std::move(paths_); }

private:
    std::vector<std::string> paths_;
    std::set<std::string> seen_;
};

// One token of Valve's KeyValues text: a quoted or bare string, or a brace.
struct VdfToken {
    enum Kind { End, Text, Open, Close } kind = End;
    std::string text;
};

class VdfReader {
public:
    explicit VdfReader(std::string_view text) : text_(text) {}

    VdfToken next() {
        skipSpaceAndComments();
        if (pos_ >= text_.size())
            return {};
        char c = text_[pos_];
        if (c == '{' || c == '}') {
            ++pos_;
            return {c == '{' ? VdfToken::Open : VdfToken::Close, {}};
        }
        VdfToken token{VdfToken::Text, {}};
        if (c == '"') {
            ++pos_;
            while (pos_ < text_.size() && text_[pos_] != '"') {
                char ch = text_[pos_++];
                if (ch == '\\' && pos_ < text_.size()) {
                    char e = text_[pos_++];
                    ch = e == 'n' ? '\n' : e == 't' ? '\t' : e;
                }
                if (token.text.size() <= kMaxPathLength)
                    token.text += ch;
            }
            ++pos_;
            return token;
        }
        while (pos_ < text_.size() && !isSpace(text_[pos_]) && text_[pos_] != '{' &&
               text_[pos_] != '}' && text_[pos_] != '"') {
            if (token.text.size() <= kMaxPathLength)
                token.text += text_[pos_];
            ++pos_;
        }
        return token;
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    void skipSpaceAndComments() {
        while (pos_ < text_.size()) {
            if (isSpace(text_[pos_])) {
                ++pos_;
            } else if (text_.compare(pos_, 2, "//") == 0) {
                std::size_t end = text_.find('\n', pos_);
                pos_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else {
                break;
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

bool allDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A quoted registry string starting at `pos` (after its opening quote), unescaped the way Wine
// writes it. `pos` ends after the closing quote; false when there is none on the line.
bool readRegString(std::string_view line, std::size_t& pos, std::string& out) {
    out.clear();
    while (pos < line.size()) {
        char c = line[pos++];
        if (c == '"')
            return true;
        if (c != '\\' || pos >= line.size()) {
            out += c;
            continue;
        }
        char e = line[pos++];
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '0':
            out += '\0';
            break;
        case 'x': {
            unsigned long cp = 0;
            int digits = 0;
            while (digits < 4 && pos < line.size() && hexDigit(line[pos]) >= 0)
                cp = cp * 16 + static_cast<unsigned long>(hexDigit(line[pos++])), ++digits;
            appendUtf8(out, cp);
            break;
        }
        default:
            out += e;
        }
        if (out.size() > kMaxPathLength)
            return false;
    }
    return false;
}

bool isDrivePath(const std::string& value) {
    return value.size() >= 3 &&
           ((value[0] >= 'A' && value[0] <= 'Z') || (value[0] >= 'a' && value[0] <= 'z')) &&
           value[1] == ':' && (value[2] == '\\' || value[2] == '/') &&
           value.find('\0') == std::string::npos && value.find('\n') == std::string::npos;
}

std::string trimmed(std::string_view s) {
    std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos)
        return {};
    std::size_t e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

// A YAML scalar as Lutris writes a path: plain, 'single' or "double" quoted.
std::string yamlScalar(std::string_view raw) {
    std::string value = trimmed(raw);
    if (value.size() >= 2 && value.front() == '\'') {
        std::string out;
        for (std::size_t i = 1; i < value.size(); ++i) {
            if (value[i] == '\'') {
                if (i + 1 < value.size() && value[i + 1] == '\'')
                    out += '\'', ++i;
                else
                    return out;
            } else {
                out += value[i];
            }
        }
        return {};
    }
    if (value.size() >= 2 && value.front() == '"') {
        std::size_t pos = 1;
        std::string out;
        return readRegString(value, pos, out) ? out : std::string();
    }
    std::size_t comment = value.find(" #");
    if (comment != std::string::npos)
        value = trimmed(value.substr(0, comment));
    return value;
}

template <typename Each> void forEachLine(std::string_view text, Each each) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        each(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

std::vector<std::string> LibraryFolderPaths(std::string_view vdf) {
    VdfReader reader(bounded(vdf));
    PathList paths;
    int depth = 0;
    std::string key;
    bool haveKey = false;
    for (VdfToken t = reader.next(); t.kind != VdfToken::End; t = reader.next()) {
        if (t.kind == VdfToken::Open) {
            ++depth, haveKey = false;
        } else if (t.kind == VdfToken::Close) {
            depth = std::max(0, depth - 1), haveKey = false;
        } else if (!haveKey) {
            key = std::move(t.text), haveKey = true;
        } else {
            // "path" inside a library's block; in the old form, a numbered key at the top.
            if ((key == "path" && depth == 2) || (allDigits(key) && depth == 1))
                paths.add(std::move(t.text));
            haveKey = false;
        }
    }
    return paths.take();
}

std::vector<std::string> RegistryDrivePaths(std::string_view reg) {
    PathList paths;
    forEachLine(bounded(reg), [&](std::string_view line) {
        std::size_t pos;
        std::string name;
        if (line.starts_with("@=")) {
            pos = 2;
        } else if (line.starts_with("\"")) {
            pos = 1;
            if (!readRegString(line, pos, name) || pos >= line.size() || line[pos] != '=')
                return;
            ++pos;
        } else {
            return;
        }
        std::string_view rest = line.substr(pos);
        if (rest.starts_with("str(")) {
            std::size_t colon = rest.find("):");
            if (colon == std::string_view::npos)
                return;
            pos += colon + 2;
        }
        if (pos >= line.size() || line[pos] != '"')
            return;
        ++pos;
        std::string value;
        if (readRegString(line, pos, value) && isDrivePath(value))
            paths.add(std::move(value));
    });
    return paths.take();
}

std::vector<std::string> LutrisPrefixes(std::string_view yml) {
    PathList paths;
    forEachLine(bounded(yml).substr(0, kMaxSmallFile), [&](std::string_view line) {
        std::size_t key = line.find_first_not_of(' ');
        if (key != std::string_view::npos && line.substr(key).starts_with("prefix:"))
            paths.add(yamlScalar(line.substr(key + 7)));
    });
    return paths.take();
}

std::vector<std::string> RegistrationLines(std::string_view text) {
    PathList paths;
    forEachLine(bounded(text).substr(0, kMaxSmallFile), [&](std::string_view line) {
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.starts_with('/') && line.find('\0') == std::string_view::npos)
            paths.add(std::string(line));
    });
    return paths.take();
}

} // namespace finder

} // namespace tnv
