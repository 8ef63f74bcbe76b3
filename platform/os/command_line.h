#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace os {

// One argument read from a command line, with where each of its characters came from, so that a
// caller can put text into an argument without re-reading the line.
struct SplitArgument {
    std::string text;
    std::vector<std::size_t>
        origin;             // origin[i]: offset in the line of the character behind text[i]
    std::size_t begin = 0;  // [begin, end): the stretch of the line the argument was read from
    std::size_t end = 0;
};

// Windows rules: blanks and tabs separate arguments outside quotes; '"' toggles quoting; 2n
// backslashes before '"' give n backslashes and a toggle, 2n+1 give n backslashes and a literal
// '"'; other backslashes are literal; "" inside quotes gives '"'. The first argument, the program
// name, runs to its closing quote when it starts with one, else to the first blank or tab, and
// takes backslashes and quotes as they stand.
std::vector<SplitArgument> SplitCommandLineMapped(std::string_view line);

// The same rules without the program-name rule: every argument is read like the ones after it.
std::vector<SplitArgument> SplitArgumentsMapped(std::string_view text);

std::vector<std::string> SplitCommandLine(std::string_view line);
std::vector<std::string> SplitArguments(std::string_view text);

}  // namespace os
