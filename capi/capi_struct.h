#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace capi {

// One CAPI struct: a length prefix (one octet, or 0xFF and a 16-bit length from 255 bytes on)
// and its content. A struct either owns its bytes (built here) or views bytes inside a received
// message; a view never reaches past the bytes it was given.
class TStruct {
  public:
    static constexpr std::size_t kMaxContent = 0xFFFF;

    TStruct();  // no bytes yet: reads as the empty struct
    virtual ~TStruct() = default;
    TStruct(const TStruct&) = delete;
    TStruct& operator=(const TStruct&) = delete;

    static std::unique_ptr<TStruct> CreateEmpty();
    // A struct with the given content, owned.
    static std::unique_ptr<TStruct> CreateWith(std::span<const std::uint8_t> content);
    // A view on the struct at the start of `available`. A prefix that is cut off, or a length
    // that runs past `available`, gives the empty struct (owned) instead.
    static std::unique_ptr<TStruct> CreateFrom(std::span<const std::uint8_t> available);

    // Fresh owned bytes: the prefix for n content bytes, cursor on the first content byte.
    // Throws ECapiError when n does not fit the 16-bit length.
    void Allocate(std::size_t n);
    // Copies at the cursor and advances it; throws ECapiError past the allocation or on a view.
    void Write(std::span<const std::uint8_t> bytes);
    void Write(const void* bytes, std::size_t n);
    // Reading past the content fills dest with zeros and moves nothing.
    void Read(void* dest, std::size_t n);
    std::uint16_t SeekStart();

    std::uint16_t DataLength() const;
    std::size_t StructSize() const { return bytes_.size(); }
    bool OwnsData() const { return ownsData_; }
    std::uint16_t ReadCount() const { return readCount_; }

    std::span<const std::uint8_t> Bytes() const { return bytes_; }  // prefix and content
    std::span<const std::uint8_t> Content() const { return bytes_.subspan(PrefixSize()); }

  protected:
    // Turns this object into a bounded view (see CreateFrom) and puts the cursor at the start.
    void AttachView(std::span<const std::uint8_t> available);

  private:
    std::size_t PrefixSize() const { return bytes_.size() > 0 && bytes_[0] == 0xFF ? 3 : 1; }

    std::vector<std::uint8_t> own_;
    std::span<const std::uint8_t> bytes_;
    std::size_t cursor_ = 0;  // offset into bytes_
    std::uint16_t readCount_ = 0;
    bool ownsData_ = true;
};

// Calling (and connected) party number: type/plan octet, presentation/screening octet, digits.
class TCallingPartyNumber : public TStruct {
  public:
    TCallingPartyNumber(std::uint8_t octet1, std::uint8_t octet2, std::string_view digits);
    static std::unique_ptr<TCallingPartyNumber> CreateFrom(std::span<const std::uint8_t> available);

    std::uint8_t TypeOfNumber = 0;
    std::uint8_t Presentation = 0;
    // The bytes as received: untrusted text, possibly empty or not even printable.
    std::string Digits;

  private:
    TCallingPartyNumber() = default;
};

// One leading type octet and digits: the called party number and both subaddresses.
class TCallingPartySubAddress : public TStruct {
  public:
    TCallingPartySubAddress(std::uint8_t octet1, std::string_view digits);
    static std::unique_ptr<TCallingPartySubAddress> CreateFrom(
        std::span<const std::uint8_t> available);

    std::uint8_t TypeOfNumber = 0;
    std::string Digits;  // as received, untrusted

  private:
    TCallingPartySubAddress() = default;
};

// B protocol: three protocol words and three configuration structs.
class TBProtocol : public TStruct {
  public:
    // Null configuration structs count as empty ones.
    TBProtocol(std::uint16_t b1, std::uint16_t b2, std::uint16_t b3,
               std::unique_ptr<TStruct> b1Config = nullptr,
               std::unique_ptr<TStruct> b2Config = nullptr,
               std::unique_ptr<TStruct> b3Config = nullptr);
    static std::unique_ptr<TBProtocol> CreateFrom(std::span<const std::uint8_t> available);

    std::uint16_t B1 = 0;
    std::uint16_t B2 = 0;
    std::uint16_t B3 = 0;
    // Empty unless decoded from received bytes.
    std::unique_ptr<TStruct> B1Config;
    std::unique_ptr<TStruct> B2Config;
    std::unique_ptr<TStruct> B3Config;

  private:
    TBProtocol() = default;
};

// Size of the whole struct at the start of `available`, or nothing when its prefix or content is
// not all there.
std::optional<std::size_t> StructExtent(std::span<const std::uint8_t> available);

// The encoded bytes of a struct argument; null stands for the empty struct.
std::span<const std::uint8_t> StructBytes(const TStruct* s);

}  // namespace capi
