#include "monitor/external_command.h"

#include <algorithm>
#include <map>

#include "monitor/settings.h"
#include "platform/os/command_line.h"
#include "platform/os/process_start.h"
#include "platform/rtl/text_encoding.h"
#include "platform/ui/dialogs.h"

namespace monitor {
namespace {

// The line as it grows: stretches of the template and the values put between them.
struct Piece {
    bool isValue = false;
    std::size_t from = 0;  // template stretch [from, to); for a value, where its placeholder stood
    std::size_t to = 0;
    std::string value;
};

std::size_t Characters(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string_view TextOf(const Piece& p, std::string_view sjabloon) {
    return p.isValue ? std::string_view(p.value) : sjabloon.substr(p.from, p.to - p.from);
}

// Keeps at most `limit` characters after piece `after`.
void CutAfter(std::vector<Piece>& pieces, std::size_t after, std::string_view sjabloon,
              std::size_t limit) {
    std::size_t left = limit;
    for (std::size_t j = after + 1; j < pieces.size(); ++j) {
        const std::string_view text = TextOf(pieces[j], sjabloon);
        const std::size_t n = Characters(text);
        if (n <= left) {
            left -= n;
            continue;
        }
        const std::size_t keep = rtl::Utf8Left(text, left).size();
        if (pieces[j].isValue) {
            pieces[j].value.resize(keep);
        } else {
            pieces[j].to = pieces[j].from + keep;
        }
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(j) + 1, pieces.end());
        return;
    }
}

ExpandedCommand Expand(std::string_view sjabloon, const std::vector<PlaceholderMatch>& matches,
                       std::vector<os::SplitArgument> args) {
    std::vector<PlaceholderMatch> ordered;
    for (const auto& m : matches) {
        if (m.length > 0 && m.position + m.length <= sjabloon.size()) {
            ordered.push_back(m);
        }
    }
    std::stable_sort(
        ordered.begin(), ordered.end(),
        [](const PlaceholderMatch& a, const PlaceholderMatch& b) { return a.rank < b.rank; });

    std::vector<Piece> pieces{{false, 0, sjabloon.size(), {}}};
    for (const auto& m : ordered) {
        const auto it = std::find_if(pieces.begin(), pieces.end(), [&](const Piece& p) {
            return !p.isValue && p.from <= m.position && m.position + m.length <= p.to;
        });
        if (it == pieces.end()) {
            continue;  // cut away by an earlier value
        }
        const Piece whole = *it;
        const std::size_t index = static_cast<std::size_t>(it - pieces.begin());
        pieces[index] = {false, whole.from, m.position, {}};
        pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(index) + 1,
                      {Piece{true, m.position, m.position, m.value},
                       Piece{false, m.position + m.length, whole.to, {}}});
        CutAfter(pieces, index + 1, sjabloon, kTemplateTailLimit);
    }

    ExpandedCommand out;
    std::vector<bool> alive(sjabloon.size(), false);
    std::map<std::size_t, std::string> valueAt;
    for (const auto& p : pieces) {
        out.text.append(TextOf(p, sjabloon));
        if (p.isValue) {
            valueAt[p.from] = p.value;
        } else {
            std::fill(alive.begin() + static_cast<std::ptrdiff_t>(p.from),
                      alive.begin() + static_cast<std::ptrdiff_t>(p.to), true);
        }
    }
    for (const auto& arg : args) {
        const bool survives = std::any_of(alive.begin() + static_cast<std::ptrdiff_t>(arg.begin),
                                          alive.begin() + static_cast<std::ptrdiff_t>(arg.end),
                                          [](bool b) { return b; }) ||
                              valueAt.lower_bound(arg.begin) != valueAt.lower_bound(arg.end);
        if (!survives) {
            continue;
        }
        std::string text;
        for (std::size_t i = 0; i < arg.text.size(); ++i) {
            const std::size_t from = arg.origin[i];
            if (const auto v = valueAt.find(from); v != valueAt.end()) {
                text += v->second;
            } else if (alive[from]) {
                text += arg.text[i];
            }
        }
        out.argv.push_back(std::move(text));
    }
    return out;
}

bool IsNone(std::string_view sjabloon) {
    return sjabloon.empty() || sjabloon == "-";
}

}  // namespace

ExpandedCommand ExpandCommandLine(std::string_view sjabloon,
                                  const std::vector<PlaceholderMatch>& matches) {
    return Expand(sjabloon, matches, os::SplitCommandLineMapped(sjabloon));
}

ExpandedCommand ExpandArguments(std::string_view program, std::string_view sjabloon,
                                const std::vector<PlaceholderMatch>& matches) {
    ExpandedCommand out;
    if (!IsNone(sjabloon)) {
        out = Expand(sjabloon, matches, os::SplitArgumentsMapped(sjabloon));
    }
    out.text = std::string(program) + " " + out.text;
    out.argv.insert(out.argv.begin(), std::string(program));
    return out;
}

bool StartExpanded(const ExpandedCommand& command) {
    if (os::StartDetached(command.argv, programmadir()).Started()) {
        return true;
    }
    // The call's handling goes on while the box is up.
    ui::dialogs().Notify("Fout bij aanroepen: " + command.text, ui::MsgDlgType::Custom);
    return false;
}

void aktie(std::string_view command) {
    if (IsNone(command)) {
        return;
    }
    StartExpanded(ExpandCommandLine(command, FindPlaceholders(command, RecordForSource("bel"))));
}

void aktie(std::string_view program, std::string_view argumentTemplate) {
    StartExpanded(ExpandArguments(program, argumentTemplate,
                                  FindPlaceholders(argumentTemplate, RecordForSource("bel"))));
}

void starthet2(std::string_view commandLine) {
    StartExpanded({std::string(commandLine), os::SplitCommandLine(commandLine)});
}

void StartArgumentLine(std::string_view commandLine) {
    StartExpanded({std::string(commandLine), os::SplitArguments(commandLine)});
}

void StartLanTelHost(const std::string& dir, std::string_view sjabloon) {
    aktie(dir + "lantelhost.exe", sjabloon);
}

}  // namespace monitor
