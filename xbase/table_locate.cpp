// Locate and lookup by key values: a seek on the table's own order when it covers the key
// fields, otherwise a search filter. Every hit is checked against all key values, so neither
// road takes a near miss for a hit.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/db/field.h"
#include "platform/rtl/date_time.h"
#include "platform/rtl/text_encoding.h"
#include "platform/xbase32/expression_text.h"
#include "xbase/db_errors.h"
#include "xbase/filter_literal.h"
#include "xbase/table.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr uint16_t kSearchFilter = 2;

// One key field's value as the layer holds it in a record. Most fields fit the inline
// bytes, so reading one costs no allocation.
class NativeValue {
  public:
    bool blank = true;

    void Read(CursorHandle handle, const db::TField& field, const char* record) {
        const std::size_t size = static_cast<std::size_t>(std::max(field.DataSize(), 8)) + 1;
        if (size <= inline_.size()) {
            data_ = inline_.data();
            std::memset(data_, 0, size);
        } else {
            large_.assign(size, '\0');
            data_ = large_.data();
        }
        size_ = size;
        Check(DbiGetField(handle, static_cast<uint16_t>(field.FieldNo()), record, data_, &blank));
    }
    const char* Bytes() const { return data_; }
    std::string_view TextView() const {
        return xb::TrimRight(std::string_view(data_, strnlen(data_, size_)));
    }
    std::string Text() const { return std::string(TextView()); }
    template <typename T>
    T As() const {
        T value{};
        std::memcpy(&value, data_, sizeof value);
        return value;
    }

  private:
    std::array<char, 272> inline_{};
    std::vector<char> large_;
    char* data_ = inline_.data();
    std::size_t size_ = 0;
};

NativeValue ReadNative(CursorHandle handle, const db::TField& field, const char* record) {
    NativeValue v;
    v.Read(handle, field, record);
    return v;
}

std::string NumberText(double value) {
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    if (error != std::errc()) {
        return {};
    }
    const std::string result(text, end);
    // The engine reads plain decimals only.
    return result.find_first_of("einIN") == std::string::npos ? result : std::string();
}

// The part of the search filter for one key field; empty when the field cannot be put
// into the filter (the check of every hit still covers it).
std::string FilterTerm(const db::TField& field, const NativeValue& key, bool caseInsensitive,
                       bool partial) {
    const std::string name = rtl::Utf8ToCp1252(field.FieldName());
    switch (field.DataType()) {
        case db::ftString: {
            std::string text = key.blank ? std::string() : key.Text();
            if (partial) {
                if (text.empty()) {
                    return {};
                }
                const std::string left = "Left(" + name + ", " + std::to_string(text.size()) + ")";
                return caseInsensitive
                           ? "Upper(" + left + ") = " + XBaseTextLiteral(xb::UpperCp1252(text))
                           : left + " = " + XBaseTextLiteral(text);
            }
            if (text.empty()) {
                // An empty key is the blank field: as many blanks as the field is wide.
                text.assign(static_cast<std::size_t>(field.Size()), ' ');
            }
            return caseInsensitive
                       ? "Upper(" + name + ") = " + XBaseTextLiteral(xb::UpperCp1252(text))
                       : XBaseEquals(name, text);
        }
        case db::ftSmallint:
        case db::ftFloat:
        case db::ftCurrency: {
            if (key.blank) {
                return "Empty(" + name + ")";
            }
            const double value =
                field.DataType() == db::ftSmallint ? key.As<int16_t>() : key.As<double>();
            const std::string number = NumberText(value);
            return number.empty() ? std::string() : name + " = " + number;
        }
        case db::ftDate: {
            if (key.blank) {
                return "Empty(" + name + ")";
            }
            int year = 0;
            int month = 0;
            int day = 0;
            rtl::DecodeDate(key.As<int32_t>() - rtl::kDateDelta, year, month, day);
            char text[16];
            std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
            return "Dtos(" + name + ") = '" + text + "'";
        }
        case db::ftBoolean:
            return !key.blank && key.As<int16_t>() != 0 ? name : ".not. " + name;
        default:
            return {};
    }
}

}  // namespace

bool TTable::KeyMatches(const std::vector<db::TField*>& fields, const char* key, const char* record,
                        bool caseInsensitive, bool partial) const {
    NativeValue want;
    NativeValue have;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const db::TField& field = *fields[i];
        want.Read(Handle(), field, key);
        have.Read(Handle(), field, record);
        if (field.DataType() == db::ftString) {
            const std::string_view a = have.blank ? std::string_view() : have.TextView();
            const std::string_view b = want.blank ? std::string_view() : want.TextView();
            const bool last = i + 1 == fields.size();
            if (caseInsensitive) {
                const std::string upperA = xb::UpperCp1252(a);
                const std::string upperB = xb::UpperCp1252(b);
                if (partial && last ? upperA.compare(0, upperB.size(), upperB) != 0
                                    : upperA != upperB) {
                    return false;
                }
            } else if (partial && last ? a.substr(0, b.size()) != b : a != b) {
                return false;
            }
            continue;
        }
        if (want.blank != have.blank) {
            return false;
        }
        if (!want.blank && std::memcmp(want.Bytes(), have.Bytes(),
                                       static_cast<std::size_t>(field.DataSize())) != 0) {
            return false;
        }
    }
    return true;
}

bool TTable::OwnOrderCovers(const std::vector<db::TField*>& fields, bool caseInsensitive) const {
    if (ExpressionIndex() || IndexFieldCount() < static_cast<int>(fields.size())) {
        return false;
    }
    // A seek on an order of the other case rule can land beside an equal key.
    if (CaseInsensitiveIndex() != caseInsensitive) {
        return false;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (IndexFieldNo(static_cast<int>(i)) != fields[i]->FieldNo()) {
            return false;
        }
    }
    return true;
}

std::string TTable::LocateFilterText(const std::vector<db::TField*>& fields, const char* key,
                                     bool caseInsensitive, bool partial) const {
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const bool last = i + 1 == fields.size();
        const std::string term = FilterTerm(*fields[i], ReadNative(Handle(), *fields[i], key),
                                            caseInsensitive, partial && last);
        if (term.empty()) {
            continue;
        }
        if (!text.empty()) {
            text += " .and. ";
        }
        text += term;
    }
    return text.empty() ? ".T." : text;
}

bool TTable::LocateRecord(std::string_view keyFields, const std::vector<db::TFieldValue>& keyValues,
                          db::TLocateOptions options, std::vector<char>& scratch) {
    CheckBrowseMode();
    CursorPosChanged();
    const std::vector<db::TField*> fields = GetFieldList(keyFields);
    if (fields.empty() || fields.size() != keyValues.size()) {
        db::DatabaseError("Key values do not match the key fields '" + std::string(keyFields) + "'",
                          this);
    }
    const bool caseInsensitive = (options & db::loCaseInsensitive) != 0;
    const bool partial = (options & db::loPartialKey) != 0;
    const std::size_t size = static_cast<std::size_t>(Layout().recordSize);

    // The key values in a record of their own, converted as the fields store them.
    std::vector<char> key(size);
    Check(DbiInitRecord(Handle(), key.data()));
    {
        const db::TDataSetState saved = SetTempState(db::dsFilter);
        SetFilterRecordBuffer(key.data());
        try {
            for (std::size_t i = 0; i < fields.size(); ++i) {
                fields[i]->SetValue(keyValues[i]);
            }
        } catch (...) {
            SetFilterRecordBuffer(nullptr);
            RestoreState(saved);
            throw;
        }
        SetFilterRecordBuffer(nullptr);
        RestoreState(saved);
    }

    // A field holds no more than its width, so a longer text (trailing blanks aside) equals
    // nothing; the key record above holds it cut, which both roads would take for a hit.
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto* text = std::get_if<std::string>(&keyValues[i]);
        // Every character takes one byte after conversion and at least one before it.
        if (text != nullptr && fields[i]->DataType() == db::ftString &&
            text->size() > static_cast<std::size_t>(fields[i]->Size()) &&
            xb::TrimRight(rtl::Utf8ToCp1252(*text)).size() >
                static_cast<std::size_t>(fields[i]->Size())) {
            return false;
        }
    }

    scratch.assign(size, '\0');
    if (!CachedUpdates() && OwnOrderCovers(fields, caseInsensitive)) {
        uint16_t fieldCount = static_cast<uint16_t>(fields.size());
        uint16_t partialLength = 0;
        if (partial && fields.back()->DataType() == db::ftString) {
            --fieldCount;
            partialLength = static_cast<uint16_t>(
                ReadNative(Handle(), *fields.back(), key.data()).Text().size());
        }
        const DbiResult result = DbiGetRecordForKey(Handle(), false, fieldCount, partialLength,
                                                    key.data(), scratch.data());
        if (result != kOk) {
            if (ErrorCategory(result) != ErrorCategory(kEof)) {
                throw EDBEngineError(result);
            }
            return false;
        }
        // The seek stops at the first key not below the one sought.
        return KeyMatches(fields, key.data(), scratch.data(), caseInsensitive, partial);
    }

    Check(DbiSetToBegin(Handle()));
    FilterHandle filter = 0;
    if (IsEngineDriver()) {
        const std::string text = LocateFilterText(fields, key.data(), caseInsensitive, partial);
        Check(DbiAddFilter(Handle(), 0, kSearchFilter, false, text.c_str(), nullptr, &filter));
        const DbiResult result = DbiActivateFilter(Handle(), filter);
        if (result != kOk) {
            DbiDropFilter(Handle(), filter);
            throw EDBEngineError(result);
        }
    }
    bool found = false;
    DbiResult result = kOk;
    while ((result = DbiGetNextRecord(Handle(), 0, scratch.data(), nullptr)) == kOk) {
        if (KeyMatches(fields, key.data(), scratch.data(), caseInsensitive, partial)) {
            found = true;
            break;
        }
    }
    if (filter != 0) {
        DbiDropFilter(Handle(), filter);
    }
    if (!found && ErrorCategory(result) != ErrorCategory(kEof)) {
        throw EDBEngineError(result);
    }
    return found;
}

bool TTable::Locate(std::string_view keyFields, const std::vector<db::TFieldValue>& keyValues,
                    db::TLocateOptions options) {
    DoBeforeScroll();
    std::vector<char> scratch;
    if (!LocateRecord(keyFields, keyValues, options, scratch)) {
        return false;
    }
    Resync(db::rmExact | db::rmCenter);
    DoAfterScroll();
    return true;
}

std::vector<db::TFieldValue> TTable::Lookup(std::string_view keyFields,
                                            const std::vector<db::TFieldValue>& keyValues,
                                            std::string_view resultFields) {
    const std::vector<db::TField*> results = GetFieldList(resultFields);
    std::vector<db::TFieldValue> values(results.size());
    std::vector<char> scratch;
    if (!LocateRecord(keyFields, keyValues, 0, scratch)) {
        return values;
    }
    // The visible position stays; the fields read the found record for a moment.
    const db::TDataSetState saved = SetTempState(db::dsFilter);
    SetFilterRecordBuffer(scratch.data());
    try {
        for (std::size_t i = 0; i < results.size(); ++i) {
            values[i] = results[i]->Value();
        }
    } catch (...) {
        SetFilterRecordBuffer(nullptr);
        RestoreState(saved);
        throw;
    }
    SetFilterRecordBuffer(nullptr);
    RestoreState(saved);
    return values;
}

}  // namespace xbase
