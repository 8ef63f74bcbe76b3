#include "xbase/field_codec.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/rtl/date_time.h"
#include "platform/rtl/exception.h"

namespace xbase {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

int IntegerOf(std::string_view text) {
    const std::string_view t = Trimmed(text);
    std::string_view digits = t;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
        throw rtl::EConvertError("'" + std::string(t) + "' is not a valid integer value");
    }
    return value;
}

// Fixed-point text with "." whatever the C locale says.
std::string Fixed(double value, int decimals) {
    std::string text(32, '\0');
    for (;;) {
        const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), value,
                                             std::chars_format::fixed, decimals);
        if (ec == std::errc()) {
            text.resize(static_cast<size_t>(end - text.data()));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

std::string RightAligned(const std::string& text, int width) {
    return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

}  // namespace

bool IsBlankField(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == ' '; });
}

int32_t DayNumberFromStored(std::string_view bytes) {
    const std::string_view text = bytes.substr(0, 8);
    const int year = IntegerOf(text.substr(0, 4));
    const int month = IntegerOf(text.substr(std::min<size_t>(4, text.size()), 2));
    const int day = IntegerOf(text.substr(std::min<size_t>(6, text.size()), 2));
    return static_cast<int32_t>(rtl::EncodeDate(year, month, day)) + rtl::kDateDelta;
}

bool StoredDate(int32_t dayNumber, std::string* out) {
    const rtl::TDateTime value = static_cast<rtl::TDateTime>(dayNumber - rtl::kDateDelta);
    int year = 0, month = 0, day = 0;
    rtl::DecodeDate(value, year, month, day);
    rtl::TDateTime check = 0;
    if (!rtl::TryEncodeDate(year, month, day, check) || check != value) {
        return false;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    *out = text;
    return true;
}

double NumberFromStored(std::string_view bytes) {
    const char separator = rtl::FormatSettings().DecimalSeparator;
    std::string text(Trimmed(bytes));
    const std::string shown = [&] {
        std::string s = text;
        std::replace(s.begin(), s.end(), '.', separator);
        return s;
    }();
    // Read in the separator's terms, so a text stored with it reads as well.
    std::replace(text.begin(), text.end(), separator, '.');
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
        throw rtl::EConvertError("'" + shown + "' is not a valid floating point value");
    }
    return value;
}

int16_t IntegerFromStored(std::string_view bytes) {
    const int value = IntegerOf(bytes);
    if (value < INT16_MIN || value > INT16_MAX) {
        throw rtl::EConvertError("'" + std::string(Trimmed(bytes)) +
                                 "' is not a valid integer value");
    }
    return static_cast<int16_t>(value);
}

bool StoredNumber(double value, int width, int decimals, std::string* out) {
    if (!std::isfinite(value) || width < 1) {
        return false;
    }
    decimals = std::max(decimals, 0);
    std::string fixed = Fixed(value, decimals);
    if (static_cast<int>(fixed.size()) > width + decimals + 1) {
        return false;
    }
    // Fewer decimals until it fits; a number too wide even without them does not fit.
    while (static_cast<int>(fixed.size()) > width) {
        if (decimals == 0) {
            return false;
        }
        fixed = Fixed(value, --decimals);
    }
    *out = RightAligned(fixed, width);
    return true;
}

bool StoredInteger(int16_t value, int width, std::string* out) {
    const std::string text = std::to_string(value);
    if (width < 1 || static_cast<int>(text.size()) > width) {
        return false;
    }
    *out = RightAligned(text, width);
    return true;
}

}  // namespace xbase
