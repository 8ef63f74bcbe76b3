#include "monitor/book/log_filters.h"

#include "xbase/filter_literal.h"

namespace book {

std::string LogFilterText(std::string_view field, std::string_view value) {
    // Blanks and control characters, as a trim drops them.
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t begin = 0;
    std::size_t end = value.size();
    while (begin < end && blank(value[begin])) {
        ++begin;
    }
    while (end > begin && blank(value[end - 1])) {
        --end;
    }
    const std::string_view trimmed = value.substr(begin, end - begin);
    return xbase::XBaseEquals(field, trimmed) + " ";
}

}  // namespace book
