#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "capi/capi_struct.h"

namespace capi {

class TCapiMessage;

// What one parameter of a message is on the wire. The three struct kinds differ only in how the
// struct's content is decoded.
enum class ParamKind : std::uint8_t {
    Word,        // 16 bits
    Dword,       // 32 bits
    Qword,       // 64 bits (Data64)
    Struct,      // plain struct
    Number,      // TCallingPartyNumber
    SubAddress,  // TCallingPartySubAddress
    BProtocol,   // TBProtocol
};

// Bytes a fixed-size parameter takes; 0 for structs.
std::size_t FixedSize(ParamKind kind);

// The parameters of one command word in message order: the one place that fixes where each
// parameter sits, for building and for decoding alike.
struct MessageLayout {
    using Creator = std::unique_ptr<TCapiMessage> (*)(std::span<const std::uint8_t> raw);

    std::uint16_t command = 0;
    std::string_view name;  // e.g. "CONNECT_IND"
    std::span<const ParamKind> params;
    int infoIndex = -1;        // confirmations: the parameter that holds Info
    Creator create = nullptr;  // the decoding class; set for every IND and CONF
};

std::span<const MessageLayout> AllLayouts();
const MessageLayout* FindLayout(std::uint16_t command);

// One argument of a message being built: an integer or a struct (null = empty struct).
// Implicit on purpose, so that arguments read as a plain braced list.
struct ParamValue {
    ParamValue(std::uint64_t v) : integer(v) {}
    ParamValue(const TStruct* s) : structure(s), isStruct(true) {}
    template <class T>
    ParamValue(const std::unique_ptr<T>& s) : structure(s.get()), isStruct(true) {}

    std::uint64_t integer = 0;
    const TStruct* structure = nullptr;
    bool isStruct = false;
};

// Parameters decoded by a layout. Structs are views into the message's bytes and live no longer
// than the message. A parameter missing from the bytes decodes as 0 or the empty struct.
class Parameters {
  public:
    struct Item {
        ParamKind kind = ParamKind::Word;
        std::uint64_t value = 0;
        std::unique_ptr<TStruct> data;
    };

    std::size_t Count() const { return items_.size(); }
    const Item& operator[](std::size_t i) const;

    // Throw ECapiError when the kind at i is not the one asked for: a class bound to its layout
    // wrongly fails loudly in every test that decodes it.
    std::uint16_t Word(std::size_t i) const;
    std::uint32_t Dword(std::size_t i) const;
    std::uint64_t Qword(std::size_t i) const;
    std::unique_ptr<TStruct> TakeStruct(std::size_t i);
    std::unique_ptr<TCallingPartyNumber> TakeNumber(std::size_t i);
    std::unique_ptr<TCallingPartySubAddress> TakeSubAddress(std::size_t i);
    std::unique_ptr<TBProtocol> TakeBProtocol(std::size_t i);

    static Parameters Decode(std::span<const std::uint8_t> body, std::span<const ParamKind> kinds);

  private:
    const Item& At(std::size_t i, ParamKind kind) const;
    std::unique_ptr<TStruct> Take(std::size_t i, ParamKind kind);

    std::vector<Item> items_;
};

// The parameters of any message whose command word has a layout (empty otherwise), for tools
// that inspect messages generically.
Parameters DecodeParameters(const TCapiMessage& message);

}  // namespace capi
