#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace book {

// One line of a separated-values file, rewritten into quoted fields and split into them.
// The separator is one ASCII character other than the double quote.
class CsvLine {
  public:
    // The line as quoted fields, each between double quotes, separated by the separator.
    // A quote that stands for a quote character (doubled inside a quoted field, or in a
    // field that does not start with one) is kept as a marker byte that no UTF-8 text holds,
    // so the rewriting never takes it for a field boundary.
    static std::string Rewrite(std::string_view line, char separator);
    // The fields of a rewritten line, markers given back as quotes.
    static std::vector<std::string> Split(std::string_view rewritten, char separator);
    // Rewrite and split in one.
    static std::vector<std::string> Fields(std::string_view line, char separator);
    // The text as a person reads it: markers as quotes.
    static std::string Shown(std::string_view rewritten);
    // Whether the line ends inside a quoted field, so that the record goes on on the next
    // line; `insideAtStart` for a line that goes on with such a field.
    static bool EndsInsideQuotes(std::string_view line, char separator, bool insideAtStart = false);
};

}  // namespace book
