#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/db/component.h"
#include "platform/db/data_set_types.h"

namespace db {

class TDataSet;

// One column of a data set. The value lives in the data set's record buffer; a field reads
// and writes it in its native form through the data set (GetFieldData / SetFieldData):
// text: Windows-1252 bytes ending in a zero byte, Size + 1 bytes; smallint: int16_t;
// float and currency: double; boolean: uint16_t (0 or 1); date: int32_t day number
// (date value + rtl::kDateDelta). Blob contents go through CreateBlobStream.
class TField : public TComponent {
  public:
    using TFieldNotifyEvent = std::function<void(TField&)>;
    using TFieldGetTextEvent = std::function<void(TField&, std::string& text, bool display)>;
    using TFieldSetTextEvent = std::function<void(TField&, std::string_view text)>;

    TField(TComponent* owner, TFieldType type);
    ~TField() override;

    TDataSet* DataSet() const { return data_set_; }
    void SetDataSet(TDataSet* data_set);

    const std::string& FieldName() const { return field_name_; }
    void SetFieldName(std::string name);
    int FieldNo() const { return field_no_; }
    TFieldType DataType() const { return data_type_; }
    TFieldKind FieldKind() const { return field_kind_; }
    void SetFieldKind(TFieldKind kind);
    bool Calculated() const { return field_kind_ == fkCalculated; }
    int Size() const { return size_; }
    void SetSize(int size);
    // Bytes of the native value in a record buffer.
    virtual int DataSize() const { return 0; }
    int Offset() const { return offset_; }
    int Index() const;

    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool value) { read_only_ = value; }
    bool Required() const { return required_; }
    void SetRequired(bool value) { required_ = value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { visible_ = value; }
    std::string DisplayLabel() const {
        return display_label_.empty() ? field_name_ : display_label_;
    }
    void SetDisplayLabel(std::string label) { display_label_ = std::move(label); }
    int DisplayWidth() const { return display_width_ > 0 ? display_width_ : DefaultWidth(); }
    void SetDisplayWidth(int width) { display_width_ = width; }
    bool CanModify() const;

    // Native value protocol; GetData answers false for Null. A null buffer only asks.
    bool GetData(void* buffer) const;
    void SetData(const void* buffer);
    // Runs OnValidate with the value about to be stored; the data set calls it.
    void Validate(const void* buffer);
    // Runs OnChange; the data set calls it after a value changed.
    void Change();

    virtual bool IsNull() const { return !GetData(nullptr); }
    void Clear() { SetData(nullptr); }

    // Text is UTF-8 in the program. Raise EDatabaseError "Cannot access field '%s' as
    // type %s" where a kind has no such view, rtl::EConvertError for a text that is no value.
    std::string AsString() const { return GetAsString(); }
    void SetAsString(std::string_view value) { SetAsStringValue(value); }
    int AsInteger() const { return GetAsInteger(); }
    void SetAsInteger(int value) { SetAsIntegerValue(value); }
    double AsFloat() const { return GetAsFloat(); }
    void SetAsFloat(double value) { SetAsFloatValue(value); }
    bool AsBoolean() const { return GetAsBoolean(); }
    void SetAsBoolean(bool value) { SetAsBooleanValue(value); }
    double AsDateTime() const { return GetAsDateTime(); }
    void SetAsDateTime(double value) { SetAsDateTimeValue(value); }
    TFieldValue Value() const { return GetAsVariant(); }
    void SetValue(const TFieldValue& value);

    // The characters of `text` that the stored value cannot hold, each once in the order they
    // appear: text and memo fields keep Windows-1252. Empty for every other kind.
    virtual std::u32string Unholdable(std::string_view text) const;

    // What a grid cell or an edit control shows; OnGetText may change it.
    std::string DisplayText() const;
    std::string Text() const;
    void SetText(std::string_view text);

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

  protected:
    virtual std::string GetAsString() const;
    virtual void SetAsStringValue(std::string_view value);
    virtual int GetAsInteger() const;
    virtual void SetAsIntegerValue(int value);
    virtual double GetAsFloat() const;
    virtual void SetAsFloatValue(double value);
    virtual bool GetAsBoolean() const;
    virtual void SetAsBooleanValue(bool value);
    virtual double GetAsDateTime() const;
    virtual void SetAsDateTimeValue(double value);
    virtual TFieldValue GetAsVariant() const;
    virtual std::string GetText(bool display) const {
        (void)display;
        return GetAsString();
    }
    virtual int DefaultWidth() const { return 10; }
    virtual void FreeBuffers() {}

    [[noreturn]] void AccessError(const char* type_name) const;
    [[noreturn]] void RangeError(double value, double min, double max) const;

  private:
    friend class TDataSet;

    TDataSet* data_set_ = nullptr;
    std::string field_name_;
    TFieldType data_type_;
    TFieldKind field_kind_ = fkData;
    int field_no_ = 0;
    int size_ = 0;
    int offset_ = 0;
    bool read_only_ = false;
    bool required_ = false;
    bool visible_ = true;
    std::string display_label_;
    int display_width_ = 0;
    const void* validating_ = nullptr;
    bool in_validate_ = false;
};

}  // namespace db
