#include "platform/xbase32/change_stamp.h"

namespace xb {

namespace {

constexpr uint32_t kCheck = 0x5EB1F00Du;

void PutLe32(std::string& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

uint32_t Le32(std::string_view b, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = v << 8 | static_cast<uint8_t>(b[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

uint32_t RoundUpToEven(uint32_t counter) {
    return counter + (counter & 1u);
}

}  // namespace

std::string EncodeChangeStamp(ChangeStamp stamp) {
    std::string b(kChangeStampSize, '\0');
    if (stamp == ChangeStamp{}) {
        return b;  // as a table that never changed, and as other programs write it
    }
    PutLe32(b, 0, stamp.counter);
    PutLe32(b, 4, stamp.record);
    PutLe32(b, 8, stamp.counter ^ stamp.record ^ kCheck);
    return b;
}

std::optional<ChangeStamp> DecodeChangeStamp(std::string_view bytes) {
    if (bytes.size() < kChangeStampSize) {
        return std::nullopt;
    }
    const ChangeStamp s{Le32(bytes, 0), Le32(bytes, 4)};
    const uint32_t check = Le32(bytes, 8);
    if (s == ChangeStamp{} && check == 0) {
        return s;
    }
    if (check != (s.counter ^ s.record ^ kCheck)) {
        return std::nullopt;
    }
    return s;
}

ChangeStamp StampBeforeWrite(ChangeStamp now, uint32_t record) {
    // An odd counter left behind is a write whose writer stopped: it counts as done.
    return ChangeStamp{RoundUpToEven(now.counter) + 1, record};
}

ChangeStamp StampAfterWrite(ChangeStamp before) {
    return ChangeStamp{before.counter + 1, before.record};
}

ChangeStamp StampOfWholeChange(ChangeStamp now) {
    return ChangeStamp{RoundUpToEven(now.counter) + 2, 0};
}

uint32_t ChangedRecord(uint32_t seen, ChangeStamp now) {
    const bool single = now.counter == seen + 1 || (seen % 2 == 0 && now.counter == seen + 2);
    return single ? now.record : 0;
}

}  // namespace xb
