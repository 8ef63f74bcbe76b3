#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace outlook {

// One parameter of a content line: its name as written and its values, quotes removed.
struct LineParam {
    std::string name;
    std::vector<std::string> values;
};

// One logical line of a vCard or iCalendar file: "group.NAME;PARAM=a,b:value".
struct ContentLine {
    std::string group;
    std::string name;  // as written; compare with NameIs
    std::vector<LineParam> params;
    std::string value;  // as written, still escaped
    // The line as read (unfolded, UTF-8); written back unchanged unless `changed` is set.
    std::string text;
    bool changed = false;

    bool NameIs(std::string_view upper) const;
    // The values of every parameter of that name (TYPE=a,b;TYPE=c gives a, b, c).
    std::vector<std::string> ParamValues(std::string_view upper) const;
    bool HasParamValue(std::string_view param, std::string_view value) const;
    void SetParam(std::string_view name, std::string_view value);
};

// The logical lines of a file: CR LF or LF ends a line, a line starting with a blank or a tab
// continues the one before. Empty lines are dropped.
std::vector<std::string> UnfoldLines(std::string_view text);

// A line as it is written: pieces of at most 75 octets, never splitting a UTF-8 character,
// each ending in CR LF, continuation pieces starting with a blank.
std::string FoldLine(std::string_view line);

// nullopt for a line that is no content line (no name, no colon, an unclosed quote).
std::optional<ContentLine> ParseContentLine(std::string_view logical);

// The line's text: `text` when unchanged, else built from its parts.
std::string ComposeContentLine(const ContentLine& line);

// Text values: backslash, line break, comma and semicolon escaped.
std::string EscapeText(std::string_view text);
std::string UnescapeText(std::string_view raw);

// Splits a raw value at separators that are not escaped and unescapes each piece; an empty
// value gives one empty piece.
std::vector<std::string> SplitValue(std::string_view raw, char separator);
std::string JoinValue(const std::vector<std::string>& pieces, char separator);

bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace outlook
