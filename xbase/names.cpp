#include "xbase/names.h"

#include <algorithm>

namespace xbase {

namespace {
char UpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IdentifierChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           u >= 0x80;
}
}  // namespace

std::string UpperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), UpperChar);
    return text;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && UpperAscii(a) == UpperAscii(b);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string StemOf(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

std::vector<std::string> IdentifiersOf(const std::string& expression) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < expression.size()) {
        // Quoted texts hold no field names.
        const char c = expression[i];
        if (c == '\'' || c == '"') {
            const auto end = expression.find(c, i + 1);
            i = end == std::string::npos ? expression.size() : end + 1;
            continue;
        }
        if (!IdentifierChar(c)) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < expression.size() && IdentifierChar(expression[j])) {
            ++j;
        }
        if (!(c >= '0' && c <= '9')) {
            out.push_back(UpperAscii(expression.substr(i, j - i)));
        }
        i = j;
    }
    return out;
}

}  // namespace xbase
