#include "platform/os/dde_names.h"

namespace os {

namespace {

bool IsAsciiLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsAsciiDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string DdeBusName(std::string_view programPath) {
    std::string_view base = programPath;
    if (const auto slash = base.find_last_of('/'); slash != std::string_view::npos) {
        base.remove_prefix(slash + 1);
    }
    // A leading dot marks a hidden file, not an extension.
    if (const auto dot = base.find_last_of('.'); dot != std::string_view::npos && dot > 0) {
        base = base.substr(0, dot);
    }
    std::string element;
    element.reserve(base.size() + 1);
    // Every byte of a multi-byte character is replaced on its own, so the result stays ASCII.
    for (const char ch : base) {
        const auto c = static_cast<unsigned char>(ch);
        element += IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' ? ch : '_';
    }
    if (element.empty() || IsAsciiDigit(static_cast<unsigned char>(element.front()))) {
        element.insert(element.begin(), '_');
    }
    return "nl.belverin." + element;
}

}  // namespace os
