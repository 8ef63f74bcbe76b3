#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "monitor/caller_template.h"

namespace monitor {

// A command line made from a template, as the arguments it starts with.
struct ExpandedCommand {
    std::string text;               // the whole line, for messages
    std::vector<std::string> argv;  // argv[0] names the program
};

// Splits the template into arguments by the command-line rules first, then replaces the
// placeholders as the caller templates do (the expander's order, first occurrence only, the
// 500-character cut after each value), with one difference: each value goes, whole and
// literally, into the argument that held its placeholder. A value never adds, removes or splits
// an argument, and is never searched for placeholders again.
ExpandedCommand ExpandCommandLine(std::string_view sjabloon,
                                  const std::vector<PlaceholderMatch>& matches);

// The same for a template of arguments only, after a program path that stands as it is, blanks
// and all. An empty template or "-" gives no arguments.
ExpandedCommand ExpandArguments(std::string_view program, std::string_view sjabloon,
                                const std::vector<PlaceholderMatch>& matches);

// Expands `command` for the call being handled (huidigebeller) and starts it without waiting;
// "-" and "" start nothing. Runs from the program folder.
void aktie(std::string_view command);

// The same with the program given apart from its argument template.
void aktie(std::string_view program, std::string_view argumentTemplate);

// Starts a command line as it stands, without waiting. A program that cannot be started gives
// "Fout bij aanroepen: " + the line in a box that does not hold up the caller.
void starthet2(std::string_view commandLine);

// The same for a line whose program is quoted like its arguments, as the settings' notice to
// the LAN host is: every part is split by the argument rules, so a quote in a folder survives.
void StartArgumentLine(std::string_view commandLine);

// Starts an expanded command; false (and the message) when it could not start.
bool StartExpanded(const ExpandedCommand& command);

// The LAN host on a call: `dir` + "lantelhost.exe" with the expanded `sjabloon` as its arguments.
void StartLanTelHost(const std::string& dir, std::string_view sjabloon);

}  // namespace monitor
