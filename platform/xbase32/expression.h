#pragma once

// xBase expressions over one table's raw records: compiled once, evaluated per record.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/rtl/exception.h"
#include "platform/xbase32/expression_date.h"
#include "platform/xbase32/field_desc.h"

namespace xb {

// Unknown names, syntax errors, type mismatches; also failures while evaluating (division by
// zero), which make a filter refuse the record.
class ExpressionError : public rtl::Exception {
  public:
    using Exception::Exception;
};

enum class ValueType : char { Char = 'C', Numeric = 'N', Date = 'D', Logical = 'L' };

struct Value {
    ValueType type = ValueType::Char;
    std::string text;      // Char
    double number = 0.0;   // Numeric
    int32_t date = 0;      // Date: day number, 0 empty
    bool logical = false;  // Logical
};

// The engine settings an expression depends on.
struct EvalSettings {
    bool exact = true;
    DateSettings date;
};

// A raw record: the deletion flag at byte 0, then the fields as stored.
struct RecordRef {
    std::string_view bytes;
    uint32_t recno = 0;
};

class Expression {
  public:
    // Field names are matched without regard to case; throws ExpressionError.
    static Expression Compile(std::string_view text, std::span<const FieldDesc> fields);

    const std::string& Text() const;
    ValueType Type() const;
    // Widest result: text length for Char (keys are padded to it), STR width for Numeric,
    // 8 for Date, 1 for Logical.
    int Width() const;
    int Decimals() const;
    // The field when the whole expression is one field reference, else nullptr.
    const FieldDesc* BareField() const;

    Value Evaluate(const RecordRef& record, const EvalSettings& settings) const;
    // The value as xBase shows it: text as is, numbers by STR(value, Width(), Decimals()),
    // dates by DTOC, logicals ".T."/".F.".
    std::string EvaluateText(const RecordRef& record, const EvalSettings& settings) const;
    // Throws ExpressionError unless Type() is Logical.
    bool EvaluateLogical(const RecordRef& record, const EvalSettings& settings) const;

  private:
    struct Impl;
    explicit Expression(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
    std::shared_ptr<const Impl> impl_;
};

}  // namespace xb
