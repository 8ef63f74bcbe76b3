#pragma once

#include <memory>
#include <string>

#include "platform/db/field.h"
#include "platform/db/stream.h"

namespace db {

// Text of at most Size characters; the record holds Windows-1252 bytes.
class TStringField : public TField {
  public:
    explicit TStringField(TComponent* owner, int size = 20);
    int DataSize() const override { return Size() + 1; }
    std::u32string Unholdable(std::string_view text) const override;

  protected:
    std::string GetAsString() const override;
    // Converted to Windows-1252 ('?' for what it cannot hold) and cut to Size.
    void SetAsStringValue(std::string_view value) override;
    int GetAsInteger() const override;
    void SetAsIntegerValue(int value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool value) override;
    TFieldValue GetAsVariant() const override;
    int DefaultWidth() const override { return Size(); }
};

// Whole numbers within a range; a value outside it raises "%g is not a valid value for
// field '%s'. The allowed range is %g to %g".
class TIntegerField : public TField {
  public:
    int MinValue() const { return min_value_; }
    int MaxValue() const { return max_value_; }
    void SetMinValue(int value) { min_value_ = value; }
    void SetMaxValue(int value) { max_value_ = value; }

  protected:
    TIntegerField(TComponent* owner, TFieldType type, int min_range, int max_range);
    virtual bool ReadInteger(int& value) const = 0;
    virtual void WriteInteger(int value) = 0;
    std::string GetAsString() const override;
    void SetAsStringValue(std::string_view value) override;
    int GetAsInteger() const override;
    void SetAsIntegerValue(int value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    TFieldValue GetAsVariant() const override;
    int DefaultWidth() const override { return 6; }

  private:
    int min_range_;
    int max_range_;
    int min_value_ = 0;
    int max_value_ = 0;
};

class TSmallintField : public TIntegerField {
  public:
    explicit TSmallintField(TComponent* owner);
    int DataSize() const override { return 2; }

  protected:
    bool ReadInteger(int& value) const override;
    void WriteInteger(int value) override;
};

class TFloatField : public TField {
  public:
    explicit TFloatField(TComponent* owner) : TFloatField(owner, ftFloat) {}
    int DataSize() const override { return 8; }
    bool Currency() const { return currency_; }
    void SetCurrency(bool value) { currency_ = value; }
    int Precision() const { return precision_; }
    void SetPrecision(int value) { precision_ = value < 2 ? 2 : (value > 15 ? 15 : value); }

  protected:
    TFloatField(TComponent* owner, TFieldType type);
    std::string GetAsString() const override;
    void SetAsStringValue(std::string_view value) override;
    int GetAsInteger() const override;
    void SetAsIntegerValue(int value) override { SetAsFloatValue(value); }
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    TFieldValue GetAsVariant() const override;
    int DefaultWidth() const override { return 10; }

  private:
    bool currency_ = false;
    int precision_ = 15;
};

class TCurrencyField : public TFloatField {
  public:
    explicit TCurrencyField(TComponent* owner);
};

// Reads "True"/"False"; a text is taken when it starts one of them, without regard to case.
class TBooleanField : public TField {
  public:
    explicit TBooleanField(TComponent* owner);
    int DataSize() const override { return 2; }

  protected:
    std::string GetAsString() const override;
    void SetAsStringValue(std::string_view value) override;
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool value) override;
    TFieldValue GetAsVariant() const override;
    int DefaultWidth() const override { return 5; }
};

class TDateField : public TField {
  public:
    explicit TDateField(TComponent* owner);
    int DataSize() const override { return 4; }

  protected:
    std::string GetAsString() const override;
    void SetAsStringValue(std::string_view value) override;
    double GetAsDateTime() const override;
    void SetAsDateTimeValue(double value) override;
    double GetAsFloat() const override { return GetAsDateTime(); }
    void SetAsFloatValue(double value) override { SetAsDateTimeValue(value); }
    TFieldValue GetAsVariant() const override;
    int DefaultWidth() const override { return 10; }
};

// Binary content (typed binary, dBase OLE, ...) read and written as it is stored.
class TBlobField : public TField {
  public:
    explicit TBlobField(TComponent* owner, TFieldType type = ftBlob);

    // A stream on the content; null when the data set has no blob access.
    std::unique_ptr<TStream> OpenStream(TBlobStreamMode mode) const;
    bool IsNull() const override;
    std::int64_t BlobSize() const;
    // The stored bytes as they are.
    std::string Bytes() const;
    void SetBytes(const std::string& bytes);
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

    // Set by the data set's blob stream once it wrote; cleared when the record is left.
    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }
    bool Transliterate() const { return transliterate_; }
    std::u32string Unholdable(std::string_view text) const override;

  protected:
    std::string GetAsString() const override;
    void SetAsStringValue(std::string_view value) override;
    TFieldValue GetAsVariant() const override;
    std::string GetText(bool display) const override;
    void FreeBuffers() override { modified_ = false; }
    bool transliterate_ = false;

  private:
    bool modified_ = false;
};

// Memo text: Windows-1252 in the table, UTF-8 in the program; no width applies.
class TMemoField : public TBlobField {
  public:
    explicit TMemoField(TComponent* owner);
};

}  // namespace db
