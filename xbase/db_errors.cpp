#include "xbase/db_errors.h"

#include <cstdio>

#include "xbase/sessions.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr DbiResult kAlwaysExplained = 12033;

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string Hex4(DbiResult code) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%.4x", static_cast<unsigned>(code));
    return hex;
}

}  // namespace

EDBEngineError::EDBEngineError(DbiResult code) : EDBEngineError(code, Build(code)) {}

EDBEngineError::EDBEngineError(DbiResult code, Built built)
    : EDatabaseError(std::move(built.message)), code_(code), errors_(std::move(built.errors)) {}

EDBEngineError::Built EDBEngineError::Build(DbiResult code) {
    Built built;
    if (!Sessions().Default().Active() && code != kAlwaysExplained) {
        built.message = "Database engine could not be initialized (error $" + Hex4(code) + ")";
        return built;
    }
    std::string text;
    DbiGetErrorString(code, &text);
    built.errors.emplace_back(code, 0, Trimmed(text));
    for (uint16_t entry = 1;; ++entry) {
        int32_t native = 0;
        std::string more;
        if (DbiGetErrorEntry(entry, &native, &more) != kOk || more.empty())
            break;
        built.errors.emplace_back(code, native, Trimmed(more));
    }
    for (const TDBError& e : built.errors) {
        if (e.Message().empty())
            continue;
        if (!built.message.empty())
            built.message += '\n';
        built.message += e.Message();
    }
    if (built.message.empty()) {
        built.message = "BDE error $" + Hex4(code);
    }
    return built;
}

void Check(DbiResult result) {
    if (result != kOk) {
        throw EDBEngineError(result);
    }
}

void CheckTolerating(DbiResult result, DbiResult tolerated) {
    if (result != tolerated) {
        Check(result);
    }
}

}  // namespace xbase
