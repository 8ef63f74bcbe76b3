#pragma once

// Index keys of a record: the bytes an index orders by, so that plain byte order (memcmp) is
// the order of the values.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/xbase32/expression.h"

namespace xb {

class KeyExpression {
  public:
    // Throws ExpressionError for an invalid key expression.
    static KeyExpression Compile(std::string_view text, std::span<const FieldDesc> fields);

    const Expression& Expr() const { return expr_; }
    ValueType Type() const { return expr_.Type(); }
    // Bytes of every key: the text width for Char (at least 1), 8 for Numeric and Date, 1 for
    // Logical.
    std::size_t KeyLength() const { return length_; }

    // Char: blank-padded or cut to the key length; Numeric: the double as 8 bytes whose byte order
    // is the numeric order; Date: "yyyymmdd" (8 blanks when empty); Logical: "T" or "F".
    // Throws ExpressionError when the expression fails on this record.
    void KeyOf(const RecordRef& record, const EvalSettings& settings, std::string& out) const;
    std::string KeyOf(const RecordRef& record, const EvalSettings& settings) const;
    // Appends the key to keys, for a bulk build (KeyIndex::Build takes the keys one after the
    // other).
    void AppendKeyOf(const RecordRef& record, const EvalSettings& settings,
                     std::string& keys) const;
    // Where the key lies in records of recordLength bytes when it is their own bytes (a bare
    // text field): every record's key is then KeyLength() bytes from there. nullopt else.
    std::optional<std::size_t> OffsetInRecord(std::size_t recordLength) const;

    // The key bytes a seek or scope text stands for. Char (and a date given as digits, exact
    // off): the text cut to the key length, blank-padded to it with exact on, else a prefix.
    // Numeric: the text's number; Date: "yyyymmdd" digits or a date in the date format;
    // Logical: T/Y/.T. is true.
    std::string SeekKey(std::string_view text, const EvalSettings& settings) const;

    // Key bytes back as text (for the key of the current record): Char as is, Numeric trimmed
    // STR with the expression's decimals, Date "yyyymmdd", Logical "T"/"F".
    std::string KeyText(std::string_view key) const;

  private:
    KeyExpression(Expression expr, std::size_t length) : expr_(std::move(expr)), length_(length) {}
    Expression expr_;
    std::size_t length_;
};

std::string EncodeNumericKey(double value);
double DecodeNumericKey(std::string_view key);

}  // namespace xb
