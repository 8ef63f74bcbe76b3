#include "platform/db/field_kinds.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/db/data_set.h"
#include "platform/db/database_error.h"
#include "platform/rtl/date_time.h"
#include "platform/rtl/exception.h"
#include "platform/rtl/text_encoding.h"

namespace db {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

long long TextToInteger(std::string_view text) {
    const std::string trimmed(Trim(text));
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(trimmed.c_str(), &end, 10);
    if (trimmed.empty() || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        throw rtl::EConvertError("'" + std::string(text) + "' is not a valid integer value");
    }
    return value;
}

double TextToFloat(std::string_view text) {
    const std::string trimmed(Trim(text));
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (trimmed.empty() || *end != '\0' || !std::isfinite(value) ||
        trimmed.find_first_of("xXnN") != std::string::npos) {
        throw rtl::EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    }
    return value;
}

std::string FloatToText(double value, int precision) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    return text;
}

}  // namespace

// Text

TStringField::TStringField(TComponent* owner, int size) : TField(owner, ftString) {
    SetSize(size);
}

std::string TStringField::GetAsString() const {
    std::vector<char> buffer(static_cast<std::size_t>(DataSize()), '\0');
    if (!GetData(buffer.data())) {
        return {};
    }
    return rtl::Cp1252ToUtf8(
        std::string_view(buffer.data(), strnlen(buffer.data(), buffer.size())));
}

std::u32string TStringField::Unholdable(std::string_view text) const {
    return rtl::Cp1252Unholdable(text);
}

void TStringField::SetAsStringValue(std::string_view value) {
    std::string bytes = rtl::Utf8ToCp1252(value);
    if (static_cast<int>(bytes.size()) > Size()) {
        bytes.resize(static_cast<std::size_t>(Size()));
    }
    SetData(bytes.c_str());
}

int TStringField::GetAsInteger() const {
    return static_cast<int>(TextToInteger(GetAsString()));
}

void TStringField::SetAsIntegerValue(int value) {
    SetAsStringValue(std::to_string(value));
}

double TStringField::GetAsFloat() const {
    return TextToFloat(GetAsString());
}

void TStringField::SetAsFloatValue(double value) {
    SetAsStringValue(FloatToText(value, 15));
}

bool TStringField::GetAsBoolean() const {
    const std::string text = GetAsString();
    return !text.empty() && (text[0] == 'T' || text[0] == 't' || text[0] == 'Y' || text[0] == 'y');
}

void TStringField::SetAsBooleanValue(bool value) {
    SetAsStringValue(value ? "T" : "F");
}

TFieldValue TStringField::GetAsVariant() const {
    if (IsNull()) {
        return {};
    }
    return GetAsString();
}

// Whole numbers

TIntegerField::TIntegerField(TComponent* owner, TFieldType type, int min_range, int max_range)
    : TField(owner, type), min_range_(min_range), max_range_(max_range) {}

std::string TIntegerField::GetAsString() const {
    int value = 0;
    return ReadInteger(value) ? std::to_string(value) : std::string();
}

void TIntegerField::SetAsStringValue(std::string_view value) {
    if (Trim(value).empty()) {
        Clear();
        return;
    }
    const long long number = TextToInteger(value);
    SetAsIntegerValue(static_cast<int>(number));
}

int TIntegerField::GetAsInteger() const {
    int value = 0;
    return ReadInteger(value) ? value : 0;
}

void TIntegerField::SetAsIntegerValue(int value) {
    int min = min_range_;
    int max = max_range_;
    if (min_value_ != 0 || max_value_ != 0) {
        min = min_value_;
        max = max_value_;
    }
    if (value < min || value > max) {
        RangeError(value, min, max);
    }
    WriteInteger(value);
}

double TIntegerField::GetAsFloat() const {
    return GetAsInteger();
}

void TIntegerField::SetAsFloatValue(double value) {
    const double rounded = std::round(value);
    if (!(rounded >= INT_MIN && rounded <= INT_MAX)) {
        RangeError(value, min_range_, max_range_);
    }
    SetAsIntegerValue(static_cast<int>(rounded));
}

TFieldValue TIntegerField::GetAsVariant() const {
    int value = 0;
    if (!ReadInteger(value)) {
        return {};
    }
    return static_cast<std::int64_t>(value);
}

TSmallintField::TSmallintField(TComponent* owner)
    : TIntegerField(owner, ftSmallint, -32768, 32767) {}

bool TSmallintField::ReadInteger(int& value) const {
    std::int16_t data = 0;
    if (!GetData(&data)) {
        return false;
    }
    value = data;
    return true;
}

void TSmallintField::WriteInteger(int value) {
    const auto data = static_cast<std::int16_t>(value);
    SetData(&data);
}

// Numbers

TFloatField::TFloatField(TComponent* owner, TFieldType type) : TField(owner, type) {}

std::string TFloatField::GetAsString() const {
    double value = 0;
    return GetData(&value) ? FloatToText(value, precision_) : std::string();
}

void TFloatField::SetAsStringValue(std::string_view value) {
    if (Trim(value).empty()) {
        Clear();
        return;
    }
    SetAsFloatValue(TextToFloat(value));
}

int TFloatField::GetAsInteger() const {
    const double value = std::round(GetAsFloat());
    if (!(value >= INT_MIN && value <= INT_MAX)) {
        throw rtl::EConvertError(FloatToText(value, 15) + " is not a valid integer value");
    }
    return static_cast<int>(value);
}

double TFloatField::GetAsFloat() const {
    double value = 0;
    return GetData(&value) ? value : 0.0;
}

void TFloatField::SetAsFloatValue(double value) {
    SetData(&value);
}

TFieldValue TFloatField::GetAsVariant() const {
    double value = 0;
    if (!GetData(&value)) {
        return {};
    }
    return value;
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner, ftCurrency) {
    SetCurrency(true);
}

// Truth values

TBooleanField::TBooleanField(TComponent* owner) : TField(owner, ftBoolean) {}

std::string TBooleanField::GetAsString() const {
    std::uint16_t value = 0;
    if (!GetData(&value)) {
        return {};
    }
    return value != 0 ? "True" : "False";
}

void TBooleanField::SetAsStringValue(std::string_view value) {
    const std::string_view text = Trim(value);
    if (text.empty()) {
        Clear();
        return;
    }
    auto starts = [&text](std::string_view word) {
        if (text.size() > word.size()) {
            return false;
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
            if (c != word[i]) {
                return false;
            }
        }
        return true;
    };
    if (starts("FALSE")) {
        SetAsBooleanValue(false);
    } else if (starts("TRUE")) {
        SetAsBooleanValue(true);
    } else {
        DatabaseError("'" + std::string(value) + "' is not a valid boolean value for field '" +
                      DisplayLabel() + "'");
    }
}

bool TBooleanField::GetAsBoolean() const {
    std::uint16_t value = 0;
    return GetData(&value) && value != 0;
}

void TBooleanField::SetAsBooleanValue(bool value) {
    const std::uint16_t data = value ? 1 : 0;
    SetData(&data);
}

TFieldValue TBooleanField::GetAsVariant() const {
    std::uint16_t value = 0;
    if (!GetData(&value)) {
        return {};
    }
    return value != 0;
}

// Dates: text in the process-wide short date format

TDateField::TDateField(TComponent* owner) : TField(owner, ftDate) {}

std::string TDateField::GetAsString() const {
    std::int32_t day = 0;
    return GetData(&day) ? rtl::DateToStr(day - rtl::kDateDelta) : std::string();
}

void TDateField::SetAsStringValue(std::string_view value) {
    if (Trim(value).empty()) {
        Clear();
        return;
    }
    SetAsDateTimeValue(rtl::StrToDate(Trim(value)));
}

double TDateField::GetAsDateTime() const {
    std::int32_t day = 0;
    return GetData(&day) ? static_cast<double>(day - rtl::kDateDelta) : 0.0;
}

void TDateField::SetAsDateTimeValue(double value) {
    const double day = std::trunc(value) + rtl::kDateDelta;
    if (!(day >= 1 && day <= 3652059)) {  // 1 January 1 to 31 December 9999
        throw rtl::EConvertError("Invalid argument to date encode");
    }
    const auto data = static_cast<std::int32_t>(day);
    SetData(&data);
}

TFieldValue TDateField::GetAsVariant() const {
    std::int32_t day = 0;
    if (!GetData(&day)) {
        return {};
    }
    return static_cast<double>(day - rtl::kDateDelta);
}

// Blobs

TBlobField::TBlobField(TComponent* owner, TFieldType type) : TField(owner, type) {}

std::unique_ptr<TStream> TBlobField::OpenStream(TBlobStreamMode mode) const {
    if (DataSet() == nullptr) {
        DatabaseError("Field '" + DisplayLabel() + "' has no dataset");
    }
    return DataSet()->CreateBlobStream(const_cast<TBlobField&>(*this), mode);
}

bool TBlobField::IsNull() const {
    if (modified_) {
        return BlobSize() == 0;
    }
    return TField::IsNull();
}

std::int64_t TBlobField::BlobSize() const {
    const std::unique_ptr<TStream> stream = OpenStream(bmRead);
    return stream ? stream->Size() : 0;
}

std::string TBlobField::Bytes() const {
    const std::unique_ptr<TStream> stream = OpenStream(bmRead);
    return stream ? stream->ReadAll() : std::string();
}

void TBlobField::SetBytes(const std::string& bytes) {
    std::unique_ptr<TStream> stream = OpenStream(bmWrite);
    if (!stream) {
        DatabaseError("Field '" + DisplayLabel() + "' cannot be modified");
    }
    stream->WriteString(bytes);
}

void TBlobField::LoadFromStream(TStream& stream) {
    std::unique_ptr<TStream> blob = OpenStream(bmWrite);
    if (!blob) {
        DatabaseError("Field '" + DisplayLabel() + "' cannot be modified");
    }
    blob->CopyFrom(stream, 0);
}

void TBlobField::SaveToStream(TStream& stream) const {
    const std::string bytes = Bytes();
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TBlobField::LoadFromFile(const std::string& path) {
    TFileStream file(path, fmOpenRead);
    LoadFromStream(file);
}

void TBlobField::SaveToFile(const std::string& path) const {
    TFileStream file(path, fmCreate);
    SaveToStream(file);
}

std::string TBlobField::GetAsString() const {
    const std::string bytes = Bytes();
    return transliterate_ ? rtl::Cp1252ToUtf8(bytes) : bytes;
}

std::u32string TBlobField::Unholdable(std::string_view text) const {
    return transliterate_ ? rtl::Cp1252Unholdable(text) : std::u32string();
}

void TBlobField::SetAsStringValue(std::string_view value) {
    SetBytes(transliterate_ ? rtl::Utf8ToCp1252(value) : std::string(value));
}

TFieldValue TBlobField::GetAsVariant() const {
    if (IsNull()) {
        return {};
    }
    return GetAsString();
}

std::string TBlobField::GetText(bool display) const {
    (void)display;
    const bool empty = IsNull();
    if (DataType() == ftMemo) {
        return empty ? "(Memo)" : "(MEMO)";
    }
    return empty ? "(Blob)" : "(BLOB)";
}

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner, ftMemo) {
    transliterate_ = true;
}

}  // namespace db
