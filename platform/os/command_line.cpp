#include "platform/os/command_line.h"

namespace os {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

void Put(SplitArgument& arg, char c, std::size_t from) {
    arg.text += c;
    arg.origin.push_back(from);
}

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
    while (i < s.size() && IsBlank(s[i])) {
        ++i;
    }
    return i;
}

void ReadArguments(std::string_view s, std::size_t i, std::vector<SplitArgument>& out) {
    for (;;) {
        i = SkipBlanks(s, i);
        if (i == s.size()) {
            return;
        }
        SplitArgument arg;
        arg.begin = i;
        bool quoted = false;
        while (i < s.size() && (quoted || !IsBlank(s[i]))) {
            const char c = s[i];
            if (c == '\\') {
                std::size_t j = i;
                while (j < s.size() && s[j] == '\\') {
                    ++j;
                }
                const std::size_t count = j - i;
                if (j < s.size() && s[j] == '"') {
                    for (std::size_t k = 0; k < count / 2; ++k) {
                        Put(arg, '\\', i + 2 * k);
                    }
                    if (count % 2 == 1) {
                        Put(arg, '"', j);
                    } else {
                        quoted = !quoted;
                    }
                    i = j + 1;
                } else {
                    for (std::size_t k = 0; k < count; ++k) {
                        Put(arg, '\\', i + k);
                    }
                    i = j;
                }
            } else if (c == '"') {
                if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
                    Put(arg, '"', i);
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                Put(arg, c, i);
                ++i;
            }
        }
        arg.end = i;
        out.push_back(std::move(arg));
    }
}

std::vector<std::string> TextsOf(const std::vector<SplitArgument>& args) {
    std::vector<std::string> out;
    out.reserve(args.size());
    for (const auto& a : args) {
        out.push_back(a.text);
    }
    return out;
}

}  // namespace

std::vector<SplitArgument> SplitCommandLineMapped(std::string_view line) {
    std::vector<SplitArgument> out;
    std::size_t i = SkipBlanks(line, 0);
    if (i == line.size()) {
        return out;
    }
    SplitArgument program;
    program.begin = i;
    if (line[i] == '"') {
        ++i;
        while (i < line.size() && line[i] != '"') {
            Put(program, line[i], i);
            ++i;
        }
        if (i < line.size()) {
            ++i;  // the closing quote
        }
    } else {
        while (i < line.size() && !IsBlank(line[i])) {
            Put(program, line[i], i);
            ++i;
        }
    }
    program.end = i;
    out.push_back(std::move(program));
    ReadArguments(line, i, out);
    return out;
}

std::vector<SplitArgument> SplitArgumentsMapped(std::string_view text) {
    std::vector<SplitArgument> out;
    ReadArguments(text, 0, out);
    return out;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
    return TextsOf(SplitCommandLineMapped(line));
}

std::vector<std::string> SplitArguments(std::string_view text) {
    return TextsOf(SplitArgumentsMapped(text));
}

}  // namespace os
