#include "platform/capi2032/control_commands.h"

#include <charconv>
#include <vector>

#include "platform/capi2032/line.h"

namespace capisim {
namespace {

constexpr std::string_view kCallUsage = "usage: call <calling> <called> [--cip N] [--no-number]";

std::string Error(std::string_view why) {
    return "error: " + std::string(why) + "\n";
}

std::vector<std::string_view> Split(std::string_view text) {
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos) {
            break;
        }
        const size_t end = text.find_first_of(" \t", start);
        words.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        pos = end == std::string_view::npos ? text.size() : end;
    }
    return words;
}

bool IsNumber(std::string_view s) {
    if (s.empty() || s.size() > 32) {
        return false;
    }
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || c == '*' || c == '#')) {
            return false;
        }
    }
    return true;
}

std::string Call(Line& line, const std::vector<std::string_view>& args) {
    CallOffer offer;
    bool no_number = false;
    bool cip_given = false;
    std::vector<std::string_view> numbers;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--no-number" && !no_number) {
            no_number = true;
        } else if (args[i] == "--cip" && !cip_given) {
            unsigned cip = 0;
            const std::string_view value = i + 1 < args.size() ? args[i + 1] : "";
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), cip);
            if (value.empty() || ec != std::errc() || end != value.data() + value.size() ||
                cip > 63) {
                return Error("--cip takes a number from 0 to 63");
            }
            offer.cip = cip;
            cip_given = true;
            ++i;
        } else if (args[i].starts_with("--")) {
            return Error(kCallUsage);
        } else {
            numbers.push_back(args[i]);
        }
    }
    // With --no-number the caller's own number may be left out: the network withholds it.
    if (numbers.size() != 2 && !(no_number && numbers.size() == 1)) {
        return Error(kCallUsage);
    }
    for (std::string_view n : numbers) {
        if (!IsNumber(n)) {
            return Error("a number is 1 to 32 of the characters 0-9 * #");
        }
    }
    offer.called = std::string(numbers.back());
    if (!no_number) {
        offer.calling = std::string(numbers.front());
    }
    const int reached = line.Offer(offer);
    if (reached < 0) {
        return Error("the line refused the call");
    }
    return "ok\ncall offered to " + std::to_string(reached) + " application(s)\n";
}

std::string Network(Line& line, NetworkEvent event, std::string_view done) {
    const int cleared = line.Network(event);
    if (cleared == -1) {
        return Error("no call on the line");
    }
    if (cleared < 0) {
        return Error("an application has answered the call");
    }
    return "ok\n" + std::string(done) + "; " + std::to_string(cleared) + " connection(s) cleared\n";
}

}  // namespace

std::string RunControlCommand(Line& line, std::string_view command) {
    if (!command.empty() && command.back() == '\n') {
        command.remove_suffix(1);
    }
    for (char c : command) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7F) {
            return Error("the command holds a control character");
        }
    }
    std::vector<std::string_view> words = Split(command);
    if (words.empty()) {
        return Error("no command; commands: call, hangup, elsewhere, transcript, status");
    }
    const std::string_view name = words.front();
    const std::vector<std::string_view> args(words.begin() + 1, words.end());
    if (name == "call") {
        return Call(line, args);
    }
    const bool known =
        name == "hangup" || name == "elsewhere" || name == "transcript" || name == "status";
    if (!known) {
        return Error("unknown command; commands: call, hangup, elsewhere, transcript, status");
    }
    if (!args.empty()) {
        return Error(std::string(name) + " takes no arguments");
    }
    if (name == "hangup") {
        return Network(line, NetworkEvent::kCallerHangsUp, "the caller hung up");
    }
    if (name == "elsewhere") {
        return Network(line, NetworkEvent::kAnsweredElsewhere, "another terminal answered");
    }
    if (name == "transcript") {
        return "ok\n" + line.TranscriptText();
    }
    return "ok\n" + line.StatusText();
}

}  // namespace capisim
