#include "platform/xbase32/dbf_header.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "platform/xbase32/error.h"

namespace xb {

namespace {

uint32_t Le32(std::string_view b, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

uint16_t Le16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1])
                                                                   << 8);
}

void PutLe32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

void PutLe16(std::string& b, size_t at, uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}

constexpr size_t kDescriptorSize = 32;

// Room after the field list's terminator: Visual FoxPro keeps a 263-byte backlink there, and
// some writers put a pad byte after the terminator.
constexpr size_t kMaxHeaderTail = 263 + 1;

// The first byte of every dBASE, FoxBASE, FoxPro, Visual FoxPro and compatible table.
bool KnownVersion(uint8_t version) {
    switch (version) {
        case 0x02:  // FoxBASE
        case 0x03:  // dBASE III+, FoxPro, without memo
        case 0x04:  // dBASE 7
        case 0x05:  // dBASE 5
        case 0x07:  // Visual Objects
        case 0x30:  // Visual FoxPro
        case 0x31:  // Visual FoxPro with autoincrement
        case 0x32:  // Visual FoxPro with varchar
        case 0x43:  // dBASE IV SQL table
        case 0x63:  // dBASE IV SQL system
        case 0x7B:  // dBASE IV with memo
        case 0x83:  // dBASE III+ with memo
        case 0x87:  // Visual Objects with memo
        case 0x8B:  // dBASE IV with memo
        case 0x8E:  // dBASE IV with SQL table
        case 0xB3:  // Flagship
        case 0xCB:  // dBASE IV SQL table with memo
        case 0xE5:  // Clipper SMT memo
        case 0xF5:  // FoxPro with memo
        case 0xFB:  // FoxBASE with memo
            return true;
        default:
            return false;
    }
}

std::string Hex(uint8_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[value >> 4] + kDigits[value & 0xF];
}

}  // namespace

bool DbfHeader::HasMemo() const {
    return std::any_of(fields.begin(), fields.end(),
                       [](const FieldDesc& f) { return f.type == 'M'; });
}

uint16_t HeaderLengthOf(std::string_view prefix) {
    if (prefix.size() < kDbfPrefixSize) {
        throw Error("damaged table: header is truncated");
    }
    return Le16(prefix, 8);
}

DbfHeader ParseDbfHeader(std::string_view bytes) {
    if (bytes.size() < kDbfPrefixSize) {
        throw Error("damaged table: header is truncated");
    }
    DbfHeader h;
    h.version = static_cast<uint8_t>(bytes[0]);
    h.year = 1900 + static_cast<uint8_t>(bytes[1]);
    h.month = static_cast<uint8_t>(bytes[2]);
    h.day = static_cast<uint8_t>(bytes[3]);
    h.recordCount = Le32(bytes, 4);
    h.headerLength = Le16(bytes, 8);
    h.recordLength = Le16(bytes, 10);
    h.codePage = static_cast<uint8_t>(bytes[29]);
    if (!KnownVersion(h.version)) {
        throw Error("damaged table: unknown version byte " + Hex(h.version));
    }
    h.stamp =
        DecodeChangeStamp(bytes.substr(kChangeStampAt, kChangeStampSize)).value_or(ChangeStamp{});
    if (h.headerLength > bytes.size() || h.headerLength < kDbfPrefixSize + 1) {
        throw Error("damaged table: header length does not fit the file");
    }
    if (h.recordLength < 1) {
        throw Error("damaged table: record length is 0");
    }
    int offset = 1;
    size_t pos = kDbfPrefixSize;
    bool terminated = false;
    while (pos < h.headerLength) {
        if (bytes[pos] == 0x0D) {
            terminated = true;
            break;
        }
        if (pos + kDescriptorSize > h.headerLength) {
            throw Error("damaged table: field descriptors run past the header");
        }
        std::string_view d = bytes.substr(pos, kDescriptorSize);
        FieldDesc f;
        size_t nameLength = 0;
        while (nameLength < 11 && d[nameLength] != '\0') {
            ++nameLength;
        }
        f.name.assign(d.data(), nameLength);
        f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(d[11])));
        f.width = static_cast<uint8_t>(d[16]);
        f.decimals = static_cast<uint8_t>(d[17]);
        f.offset = offset;
        if (f.name.empty() || f.width == 0) {
            throw Error("damaged table: field " + std::to_string(h.fields.size() + 1) +
                        " has no name or no width");
        }
        offset += f.width;
        h.fields.push_back(std::move(f));
        pos += kDescriptorSize;
    }
    if (!terminated) {
        throw Error("damaged table: field list has no terminator");
    }
    if (h.fields.empty()) {
        throw Error("damaged table: no fields");
    }
    if (h.headerLength - (pos + 1) > kMaxHeaderTail) {
        throw Error("damaged table: header length " + std::to_string(h.headerLength) +
                    " does not match its " + std::to_string(h.fields.size()) + " fields");
    }
    if (offset != h.recordLength) {
        throw Error("damaged table: record length " + std::to_string(h.recordLength) +
                    " does not match its fields (" + std::to_string(offset) + " bytes)");
    }
    return h;
}

DbfHeader MakeDbfHeader(std::vector<FieldDesc> fields) {
    DbfHeader h;
    int offset = 1;
    for (auto& f : fields) {
        for (auto& c : f.name) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        f.offset = offset;
        offset += f.width;
    }
    h.fields = std::move(fields);
    h.version = h.HasMemo() ? kVersionWithMemo : kVersionPlain;
    h.headerLength = static_cast<uint16_t>(kDbfPrefixSize + kDescriptorSize * h.fields.size() + 1);
    h.recordLength = static_cast<uint16_t>(offset);
    h.codePage = kCodePageAnsi;
    StampToday(h);
    return h;
}

std::string EncodeDbfHeader(const DbfHeader& h) {
    std::string b(h.headerLength, '\0');
    b[0] = static_cast<char>(h.version);
    b[1] = static_cast<char>(std::clamp(h.year - 1900, 0, 255));
    b[2] = static_cast<char>(h.month);
    b[3] = static_cast<char>(h.day);
    PutLe32(b, 4, h.recordCount);
    PutLe16(b, 8, h.headerLength);
    PutLe16(b, 10, h.recordLength);
    b.replace(kChangeStampAt, kChangeStampSize, EncodeChangeStamp(h.stamp));
    b[29] = static_cast<char>(h.codePage);
    size_t pos = kDbfPrefixSize;
    for (const auto& f : h.fields) {
        for (size_t i = 0; i < 11 && i < f.name.size(); ++i) {
            b[pos + i] = f.name[i];
        }
        b[pos + 11] = f.type;
        PutLe32(b, pos + 12, static_cast<uint32_t>(f.offset));
        b[pos + 16] = static_cast<char>(f.width);
        b[pos + 17] = static_cast<char>(f.decimals);
        pos += kDescriptorSize;
    }
    b[pos] = 0x0D;
    return b;
}

uint32_t RecordsHeld(const DbfHeader& h, uint64_t fileSize) {
    if (fileSize <= h.headerLength) {
        return 0;
    }
    uint64_t room = (fileSize - h.headerLength) / h.recordLength;
    return static_cast<uint32_t>(std::min<uint64_t>(room, h.recordCount));
}

void StampToday(DbfHeader& h) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    h.year = local.tm_year + 1900;
    h.month = local.tm_mon + 1;
    h.day = local.tm_mday;
}

}  // namespace xb
