#include "capi/capi_struct.h"

#include <algorithm>
#include <cstring>

#include "capi/capi_bytes.h"
#include "capi/capi_error.h"

namespace capi {

namespace {

constexpr std::uint8_t kEmptyStruct[] = {0};

std::uint16_t ReadWord(TStruct& s) {
    std::uint8_t bytes[2];
    s.Read(bytes, sizeof bytes);
    return static_cast<std::uint16_t>(FromLittleEndian(bytes));
}

}  // namespace

TStruct::TStruct() : bytes_(kEmptyStruct), cursor_(1) {}

std::unique_ptr<TStruct> TStruct::CreateEmpty() {
    auto s = std::make_unique<TStruct>();
    s->Allocate(0);
    return s;
}

std::unique_ptr<TStruct> TStruct::CreateWith(std::span<const std::uint8_t> content) {
    auto s = std::make_unique<TStruct>();
    s->Allocate(content.size());
    s->Write(content);
    return s;
}

std::unique_ptr<TStruct> TStruct::CreateFrom(std::span<const std::uint8_t> available) {
    auto s = std::make_unique<TStruct>();
    s->AttachView(available);
    return s;
}

void TStruct::AttachView(std::span<const std::uint8_t> available) {
    if (const auto extent = StructExtent(available)) {
        own_.clear();
        bytes_ = available.first(*extent);
        ownsData_ = false;
    } else {
        own_.assign(1, 0);
        bytes_ = own_;
        ownsData_ = true;
    }
    SeekStart();
}

void TStruct::Allocate(std::size_t n) {
    if (n > kMaxContent) {
        throw ECapiError("CAPI struct of " + std::to_string(n) + " bytes exceeds 65535 bytes");
    }
    if (n < 255) {
        own_.assign(1 + n, 0);
        own_[0] = static_cast<std::uint8_t>(n);
    } else {
        own_.assign(3 + n, 0);
        own_[0] = 0xFF;
        const auto length = LittleEndian<2>(n);
        std::copy(length.begin(), length.end(), own_.begin() + 1);
    }
    bytes_ = own_;
    ownsData_ = true;
    SeekStart();
}

void TStruct::Write(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return;
    }
    if (!ownsData_ || own_.empty() || bytes.size() > own_.size() - cursor_) {
        throw ECapiError("CAPI struct written past its end");
    }
    std::copy(bytes.begin(), bytes.end(), own_.begin() + static_cast<std::ptrdiff_t>(cursor_));
    cursor_ += bytes.size();
}

void TStruct::Write(const void* bytes, std::size_t n) {
    Write(std::span(static_cast<const std::uint8_t*>(bytes), n));
}

void TStruct::Read(void* dest, std::size_t n) {
    if (n == 0) {
        return;
    }
    if (readCount_ + n > DataLength() || n > bytes_.size() - cursor_) {
        std::memset(dest, 0, n);
        return;
    }
    std::memcpy(dest, bytes_.data() + cursor_, n);
    cursor_ += n;
    readCount_ = static_cast<std::uint16_t>(readCount_ + n);
}

std::uint16_t TStruct::SeekStart() {
    cursor_ = PrefixSize();
    readCount_ = 0;
    return DataLength();
}

std::uint16_t TStruct::DataLength() const {
    return static_cast<std::uint16_t>(bytes_.size() - PrefixSize());
}

TCallingPartyNumber::TCallingPartyNumber(std::uint8_t octet1, std::uint8_t octet2,
                                         std::string_view digits)
    : TypeOfNumber(octet1), Presentation(octet2), Digits(digits) {
    Allocate(2 + digits.size());
    Write(&octet1, 1);
    Write(&octet2, 1);
    Write(digits.data(), digits.size());
}

std::unique_ptr<TCallingPartyNumber> TCallingPartyNumber::CreateFrom(
    std::span<const std::uint8_t> available) {
    std::unique_ptr<TCallingPartyNumber> s(new TCallingPartyNumber());
    s->AttachView(available);
    s->Read(&s->TypeOfNumber, 1);
    s->Read(&s->Presentation, 1);
    if (s->DataLength() > 2) {
        s->Digits.resize(s->DataLength() - 2u);
        s->Read(s->Digits.data(), s->Digits.size());
    }
    return s;
}

TCallingPartySubAddress::TCallingPartySubAddress(std::uint8_t octet1, std::string_view digits)
    : TypeOfNumber(octet1), Digits(digits) {
    Allocate(1 + digits.size());
    Write(&octet1, 1);
    Write(digits.data(), digits.size());
}

std::unique_ptr<TCallingPartySubAddress> TCallingPartySubAddress::CreateFrom(
    std::span<const std::uint8_t> available) {
    std::unique_ptr<TCallingPartySubAddress> s(new TCallingPartySubAddress());
    s->AttachView(available);
    s->Read(&s->TypeOfNumber, 1);
    if (s->DataLength() > 1) {
        s->Digits.resize(s->DataLength() - 1u);
        s->Read(s->Digits.data(), s->Digits.size());
    }
    return s;
}

TBProtocol::TBProtocol(std::uint16_t b1, std::uint16_t b2, std::uint16_t b3,
                       std::unique_ptr<TStruct> b1Config, std::unique_ptr<TStruct> b2Config,
                       std::unique_ptr<TStruct> b3Config)
    : B1(b1), B2(b2), B3(b3) {
    const auto c1 = StructBytes(b1Config.get());
    const auto c2 = StructBytes(b2Config.get());
    const auto c3 = StructBytes(b3Config.get());
    Allocate(6 + c1.size() + c2.size() + c3.size());
    Write(LittleEndian<2>(b1));
    Write(LittleEndian<2>(b2));
    Write(LittleEndian<2>(b3));
    Write(c1);
    Write(c2);
    Write(c3);
    B1Config = CreateEmpty();
    B2Config = CreateEmpty();
    B3Config = CreateEmpty();
}

std::unique_ptr<TBProtocol> TBProtocol::CreateFrom(std::span<const std::uint8_t> available) {
    std::unique_ptr<TBProtocol> s(new TBProtocol());
    s->AttachView(available);
    s->B1 = ReadWord(*s);
    s->B2 = ReadWord(*s);
    s->B3 = ReadWord(*s);
    auto rest = s->Content().subspan(std::min<std::size_t>(6, s->DataLength()));
    for (auto* config : {&s->B1Config, &s->B2Config, &s->B3Config}) {
        *config = TStruct::CreateFrom(rest);
        rest = rest.subspan(config->get()->OwnsData() ? rest.size() : (*config)->StructSize());
    }
    return s;
}

std::optional<std::size_t> StructExtent(std::span<const std::uint8_t> available) {
    if (available.empty()) {
        return std::nullopt;
    }
    std::size_t prefix = 1;
    std::size_t content = available[0];
    if (available[0] == 0xFF) {
        if (available.size() < 3) {
            return std::nullopt;
        }
        prefix = 3;
        content = FromLittleEndian(available.subspan(1, 2));
    }
    if (content > available.size() - prefix) {
        return std::nullopt;
    }
    return prefix + content;
}

std::span<const std::uint8_t> StructBytes(const TStruct* s) {
    return s != nullptr ? s->Bytes() : std::span<const std::uint8_t>(kEmptyStruct);
}

}  // namespace capi
