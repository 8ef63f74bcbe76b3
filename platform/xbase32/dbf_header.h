#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xbase32/change_stamp.h"
#include "platform/xbase32/field_desc.h"

namespace xb {

// The fixed part and field list of a DBF file.
struct DbfHeader {
    uint8_t version = 0x03;
    int year = 0;  // of the last update, full year
    int month = 1;
    int day = 1;
    uint32_t recordCount = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    uint8_t codePage = 0x03;
    ChangeStamp stamp;  // in the reserved bytes; zero when unreadable
    std::vector<FieldDesc> fields;

    bool HasMemo() const;
};

inline constexpr size_t kDbfPrefixSize = 32;
inline constexpr uint8_t kVersionPlain = 0x03;
inline constexpr uint8_t kVersionWithMemo = 0xF5;
inline constexpr uint8_t kCodePageAnsi = 0x03;
inline constexpr char kEndOfFile = 0x1A;

// Header length from the first 32 bytes; throws when fewer are given.
uint16_t HeaderLengthOf(std::string_view prefix);

// Parses a header of headerLength bytes. Throws xb::Error when it is plainly not a table's or
// contradicts itself: an unknown version byte, descriptors past the header, no terminator, no
// fields, a field of width 0, a header longer than its fields and a Visual FoxPro backlink
// need, or a record length other than the fields' widths and the deleted flag.
DbfHeader ParseDbfHeader(std::string_view bytes);

// A new table's header for these fields (offsets are computed; names made upper case).
DbfHeader MakeDbfHeader(std::vector<FieldDesc> fields);

std::string EncodeDbfHeader(const DbfHeader& header);

// Records the file really holds: the header's count, but no more than the bytes allow.
uint32_t RecordsHeld(const DbfHeader& header, uint64_t fileSize);

// Today's date into the header's last-update fields.
void StampToday(DbfHeader& header);

}  // namespace xb
