#include "platform/xbase32/expression_key.h"

#include <algorithm>
#include <bit>

#include "platform/xbase32/expression_text.h"

namespace xb {

std::string EncodeNumericKey(double value) {
    if (value == 0.0) {
        value = 0.0;  // -0 and +0 are one key
    }
    auto bits = std::bit_cast<uint64_t>(value);
    // Positive: set the sign bit so they follow the negatives; negative: flip all bits so that
    // larger magnitudes come first.
    bits = (bits & (uint64_t{1} << 63)) != 0 ? ~bits : bits | (uint64_t{1} << 63);
    std::string key(8, '\0');
    for (int i = 7; i >= 0; --i) {
        key[static_cast<std::size_t>(i)] = static_cast<char>(bits & 0xFF);
        bits >>= 8;
    }
    return key;
}

double DecodeNumericKey(std::string_view key) {
    uint64_t bits = 0;
    for (std::size_t i = 0; i < 8 && i < key.size(); ++i) {
        bits = (bits << 8) | static_cast<unsigned char>(key[i]);
    }
    bits = (bits & (uint64_t{1} << 63)) != 0 ? bits & ~(uint64_t{1} << 63) : ~bits;
    return std::bit_cast<double>(bits);
}

KeyExpression KeyExpression::Compile(std::string_view text, std::span<const FieldDesc> fields) {
    Expression expr = Expression::Compile(text, fields);
    std::size_t length = 1;
    switch (expr.Type()) {
        case ValueType::Char:
            length = static_cast<std::size_t>(std::max(1, expr.Width()));
            break;
        case ValueType::Numeric:
        case ValueType::Date:
            length = 8;
            break;
        case ValueType::Logical:
            length = 1;
            break;
    }
    return KeyExpression(std::move(expr), length);
}

std::optional<std::size_t> KeyExpression::OffsetInRecord(std::size_t recordLength) const {
    const FieldDesc* field = expr_.BareField();
    if (field != nullptr && field->type == 'C' && field->offset >= 0 &&
        static_cast<std::size_t>(field->offset) + length_ <= recordLength) {
        return static_cast<std::size_t>(field->offset);
    }
    return std::nullopt;
}

void KeyExpression::AppendKeyOf(const RecordRef& record, const EvalSettings& settings,
                                std::string& keys) const {
    if (const auto offset = OffsetInRecord(record.bytes.size())) {
        // The common key, a bare text field: its stored bytes are the key.
        keys.append(record.bytes.substr(*offset, length_));
        return;
    }
    const Value v = expr_.Evaluate(record, settings);
    switch (v.type) {
        case ValueType::Char: {
            const std::size_t n = std::min(v.text.size(), length_);
            keys.append(v.text, 0, n);
            keys.append(length_ - n, ' ');
            return;
        }
        case ValueType::Numeric:
            keys += EncodeNumericKey(v.number);
            return;
        case ValueType::Date:
            keys += Dtos(v.date);
            return;
        case ValueType::Logical:
            keys.push_back(v.logical ? 'T' : 'F');
            return;
    }
}

void KeyExpression::KeyOf(const RecordRef& record, const EvalSettings& settings,
                          std::string& out) const {
    out.clear();
    AppendKeyOf(record, settings, out);
}

std::string KeyExpression::KeyOf(const RecordRef& record, const EvalSettings& settings) const {
    std::string key;
    KeyOf(record, settings, key);
    return key;
}

std::string KeyExpression::SeekKey(std::string_view text, const EvalSettings& settings) const {
    switch (Type()) {
        case ValueType::Char: {
            std::string key(text.substr(0, std::min(text.size(), length_)));
            if (settings.exact) {
                key.resize(length_, ' ');
            }
            return key;
        }
        case ValueType::Numeric:
            return EncodeNumericKey(ParseVal(text));
        case ValueType::Date: {
            const std::string_view trimmed = TrimLeft(TrimRight(text));
            if (trimmed.empty()) {
                return std::string(8, ' ');
            }
            const bool digits =
                trimmed.size() <= 8 && std::all_of(trimmed.begin(), trimmed.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; });
            if (digits && (trimmed.size() == 8 || !settings.exact)) {
                return std::string(trimmed);
            }
            return Dtos(Ctod(trimmed, settings.date));
        }
        case ValueType::Logical: {
            const std::string_view t = TrimLeft(text);
            const std::size_t at = !t.empty() && t.front() == '.' ? 1 : 0;
            const char c = at < t.size() ? t[at] : 'F';
            return (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? "T" : "F";
        }
    }
    return {};
}

std::string KeyExpression::KeyText(std::string_view key) const {
    if (Type() == ValueType::Numeric) {
        return std::string(TrimLeft(FormatStr(DecodeNumericKey(key), 19, expr_.Decimals())));
    }
    return std::string(key);
}

}  // namespace xb
