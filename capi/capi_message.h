#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

#include "capi/capi_layout.h"

namespace capi {

// The 8-byte message header as fields.
struct TCapiMessageHeader {
    static constexpr std::size_t kSize = 8;

    std::uint16_t TotalLength = 0;
    std::uint16_t ApplID = 0;
    std::uint8_t Command = 0;
    std::uint8_t Subcommand = 0;
    std::uint16_t MessageNumber = 0;

    void SetCommand(std::uint16_t word);
    std::uint16_t GetCommand() const {
        return static_cast<std::uint16_t>(Command << 8 | Subcommand);
    }

    // Fields of the first eight bytes; bytes that are not there read as zero.
    static TCapiMessageHeader Decode(std::span<const std::uint8_t> raw);
};

// A whole message: header and parameter bytes. Built messages are filled through their class's
// constructor; received ones are copied from the raw bytes and never read beyond them.
class TCapiMessage {
  public:
    static constexpr std::size_t kMaxLength = 0xFFFF;
    // Below this a message cannot carry even its first parameter.
    static constexpr std::size_t kMinDecodedLength = 12;

    TCapiMessage() = default;  // header only, no buffer
    // Keeps min(TotalLength, raw.size()) bytes; the header fields stay as received.
    explicit TCapiMessage(std::span<const std::uint8_t> raw);
    virtual ~TCapiMessage() = default;
    TCapiMessage(const TCapiMessage&) = delete;
    TCapiMessage& operator=(const TCapiMessage&) = delete;

    TCapiMessageHeader Header;

    // A zeroed buffer of totalLength bytes (header included), cursor after the header.
    // Throws ECapiError outside 8..65535, and on a received message, whose decoded structs
    // view its buffer.
    void Allocate(std::size_t totalLength);
    // Throws ECapiError past the buffer's end.
    void Write(std::span<const std::uint8_t> bytes);
    void Write(const void* bytes, std::size_t n);
    // Reading past the buffer fills dest with zeros and moves nothing.
    void Read(void* dest, std::size_t n);
    // Writes the header into the buffer's first eight bytes, TotalLength being the buffer's
    // real size, and returns the bytes to put. Throws ECapiError without a buffer.
    std::span<const std::uint8_t> Encode();

    std::span<const std::uint8_t> Buffer() const { return buffer_; }
    std::size_t Cursor() const { return cursor_; }

  protected:
    // Allocates and writes the message `command` from its layout; see BuildCapiMessage.
    void Build(std::uint16_t command, std::span<const ParamValue> values);
    void Build(std::uint16_t command, std::initializer_list<ParamValue> values) {
        Build(command, std::span(values.begin(), values.size()));
    }
    // The parameter bytes decoded by the layout of `command`, whatever the header says, so that
    // a class always reads its own layout. Decoded once; later calls return the same object.
    Parameters& Decoded(std::uint16_t command);

    friend std::unique_ptr<TCapiMessage> BuildCapiMessage(std::uint16_t,
                                                          std::span<const ParamValue>);

  private:
    std::vector<std::uint8_t> buffer_;
    std::size_t cursor_ = 0;
    bool received_ = false;
    std::optional<Parameters> decoded_;
    std::uint16_t decodedAs_ = 0;
};

// A confirmation: the controller, PLCI or NCCI it answers, and its Info value.
class TCapiConfirmation : public TCapiMessage {
  public:
    // Decodes Address and Info as the first two parameters.
    explicit TCapiConfirmation(std::span<const std::uint8_t> raw);

    std::uint32_t Address = 0;
    std::uint16_t Info = 0;

  protected:
    // Decodes Address and Info by the layout of `command`.
    TCapiConfirmation(std::span<const std::uint8_t> raw, std::uint16_t command);
};

// Builds any message of the layout table from its arguments; throws ECapiError when they do not
// match the layout or the message would exceed 65535 bytes.
std::unique_ptr<TCapiMessage> BuildCapiMessage(std::uint16_t command,
                                               std::span<const ParamValue> values);
inline std::unique_ptr<TCapiMessage> BuildCapiMessage(std::uint16_t command,
                                                      std::initializer_list<ParamValue> values) {
    return BuildCapiMessage(command, std::span(values.begin(), values.size()));
}

}  // namespace capi
