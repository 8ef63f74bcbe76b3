#include "capi/capi_message.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "capi/capi_bytes.h"
#include "capi/capi_error.h"

namespace capi {

namespace {

std::uint64_t FieldAt(std::span<const std::uint8_t> raw, std::size_t offset, std::size_t size) {
    if (raw.size() < offset + size) {
        return 0;
    }
    return FromLittleEndian(raw.subspan(offset, size));
}

constexpr ParamKind kConfirmationParams[] = {ParamKind::Dword, ParamKind::Word};

}  // namespace

void TCapiMessageHeader::SetCommand(std::uint16_t word) {
    Command = static_cast<std::uint8_t>(word >> 8);
    Subcommand = static_cast<std::uint8_t>(word);
}

TCapiMessageHeader TCapiMessageHeader::Decode(std::span<const std::uint8_t> raw) {
    TCapiMessageHeader h;
    h.TotalLength = static_cast<std::uint16_t>(FieldAt(raw, 0, 2));
    h.ApplID = static_cast<std::uint16_t>(FieldAt(raw, 2, 2));
    h.Command = static_cast<std::uint8_t>(FieldAt(raw, 4, 1));
    h.Subcommand = static_cast<std::uint8_t>(FieldAt(raw, 5, 1));
    h.MessageNumber = static_cast<std::uint16_t>(FieldAt(raw, 6, 2));
    return h;
}

TCapiMessage::TCapiMessage(std::span<const std::uint8_t> raw)
    : Header(TCapiMessageHeader::Decode(raw)) {
    const std::size_t kept = std::min<std::size_t>(Header.TotalLength, raw.size());
    buffer_.assign(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(kept));
    cursor_ = std::min(TCapiMessageHeader::kSize, kept);
    received_ = true;
}

void TCapiMessage::Allocate(std::size_t totalLength) {
    if (received_) {
        throw ECapiError("a received CAPI message cannot be rebuilt");
    }
    if (totalLength < TCapiMessageHeader::kSize || totalLength > kMaxLength) {
        throw ECapiError("CAPI message of " + std::to_string(totalLength) +
                         " bytes is outside 8 to 65535 bytes");
    }
    buffer_.assign(totalLength, 0);
    cursor_ = TCapiMessageHeader::kSize;
    Header.TotalLength = static_cast<std::uint16_t>(totalLength);
    decoded_.reset();
}

void TCapiMessage::Write(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return;
    }
    if (bytes.size() > buffer_.size() - cursor_) {
        throw ECapiError("CAPI message written past its end");
    }
    std::copy(bytes.begin(), bytes.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(cursor_));
    cursor_ += bytes.size();
}

void TCapiMessage::Write(const void* bytes, std::size_t n) {
    Write(std::span(static_cast<const std::uint8_t*>(bytes), n));
}

void TCapiMessage::Read(void* dest, std::size_t n) {
    if (n == 0) {
        return;
    }
    if (n > buffer_.size() - cursor_) {
        std::memset(dest, 0, n);
        return;
    }
    std::memcpy(dest, buffer_.data() + cursor_, n);
    cursor_ += n;
}

std::span<const std::uint8_t> TCapiMessage::Encode() {
    if (buffer_.size() < TCapiMessageHeader::kSize) {
        throw ECapiError("CAPI message without a buffer cannot be encoded");
    }
    // A header that claims more or fewer bytes than are put would make the receiver misread.
    Header.TotalLength = static_cast<std::uint16_t>(buffer_.size());
    const auto put = [this](std::size_t offset, auto bytes) {
        std::copy(bytes.begin(), bytes.end(),
                  buffer_.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    put(0, LittleEndian<2>(Header.TotalLength));
    put(2, LittleEndian<2>(Header.ApplID));
    put(4, LittleEndian<1>(Header.Command));
    put(5, LittleEndian<1>(Header.Subcommand));
    put(6, LittleEndian<2>(Header.MessageNumber));
    return buffer_;
}

void TCapiMessage::Build(std::uint16_t command, std::span<const ParamValue> values) {
    const MessageLayout* layout = FindLayout(command);
    if (layout == nullptr || layout->params.size() != values.size()) {
        throw ECapiError("CAPI message " + std::to_string(command) +
                         " built with parameters that do not match its layout");
    }
    std::size_t total = TCapiMessageHeader::kSize;
    auto value = values.begin();
    for (const ParamKind kind : layout->params) {
        const std::size_t fixed = FixedSize(kind);
        if (value->isStruct != (fixed == 0) ||
            (fixed != 0 && fixed < 8 && value->integer >> (8 * fixed) != 0)) {
            throw ECapiError(std::string("CAPI message ") + std::string(layout->name) +
                             " built with a parameter that does not match its layout");
        }
        total += fixed != 0 ? fixed : StructBytes(value->structure).size();
        ++value;
    }
    Allocate(total);
    Header.SetCommand(command);
    Header.MessageNumber = 0;
    value = values.begin();
    for (const ParamKind kind : layout->params) {
        const auto integer = LittleEndian<8>(value->integer);
        const std::size_t fixed = FixedSize(kind);
        if (fixed != 0) {
            Write(std::span(integer).first(fixed));
        } else {
            Write(StructBytes(value->structure));
        }
        ++value;
    }
}

Parameters& TCapiMessage::Decoded(std::uint16_t command) {
    if (!decoded_ || decodedAs_ != command) {
        const MessageLayout* layout = FindLayout(command);
        const auto body =
            std::span(buffer_).subspan(std::min(TCapiMessageHeader::kSize, buffer_.size()));
        decoded_ = Parameters::Decode(
            body, layout != nullptr ? layout->params : std::span<const ParamKind>());
        decodedAs_ = command;
    }
    return *decoded_;
}

TCapiConfirmation::TCapiConfirmation(std::span<const std::uint8_t> raw) : TCapiMessage(raw) {
    const auto body = Buffer().subspan(std::min(TCapiMessageHeader::kSize, Buffer().size()));
    const Parameters p = Parameters::Decode(body, kConfirmationParams);
    Address = p.Dword(0);
    Info = p.Word(1);
}

TCapiConfirmation::TCapiConfirmation(std::span<const std::uint8_t> raw, std::uint16_t command)
    : TCapiMessage(raw) {
    const MessageLayout* layout = FindLayout(command);
    if (layout == nullptr || layout->infoIndex < 0) {
        throw ECapiError("CAPI message " + std::to_string(command) + " is no confirmation");
    }
    Parameters& p = Decoded(command);
    Address = p.Dword(0);
    Info = p.Word(static_cast<std::size_t>(layout->infoIndex));
}

}  // namespace capi
